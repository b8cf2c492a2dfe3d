#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "comms/transfer/ProtocolEngine.h"
#include "support/ChainSpy.h"
#include "support/LinkPair.h"
#include "support/TestFiles.h"

using TestFiles::read;

namespace {

constexpr int waitMs = 30000;

// One ASCII engine on side a of a LinkPair; side b is the raw line.
struct AsciiSide {
    AsciiSide()
    {
        engine.setProtocolType(ProtocolType::Ascii);
        engine.setLink(&pair.a);
        engine.setDestinationDirectory(dir.path());
        engine.options().handshakeWaitTicks = 4;
        engine.options().asciiEofTimeoutTicks = 4;
        QObject::connect(&pair.b, &ByteLink::received, &pair.b, [this](const QByteArray &bytes) {
            wire += bytes;
            arrivals.append({clock.elapsed(), bytes});
        });
        clock.start();
    }
    QString file(const QString &name, const QByteArray &data)
    {
        const QString path = dir.filePath(name);
        return TestFiles::write(path, data) ? path : QString();
    }
    int run()
    {
        ChainSpy<int> finished(engine.events().finish);
        if (!finished.wait(waitMs))
            return -1;
        return finished.first().first().toInt();
    }

    QTemporaryDir dir;
    LinkPair pair;
    ProtocolEngine engine;
    QByteArray wire;
    QElapsedTimer clock;
    QList<std::pair<qint64, QByteArray>> arrivals;
};

} // namespace

// The ASCII engine against a raw line: translations both ways, pacing,
// the end-of-file time-out, cancel and line loss.
class AsciiTransferTest : public QObject {
    Q_OBJECT
private slots:
    // Rows: CR option, LF option, bytes before and after the translation,
    // which applies alike to a file sent and to the line received.
    void translations_data()
    {
        QTest::addColumn<int>("cr");
        QTest::addColumn<int>("lf");
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<QByteArray>("out");
        const QByteArray mixed("a\r\nb\nc\rd");
        QTest::newRow("none") << 0 << 0 << mixed << mixed;
        QTest::newRow("strip CR") << 1 << 0 << mixed << QByteArray("a\nb\ncd");
        QTest::newRow("strip LF") << 0 << 1 << mixed << QByteArray("a\rbc\rd");
        QTest::newRow("strip both") << 1 << 1 << mixed << QByteArray("abcd");
        QTest::newRow("CR before LF") << 0 << 2 << mixed << QByteArray("a\r\r\nb\r\nc\rd");
        QTest::newRow("LF after CR") << 3 << 0 << mixed << QByteArray("a\r\n\nb\nc\r\nd");
        QTest::newRow("LF and CR LF ends to CR LF") << 1 << 2 << mixed << QByteArray("a\r\nb\r\ncd");
        QTest::newRow("old Mac to CR LF") << 3 << 1 << mixed << QByteArray("a\r\nbc\r\nd");
        QTest::newRow("both adding choices once each")
            << 2 << 2 << QByteArray("\n\r") << QByteArray("\r\n\r");
        QTest::newRow("other bytes untouched")
            << 1 << 1 << QByteArray("\x00\x1a\xff\r\x0b", 5) << QByteArray("\x00\x1a\xff\x0b", 4);
    }
    void translations()
    {
        QFETCH(int, cr);
        QFETCH(int, lf);
        QFETCH(QByteArray, in);
        QFETCH(QByteArray, out);
        {
            AsciiSide s;
            s.engine.options().asciiCr = static_cast<AsciiTranslation>(cr);
            s.engine.options().asciiLf = static_cast<AsciiTranslation>(lf);
            s.engine.setFileName(s.file(QStringLiteral("up.txt"), in));
            QVERIFY(s.engine.startTransmit());
            QCOMPARE(s.run(), 0);
            QCOMPARE(s.wire, out);
            QCOMPARE(s.engine.status().bytesDone, in.size());
        }
        {
            AsciiSide s;
            s.engine.options().asciiCr = static_cast<AsciiTranslation>(cr);
            s.engine.options().asciiLf = static_cast<AsciiTranslation>(lf);
            s.engine.setFileName(QStringLiteral("down.txt"));
            QVERIFY(s.engine.startReceive());
            // Split so that a CR LF pair straddles two deliveries.
            s.pair.b.send(in.left(2));
            QTest::qWait(20);
            s.pair.b.send(in.mid(2));
            QCOMPARE(s.run(), 0);
            QCOMPARE(read(s.dir.filePath(QStringLiteral("down.txt"))), out);
        }
    }

    void largeFileStreamsUnchanged()
    {
        AsciiSide s;
        const QByteArray data = TestFiles::randomBytes(3 * 1024 * 1024 + 17, 3);
        s.engine.setFileName(s.file(QStringLiteral("big.bin"), data));
        QVERIFY(s.engine.startTransmit());
        QCOMPARE(s.run(), 0);
        QCOMPARE(s.wire, data);
    }

