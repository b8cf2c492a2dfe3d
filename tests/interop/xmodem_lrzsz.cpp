#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include "comms/transfer/ProtocolEngine.h"
#include "comms/transfer/xmodem/XmodemBlock.h"
#include "support/ChainSpy.h"
#include "support/EngineFiles.h"
#include "support/TestFiles.h"
#include "support/ZmodemPeer.h"

// Our Xmodem family and Ymodem against lrzsz's sx/rx and sb/rb, both
// directions, over a pipe pair and a pseudo-terminal pair; sb also streams
// Ymodem-G to our G receiver.
namespace {

constexpr int transferTimeoutMs = 180000;

QByteArray everyByteValue()
{
    QByteArray data;
    for (int round = 0; round < 12; ++round)
        for (int c = 0; c < 256; ++c)
            data.append(char(c));
    // Flow control, CAN runs and header bytes where a block would start.
    data.append("\x11\x13\x18\x18\x18\x01\x02\x04\x18\x18", 10);
    return data;
}

QList<QByteArray> contentsNamed(const QString &which)
{
    if (which == QLatin1String("batch"))
        return {
            TestFiles::randomBytes(70000, 2), QByteArray("short text\r\n"), TestFiles::randomBytes(4097, 3)};
    if (which == QLatin1String("empty"))
        return {QByteArray()};
    if (which == QLatin1String("every byte"))
        return {everyByteValue()};
    return {TestFiles::randomBytes(150000, 1) + "end"};
}

struct Mode {
    const char *name;
    ProtocolType type;
    QStringList senderArgs; // sx/sb
    QStringList receiverArgs; // rx/rb
};

// Xmodem has no size: rx and we keep the padding of the last block.
bool sameWithPadding(const QByteArray &got, const QByteArray &sent)
{
    return got.startsWith(sent) && got.mid(sent.size()) == QByteArray(got.size() - sent.size(), Xmodem::SUB);
}

} // namespace

class XmodemLrzszTest : public QObject {
    Q_OBJECT
private slots:
    void transfers_data()
    {
        QTest::addColumn<bool>("weSend");
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("peerArgs");
        QTest::addColumn<QString>("which");
        const QString q = QStringLiteral("-q");
        const QList<Mode> xmodes{
            {"checksum", ProtocolType::Xmodem, {q}, {q}},
            {"crc", ProtocolType::XmodemCrc, {q}, {q, QStringLiteral("-c")}},
            {"1k", ProtocolType::Xmodem1K, {q, QStringLiteral("-k")}, {q, QStringLiteral("-c")}},
        };
        const Mode ymodem{"ymodem", ProtocolType::Ymodem, {q}, {q}};
        const Mode ymodemG{"ymodem-g", ProtocolType::YmodemG, {q}, {}};
        for (const int line : {int(ZmodemPeer::Line::Pipe), int(ZmodemPeer::Line::Pty)}) {
            const char *lineName = line == int(ZmodemPeer::Line::Pipe) ? "pipe" : "pty";
            for (const bool weSend : {true, false}) {
                const auto row = [&](const Mode &mode, const char *which) {
                    QTest::addRow(
                        "%s %s %s %s", weSend ? "we send" : "we receive", lineName, mode.name, which)
                        << weSend << line << int(mode.type) << (weSend ? mode.receiverArgs : mode.senderArgs)
                        << QString::fromLatin1(which);
                };
                for (const Mode &mode : xmodes)
                    for (const char *which : {"single", "every byte"})
                        row(mode, which);
                for (const char *which : {"single", "batch", "empty", "every byte"})
                    row(ymodem, which);
                // sb ends a stream by flushing its terminal without waiting for
                // the end-of-batch block to be read; on a pseudo-terminal that
                // flush discards the block whenever the reader is a moment late,
                // and our receiver must end the batch on silence.
                if (!weSend)
                    for (const char *which : {"single", "batch"})
                        row(ymodemG, which);
            }
        }
    }

    void transfers()
    {
        QFETCH(bool, weSend);
        QFETCH(int, line);
        QFETCH(int, type);
        QFETCH(QStringList, peerArgs);
        QFETCH(QString, which);
        const bool batch = isBatchProtocol(ProtocolType(type));
        const QList<QByteArray> contents = contentsNamed(which);
        QTemporaryDir from;
        QTemporaryDir to;
        QStringList names;
        QStringList paths;
        for (int i = 0; i < contents.size(); ++i) {
            names << QStringLiteral("f%1.bin").arg(i);
            paths << from.filePath(names.last());
            QVERIFY(TestFiles::write(paths.last(), contents[i]));
        }

        ZmodemPeer peer;
        ProtocolEngine engine;
        engine.setProtocolType(ProtocolType(type));
        if (weSend) {
            const QString program = batch ? QStringLiteral("rb") : QStringLiteral("rx");
            QVERIFY2(peer.start(ZmodemPeer::Line(line), program, peerArgs + (batch ? QStringList() : names),
                         to.path()),
                qPrintable(peer.error()));
            sendInOrder(engine, paths);
        } else {
            const QString program = batch ? QStringLiteral("sb") : QStringLiteral("sx");
            QVERIFY2(peer.start(ZmodemPeer::Line(line), program, peerArgs + paths, from.path()),
                qPrintable(peer.error()));
            engine.setDestinationDirectory(to.path());
            engine.setFileName(names.first());
        }
        engine.setLink(peer.link());
        ChainSpy<int> finished(engine.events().finish);
        QVERIFY(weSend ? engine.startTransmit() : engine.startReceive());
        QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty(), transferTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(peer.hasExited(), 30000);
        const int code = finished.first().first().toInt();
        QVERIFY2(code == 0,
            qPrintable(QStringLiteral("code %1 at %4, %2: %3")
                           .arg(code)
                           .arg(engine.status().lastError, QString::fromLocal8Bit(peer.diagnostics()))
                           .arg(engine.status().bytesDone)));
        QVERIFY2(peer.exitCode() == 0, peer.diagnostics().constData());
        for (int i = 0; i < contents.size(); ++i) {
            const QByteArray got = TestFiles::read(to.filePath(names[i]));
            if (!batch)
                QVERIFY2(sameWithPadding(got, contents[i]), qPrintable(names[i]));
            else
                QVERIFY2(got == contents[i], qPrintable(names[i]));
        }
        QCOMPARE(QDir(to.path()).entryList(QDir::Files).size(), contents.size());
    }
};

QTEST_GUILESS_MAIN(XmodemLrzszTest)
#include "xmodem_lrzsz.moc"
