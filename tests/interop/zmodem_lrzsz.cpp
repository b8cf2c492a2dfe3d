#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include "comms/transfer/ProtocolEngine.h"
#include "support/ChainSpy.h"
#include "support/EngineFiles.h"
#include "support/TestFiles.h"
#include "support/ZmodemPeer.h"

// Our Zmodem against lrzsz's sz and rz, both directions, over a pipe pair
// and a pseudo-terminal pair.
namespace {

constexpr int transferTimeoutMs = 180000;

// Every byte value, and the sequences an escaping mistake would break: CAN
// runs (an abort when unescaped), flow control, CR after '@', a header-like
// run, and 0x7f/0xff.
QByteArray trickyBytes()
{
    QByteArray data;
    for (int round = 0; round < 40; ++round) {
        for (int c = 0; c < 256; ++c)
            data.append(char(c));
        data.append("@\r@\r\r\xc0\r@\x8d\xc0\x8d", 11);
        data.append(QByteArray(7, '\x18'));
        data.append("**\x18"
                    "B0100000000\r\n\x11\x13\x91\x93\x90\x10\x7f\xff",
            24);
        data.append("*\x18"
                    "C\x18h\x18k",
            7);
    }
    return data;
}

void writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
    f.write(data);
}

struct Case {
    QStringList names;
    QList<QByteArray> contents;
};

Case caseNamed(const QString &which)
{
    if (which == QLatin1String("single"))
        return {{QStringLiteral("single.bin")}, {TestFiles::randomBytes(300000, 1)}};
    if (which == QLatin1String("batch"))
        return {{QStringLiteral("one.bin"), QStringLiteral("two.txt"), QStringLiteral("three")},
            {TestFiles::randomBytes(70000, 2), QByteArray("short text\r\n"),
                TestFiles::randomBytes(4097, 3)}};
    if (which == QLatin1String("empty"))
        return {{QStringLiteral("empty.dat")}, {QByteArray()}};
    if (which == QLatin1String("tricky"))
        return {{QStringLiteral("tricky.bin")}, {trickyBytes()}};
    return {{QStringLiteral("big8k.bin")}, {TestFiles::randomBytes(1500000, 4)}};
}

} // namespace

class ZmodemLrzszTest : public QObject {
    Q_OBJECT
private slots:
    void transfers_data()
    {
        QTest::addColumn<bool>("weSend");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("which");
        for (const bool weSend : {true, false}) {
            for (const int line : {int(ZmodemPeer::Line::Pipe), int(ZmodemPeer::Line::Pty)}) {
                for (const char *which : {"single", "batch", "empty", "tricky", "8k"}) {
                    const QByteArray row = QByteArray(weSend ? "we send " : "we receive ")
                        + (line == int(ZmodemPeer::Line::Pipe) ? "pipe " : "pty ") + which;
                    QTest::newRow(row.constData()) << weSend << line << QString::fromLatin1(which);
                }
            }
        }
    }

    void transfers()
    {
        QFETCH(bool, weSend);
        QFETCH(int, line);
        QFETCH(QString, which);
        const Case files = caseNamed(which);
        const bool eightK = which == QLatin1String("8k");
        QTemporaryDir from;
        QTemporaryDir to;
        QStringList paths;
        for (int i = 0; i < files.names.size(); ++i) {
            paths << from.filePath(files.names[i]);
            writeFile(paths.last(), files.contents[i]);
        }

        ZmodemPeer peer;
        ProtocolEngine engine;
        engine.setProtocolType(ProtocolType::Zmodem);
        engine.options().zmodem8K = eightK;
        QStringList queue = paths;
        if (weSend) {
            QVERIFY2(
                peer.start(ZmodemPeer::Line(line), QStringLiteral("rz"), {QStringLiteral("-q")}, to.path()),
                qPrintable(peer.error()));
            sendInOrder(engine, queue);
        } else {
            QStringList args{QStringLiteral("-q")};
            if (eightK)
                args << QStringLiteral("--start-8k");
            QVERIFY2(peer.start(ZmodemPeer::Line(line), QStringLiteral("sz"), args + paths, from.path()),
                qPrintable(peer.error()));
            engine.setDestinationDirectory(to.path());
        }
        engine.setLink(peer.link());
        ChainSpy<int> finished(engine.events().finish);
        QVERIFY(weSend ? engine.startTransmit() : engine.startReceive());
        QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty(), transferTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(peer.hasExited(), 30000);
        QVERIFY2(finished.first().first().toInt() == 0, peer.diagnostics().constData());
        QVERIFY2(peer.exitCode() == 0, peer.diagnostics().constData());
        for (int i = 0; i < files.names.size(); ++i)
            QVERIFY2(TestFiles::read(to.filePath(files.names[i])) == files.contents[i],
                qPrintable(files.names[i]));
        QCOMPARE(QDir(to.path()).entryList(QDir::Files).size(), files.names.size());
    }
};

QTEST_GUILESS_MAIN(ZmodemLrzszTest)
#include "zmodem_lrzsz.moc"