    // Each character of a line arrives on its own, each line after the line
    // delay; the gaps are checked from below only.
    void delaysPaceTheSend_data()
    {
        QTest::addColumn<int>("charDelay");
        QTest::addColumn<int>("lineDelay");
        QTest::addColumn<int>("arrivals");
        QTest::newRow("characters") << 15 << 0 << 13;
        QTest::newRow("lines") << 0 << 150 << 3;
        QTest::newRow("both") << 10 << 100 << 13;
    }
    void delaysPaceTheSend()
    {
        QFETCH(int, charDelay);
        QFETCH(int, lineDelay);
        QFETCH(int, arrivals);
        AsciiSide s;
        s.engine.options().asciiCharDelayMs = charDelay;
        s.engine.options().asciiLineDelayMs = lineDelay;
        const QByteArray text("one\r\ntwo\nsix\r");
        s.engine.setFileName(s.file(QStringLiteral("paced.txt"), text));
        QVERIFY(s.engine.startTransmit());
        QCOMPARE(s.run(), 0);
        QCOMPARE(s.wire, text);
        QCOMPARE(s.arrivals.size(), arrivals);
        qint64 lineGaps = 0;
        for (int i = 1; i < s.arrivals.size(); ++i) {
            const qint64 gap = s.arrivals[i].first - s.arrivals[i - 1].first;
            const bool afterLine = s.arrivals[i - 1].second.endsWith('\n');
            QVERIFY2(gap >= (charDelay + (afterLine ? lineDelay : 0)) / 2,
                qPrintable(QStringLiteral("gap %1 ms before arrival %2").arg(gap).arg(i)));
            if (afterLine && lineDelay > 0)
                ++lineGaps;
        }
        QCOMPARE(lineGaps, lineDelay > 0 ? 2 : 0);
    }

    void silenceBeforeAnyDataTimesOutWithoutAFile()
    {
        AsciiSide s;
        s.engine.setFileName(QStringLiteral("never.txt"));
        QSignalSpy errors(&s.engine, &ProtocolEngine::error);
        QVERIFY(s.engine.startReceive());
        QCOMPARE(s.run(), int(TransferResult::TimedOut));
        QCOMPARE(errors.size(), 1);
        QCOMPARE(QDir(s.dir.path()).entryList(QDir::Files), QStringList());
    }

    // The time-out counts silence, not the whole transfer: data that keeps
    // coming within it keeps the receive open.
    void steadyDataKeepsTheReceiveOpen()
    {
        AsciiSide s;
        s.engine.options().asciiEofTimeoutTicks = 20; // about 1.1 s
        s.engine.setFileName(QStringLiteral("log.txt"));
        QVERIFY(s.engine.startReceive());
        QByteArray sent;
        for (int i = 0; i < 15; ++i) {
            const QByteArray line = QByteArray::number(i) + "\r\n";
            s.pair.b.send(line);
            sent += line;
            QTest::qWait(100);
            QVERIFY(s.engine.inProgress());
        }
        QCOMPARE(s.run(), 0);
        QCOMPARE(read(s.dir.filePath(QStringLiteral("log.txt"))), sent);
    }

    void writeFailActionsApply_data()
    {
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("newName");
        QTest::newRow("reject") << int(WriteFailAction::Reject) << int(TransferResult::FileRejected)
                                << QString();
        QTest::newRow("rename") << int(WriteFailAction::Rename) << 0 << QStringLiteral("a-1.txt");
        QTest::newRow("overwrite") << int(WriteFailAction::Overwrite) << 0 << QStringLiteral("a.txt");
    }
    void writeFailActionsApply()
    {
        QFETCH(int, action);
        QFETCH(int, code);
        QFETCH(QString, newName);
        AsciiSide s;
        s.file(QStringLiteral("a.txt"), "old");
        s.engine.options().writeFailAction = static_cast<WriteFailAction>(action);
        s.engine.setFileName(QStringLiteral("../a.txt"));
        s.engine.startReceive();
        s.pair.b.send("new");
        QCOMPARE(s.run(), code);
        if (newName.isEmpty())
            QCOMPARE(read(s.dir.filePath(QStringLiteral("a.txt"))), QByteArray("old"));
        else
            QCOMPARE(read(s.dir.filePath(newName)), QByteArray("new"));
        QVERIFY(!QFileInfo::exists(QFileInfo(s.dir.path()).dir().filePath(QStringLiteral("a.txt"))));
    }

    void cancelOrLineLossEndsWithACode_data()
    {
        QTest::addColumn<bool>("sending");
        QTest::addColumn<bool>("lineLost");
        QTest::newRow("cancel send") << true << false;
        QTest::newRow("cancel receive") << false << false;
        QTest::newRow("line lost while sending") << true << true;
        QTest::newRow("line lost while receiving") << false << true;
    }
    void cancelOrLineLossEndsWithACode()
    {
        QFETCH(bool, sending);
        QFETCH(bool, lineLost);
        AsciiSide s;
        s.engine.options().asciiCharDelayMs = 5;
        s.engine.options().asciiEofTimeoutTicks = 1000;
        if (sending) {
            s.engine.setFileName(s.file(QStringLiteral("long.txt"), QByteArray(2000, 'x')));
            QVERIFY(s.engine.startTransmit());
        } else {
            s.engine.setFileName(QStringLiteral("part.txt"));
            QVERIFY(s.engine.startReceive());
            s.pair.b.send("some data");
        }
        QSignalSpy errors(&s.engine, &ProtocolEngine::error);
        QTest::qWait(100);
        QVERIFY(s.engine.inProgress());
        if (lineLost)
            s.pair.close();
        else
            s.engine.cancel();
        const int expected = lineLost ? TransferResult::CarrierLost : TransferResult::CancelledLocally;
        QCOMPARE(s.run(), expected);
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors.first().first().toInt(), expected);
        if (sending) {
            QVERIFY(s.wire.size() < 2000);
        } else {
            // No end marker: what arrived before the end is the capture.
            QCOMPARE(read(s.dir.filePath(QStringLiteral("part.txt"))), QByteArray("some data"));
            QVERIFY(!QFileInfo::exists(s.dir.filePath(QStringLiteral("part.txt.part"))));
        }
    }
};

QTEST_GUILESS_MAIN(AsciiTransferTest)
#include "ascii_transfer.moc"
