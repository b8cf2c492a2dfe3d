#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include "support/LinePeers.h"
#include "support/TestFiles.h"

// tarnex-xfer over telnet: one copy listening, one connecting, and our
// client against inetutils telnetd running lrzsz.
namespace {

constexpr int transferTimeoutMs = 180000;

// Every byte value and the runs telnet must carry untouched: IAC alone and
// doubled, IAC followed by command codes, CR followed by NUL, LF or nothing.
QByteArray telnetHostileBytes()
{
    QByteArray data;
    for (int round = 0; round < 30; ++round) {
        for (int c = 0; c < 256; ++c)
            data.append(char(c));
        data.append("\xff\xff\xff\xfb\x00\xff\xfd\x01\xff\xfa\x18\x01\xff\xf0", 14);
        data.append("\r\0\r\n\r\r\0\0\n\r\x18\x18\r", 13);
    }
    return data + TestFiles::randomBytes(200000, 7) + "\r";
}

QString tool()
{
    return qEnvironmentVariable("TARNEX_BUILD_DIR") + QStringLiteral("/tools/tarnex-xfer/tarnex-xfer");
}

QString script(const QString &dir, const QString &name, const QByteArray &body)
{
    const QString path = QDir(dir).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write("#!/bin/sh\n" + body + "\n");
    file.close();
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    return path;
}

// Starts tarnex-xfer with --listen 0 and returns the port it reports.
quint16 startListener(QProcess &process, const QStringList &arguments)
{
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setReadChannel(QProcess::StandardError);
    process.start(tool(), arguments + QStringList{QStringLiteral("--listen"), QStringLiteral("0")});
    static const QRegularExpression reported(QStringLiteral("waiting for a connection on port (\\d+)"));
    QByteArray log;
    while (process.waitForReadyRead(30000)) {
        log += process.readAllStandardError();
        const auto match = reported.match(QString::fromLatin1(log));
        if (match.hasMatch())
            return static_cast<quint16>(match.captured(1).toUInt());
    }
    return 0;
}

bool finished(QProcess &process)
{
    if (process.waitForFinished(transferTimeoutMs))
        return true;
    process.kill();
    process.waitForFinished(5000);
    return false;
}

QString outcome(QProcess &process)
{
    return QStringLiteral("exit %1: %2")
        .arg(process.exitCode())
        .arg(QString::fromLocal8Bit(process.readAllStandardError()));
}

} // namespace

class XferTelnetTest : public QObject {
    Q_OBJECT
private slots:
    void tarnexPair_data()
    {
        QTest::addColumn<QString>("protocol");
        QTest::addColumn<bool>("listenerSends");
        QTest::addColumn<QStringList>("options");
        QTest::newRow("zmodem, listener sends") << QStringLiteral("zmodem") << true << QStringList();
        QTest::newRow("zmodem, listener receives") << QStringLiteral("zmodem") << false << QStringList();
        QTest::newRow("kermit, long packets and windows")
            << QStringLiteral("kermit") << true
            << QStringList{QStringLiteral("--kermit-max-len"), QStringLiteral("4000"),
                   QStringLiteral("--kermit-windows"), QStringLiteral("8")};
        QTest::newRow("xmodem-1k") << QStringLiteral("xmodem-1k") << false << QStringList();
    }
    void tarnexPair()
    {
        QFETCH(QString, protocol);
        QFETCH(bool, listenerSends);
        QFETCH(QStringList, options);
        QVERIFY2(QFileInfo(tool()).isExecutable(), qPrintable(tool()));
        QTemporaryDir src;
        QTemporaryDir dst;
        QByteArray data = telnetHostileBytes();
        if (protocol == QLatin1String("xmodem-1k"))
            data.resize(data.size() / 1024 * 1024); // Xmodem pads the last block
        const QString file = QDir(src.path()).filePath(QStringLiteral("data.bin"));
        QVERIFY(TestFiles::write(file, data));
        const QStringList common = QStringList{QStringLiteral("--protocol"), protocol} + options;
        const QStringList send = QStringList{QStringLiteral("send")} + common + QStringList{file};
        const QStringList receive = QStringList{QStringLiteral("receive")} + common
            + QStringList{
                QStringLiteral("--dir"), dst.path(), QStringLiteral("--file"), QStringLiteral("data.bin")};

        QProcess listener;
        const quint16 port = startListener(listener, listenerSends ? send : receive);
        QVERIFY2(port != 0, qPrintable(outcome(listener)));
        QProcess client;
        client.setProcessChannelMode(QProcess::SeparateChannels);
        client.start(tool(),
            (listenerSends ? receive : send)
                + QStringList{QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:%1").arg(port)});
        QVERIFY(finished(client));
        QVERIFY(finished(listener));
        QVERIFY2(client.exitCode() == 0, qPrintable(outcome(client)));
        QVERIFY2(listener.exitCode() == 0, qPrintable(outcome(listener)));
        QCOMPARE(TestFiles::read(QDir(dst.path()).filePath(QStringLiteral("data.bin"))), data);
    }

    // What a plain TCP client hears first from the listener: telnet's offer
    // of BINARY by default, the Zmodem receiver's header at once with --raw.
    void listenerOpening_data()
    {
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<QByteArray>("opening");
        QTest::newRow("telnet") << QStringList() << QByteArray("\xff\xfd\x00", 3);
        QTest::newRow("raw") << QStringList{QStringLiteral("--raw")}
                             << QByteArray("**\x18"
                                           "B01");
    }
    void listenerOpening()
    {
        QFETCH(QStringList, extra);
        QFETCH(QByteArray, opening);
        QTemporaryDir dst;
        QProcess listener;
        const quint16 port = startListener(listener,
            QStringList{QStringLiteral("receive"), QStringLiteral("--protocol"), QStringLiteral("zmodem"),
                QStringLiteral("--dir"), dst.path()}
                + extra);
        QVERIFY2(port != 0, qPrintable(outcome(listener)));
        QTcpSocket socket;
        socket.connectToHost(QStringLiteral("127.0.0.1"), port);
        QByteArray heard;
        QTRY_VERIFY_WITH_TIMEOUT((heard += socket.readAll()).size() >= 12, 30000);
        QVERIFY2(heard.startsWith(opening.front()) && heard.contains(opening), heard.toHex(' ').constData());
        listener.kill();
        listener.waitForFinished(5000);
    }

    // lrzsz behind inetutils telnet: telnetd runs sz or rz on a
    // pseudo-terminal for our client; the telnet client, on pipes (so it
    // passes bytes as they are once BINARY is agreed), carries them to our
    // listener, after three lines of its own that the far side skips.
    void againstInetutils_data()
    {
        QTest::addColumn<bool>("weListen");
        QTest::addColumn<bool>("weSend");
        QTest::addColumn<QString>("protocol");
        const QString zmodem = QStringLiteral("zmodem");
        QTest::newRow("sz on telnetd") << false << false << zmodem;
        QTest::newRow("rz on telnetd") << false << true << zmodem;
        QTest::newRow("sz behind the telnet client") << true << false << zmodem;
        QTest::newRow("rz behind the telnet client") << true << true << zmodem;
        // sb flushes its pseudo-terminal as it exits, often before telnetd
        // has read the end-of-batch block.
        QTest::newRow("sb streaming on telnetd") << false << false << QStringLiteral("ymodem-g");
    }
    void againstInetutils()
    {
        QFETCH(bool, weListen);
        QFETCH(bool, weSend);
        QFETCH(QString, protocol);
        const QByteArray sender = protocol == QLatin1String("zmodem") ? "sz" : "sb";
        QTemporaryDir src;
        QTemporaryDir dst;
        const QByteArray data = telnetHostileBytes();
        const QString file = QDir(src.path()).filePath(QStringLiteral("data.bin"));
        QVERIFY(TestFiles::write(file, data));
        const QString far = script(src.path(), QStringLiteral("far.sh"),
            (weListen ? QByteArray("read banner; read banner; read banner\n") : QByteArray())
                + (weSend ? "cd " + dst.path().toLocal8Bit() + " && exec rz -q"
                          : "exec " + sender + " -q " + file.toLocal8Bit()));
        const QStringList transfer = weSend
            ? QStringList{QStringLiteral("send"), QStringLiteral("--protocol"), protocol, file}
            : QStringList{QStringLiteral("receive"), QStringLiteral("--protocol"), protocol,
                QStringLiteral("--dir"), dst.path()};
        QProcess ours;
        QProcess telnet;
        SocketExec telnetd;
        if (weListen) {
            const quint16 port = startListener(ours, transfer);
            QVERIFY2(port != 0, qPrintable(outcome(ours)));
            telnet.start(QStringLiteral("socat"),
                {QStringLiteral("EXEC:telnet -8 -E 127.0.0.1 %1").arg(port), QStringLiteral("EXEC:") + far});
        } else {
            QVERIFY(telnetd.start(QStringLiteral("/usr/sbin/telnetd -h -E ") + far));
            ours.setProcessChannelMode(QProcess::SeparateChannels);
            ours.start(tool(),
                transfer
                    + QStringList{
                        QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:%1").arg(telnetd.port())});
        }
        QVERIFY(finished(ours));
        QVERIFY2(ours.exitCode() == 0, qPrintable(outcome(ours)));
        const QString received = QDir(dst.path()).filePath(QStringLiteral("data.bin"));
        QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(received).size(), data.size(), 30000);
        QCOMPARE(TestFiles::read(received), data);
        if (weListen)
            QVERIFY(finished(telnet));
    }

    // The last packet of a transfer reaches the program behind telnetd before
    // we hang up. A relay that passes what telnetd's terminal receives on to
    // the peer 0.3 s late shows it: telnetd hangs up its terminal as soon as
    // we close, and the peer would never see the packet.
    void lastPacketReachesThePeer_data()
    {
        QTest::addColumn<QString>("protocol");
        QTest::addColumn<QByteArray>("peer");
        QTest::newRow("kermit from gkermit") << QStringLiteral("kermit") << QByteArray("gkermit -q -s");
        QTest::newRow("xmodem-1k from sx") << QStringLiteral("xmodem-1k") << QByteArray("sx -k -q");
        QTest::newRow("ymodem from sb") << QStringLiteral("ymodem") << QByteArray("sb -q");
    }
    void lastPacketReachesThePeer()
    {
        QFETCH(QString, protocol);
        QFETCH(QByteArray, peer);
        QTemporaryDir src;
        QTemporaryDir dst;
        const QByteArray data = TestFiles::randomBytes(3 * 1024, 21);
        const QString file = TestFiles::writeIn(src.path(), QStringLiteral("data.bin"), data);
        const QString status = QDir(src.path()).filePath(QStringLiteral("status"));
        const QString far = script(src.path(), QStringLiteral("far.sh"),
            "stty raw -echo\n"
            "perl -e '$| = 1; while (sysread(STDIN, $b, 65536)) { select(undef, undef, undef, 0.3); "
            "syswrite(STDOUT, $b) }' | { "
                + peer + " " + file.toLocal8Bit() + "; echo $? > " + status.toLocal8Bit() + "; }");
        SocketExec telnetd;
        QVERIFY(telnetd.start(QStringLiteral("/usr/sbin/telnetd -h -E ") + far));
        QProcess ours;
        ours.setProcessChannelMode(QProcess::SeparateChannels);
        ours.start(tool(),
            {QStringLiteral("receive"), QStringLiteral("--protocol"), protocol, QStringLiteral("--dir"),
                dst.path(), QStringLiteral("--file"), QStringLiteral("data.bin"), QStringLiteral("--tcp"),
                QStringLiteral("127.0.0.1:%1").arg(telnetd.port())});
        QVERIFY(finished(ours));
        QVERIFY2(ours.exitCode() == 0, qPrintable(outcome(ours)));
        QCOMPARE(TestFiles::read(QDir(dst.path()).filePath(QStringLiteral("data.bin"))), data);
        QTRY_COMPARE_WITH_TIMEOUT(TestFiles::read(status), QByteArray("0\n"), 10000);
    }

    // The README's third example as the program of a telnet session: Ymodem
    // batch over standard input and output on telnetd's terminal, rb behind
    // the telnet client; and Zmodem the other way.
    void underTelnetd_data()
    {
        QTest::addColumn<QByteArray>("remote");
        QTest::addColumn<QByteArray>("local");
        QTest::addColumn<int>("files");
        QTest::newRow("ymodem batch to rb")
            << QByteArray("send --protocol ymodem a.bin b.bin") << QByteArray("rb -q") << 2;
        QTest::newRow("zmodem from sz")
            << QByteArray("receive --protocol zmodem") << QByteArray("sz -q a.bin") << 1;
    }
    void underTelnetd()
    {
        QFETCH(QByteArray, remote);
        QFETCH(QByteArray, local);
        QFETCH(int, files);
        QTemporaryDir src;
        QTemporaryDir dst;
        QTemporaryDir work;
        const bool remoteSends = remote.startsWith("send");
        const QString from = remoteSends ? src.path() : work.path();
        const QString to = remoteSends ? work.path() : dst.path();
        QList<QByteArray> contents;
        for (int i = 0; i < files; ++i) {
            contents << telnetHostileBytes() + TestFiles::randomBytes(1000 * (i + 1), 30 + i);
            QVERIFY(TestFiles::write(
                QDir(from).filePath(QStringLiteral("%1.bin").arg(QChar(u'a' + i))), contents.last()));
        }
        const QString rc = QDir(work.path()).filePath(QStringLiteral("rc"));
        const QString near = script(work.path(), QStringLiteral("near.sh"),
            // The shell outlives the hang-up that follows the transfer to tell how it ended.
            "trap '' HUP\ncd " + (remoteSends ? from : to).toLocal8Bit() + " && " + tool().toLocal8Bit() + " "
                + remote + "\necho $? > " + rc.toLocal8Bit());
        const QString far = script(work.path(), QStringLiteral("far.sh"),
            "read banner; read banner; read banner\ncd " + (remoteSends ? to : from).toLocal8Bit()
                + " && exec " + local);
        SocketExec telnetd;
        QVERIFY(telnetd.start(QStringLiteral("/usr/sbin/telnetd -h -E ") + near));
        QProcess telnet;
        telnet.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        telnet.start(QStringLiteral("socat"),
            {QStringLiteral("EXEC:telnet -8 -E 127.0.0.1 %1").arg(telnetd.port()),
                QStringLiteral("EXEC:") + far});
        QTRY_COMPARE_WITH_TIMEOUT(TestFiles::read(rc), QByteArray("0\n"), 60000);
        for (int i = 0; i < files; ++i)
            QTRY_COMPARE_WITH_TIMEOUT(
                TestFiles::read(QDir(to).filePath(QStringLiteral("%1.bin").arg(QChar(u'a' + i)))),
                contents[i], 20000);
        telnet.kill();
        telnet.waitForFinished(5000);
    }
};

QTEST_GUILESS_MAIN(XferTelnetTest)
#include "xfer_telnet.moc"
