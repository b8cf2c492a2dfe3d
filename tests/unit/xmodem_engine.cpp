#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "comms/transfer/ProtocolEngine.h"
#include "comms/transfer/xmodem/XmodemBlock.h"
#include "support/ChainSpy.h"
#include "support/EngineFiles.h"
#include "support/LinkPair.h"
#include "support/TestFiles.h"
#include "support/TransferSession.h"

// Our Xmodem-family and Ymodem sender against our receiver: every type,
// every shape of file, batches, cancels, line loss, refusals, name clashes
// and hostile names.
namespace {

const QList<ProtocolType> allTypes{ProtocolType::Xmodem, ProtocolType::XmodemCrc, ProtocolType::Xmodem1K,
    ProtocolType::Xmodem1KG, ProtocolType::Ymodem, ProtocolType::YmodemG};

bool isBatch(ProtocolType type)
{
    return type == ProtocolType::Ymodem || type == ProtocolType::YmodemG;
}

QByteArray everyByteValue()
{
    QByteArray data;
    for (int round = 0; round < 5; ++round)
        for (int c = 0; c < 256; ++c)
            data.append(char(c));
    return data;
}

// Xmodem has no size, so the receiver names the file and trailing SUB bytes
// count as padding; the contents here end in something else.
struct Session : TransferSession {
    explicit Session(ProtocolType type, const NoiseRelay::Settings &noise = {})
        : TransferSession(type, noise)
        , type(type)
    {
        if (!isBatch(type))
            receiver.setFileName(QStringLiteral("got.bin"));
    }
    QString put(const QString &name, const QByteArray &data)
    {
        const QString path = src.filePath(name);
        TestFiles::write(path, data);
        return path;
    }
    // Where a sent file lands.
    QString landed(const QString &name) const
    {
        return QDir(dst.path()).filePath(isBatch(type) ? name : QStringLiteral("got.bin"));
    }
    ProtocolType type;
};

// A hand-built sender: each answer of the receiver brings the next step;
// with hangUp it drops the line once the script is done. Returns the
// receiver's result, or -1 when it does not finish.
int receiveScript(ProtocolType type, const QString &dst, QList<QByteArray> script, bool hangUp = false)
{
    LinkPair pair;
    ProtocolEngine receiver;
    receiver.setProtocolType(type);
    receiver.setDestinationDirectory(dst);
    receiver.setFileName(QStringLiteral("got.bin"));
    receiver.setLink(&pair.b);
    ChainSpy<int> finished(receiver.events().finish);
    QObject::connect(&pair.a, &ByteLink::received, &pair.a, [&] {
        if (!script.isEmpty())
            pair.a.send(script.takeFirst());
        if (script.isEmpty() && hangUp)
            QTimer::singleShot(100, &pair.a, [&pair] { pair.close(); });
    });
    receiver.startReceive();
    return finished.wait(30000) ? finished.first().first().toInt() : -1;
}

} // namespace

class XmodemEngineTest : public QObject {
    Q_OBJECT
private slots:
    void transfers_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QList<QByteArray>>("contents");
        for (const ProtocolType type : allTypes) {
            const QByteArray name = protocolName(type).toLatin1();
            const auto row = [&](const char *what, const QList<QByteArray> &contents) {
                QTest::newRow((name + ' ' + what).constData()) << int(type) << contents;
            };
            row("random", {TestFiles::randomBytes(70000, 5) + "end"});
            row("every byte value", {everyByteValue()});
            row("empty", {QByteArray()});
            row("one block exactly", {QByteArray(1024, '\x18')});
            if (isBatch(type))
                row("batch",
                    {TestFiles::randomBytes(3000, 1), QByteArray(), QByteArray(130, '\x1a'),
                        TestFiles::randomBytes(20000, 2)});
        }
    }
    void transfers()
    {
        QFETCH(int, type);
        QFETCH(QList<QByteArray>, contents);
        Session s{ProtocolType(type)};
        QStringList paths;
        for (int i = 0; i < contents.size(); ++i)
            paths << s.put(QStringLiteral("f%1.dat").arg(i), contents[i]);
        s.sendFiles(paths);
        QVERIFY(s.run());
        QCOMPARE(s.sendCode, 0);
        QCOMPARE(s.receiveCode, 0);
        QCOMPARE(s.received().size(), contents.size());
        for (int i = 0; i < contents.size(); ++i)
            QCOMPARE(TestFiles::read(s.landed(QStringLiteral("f%1.dat").arg(i))), contents[i]);
    }

    void cancelFromEitherSide_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("senderCancels");
        for (const ProtocolType type : allTypes) {
            for (const bool senderCancels : {true, false})
                QTest::addRow(
                    "%s, %s cancels", qPrintable(protocolName(type)), senderCancels ? "sender" : "receiver")
                    << int(type) << senderCancels;
        }
    }
    void cancelFromEitherSide()
    {
        QFETCH(int, type);
        QFETCH(bool, senderCancels);
        Session s{ProtocolType(type)};
        s.sendFiles({s.put(QStringLiteral("big.bin"), TestFiles::randomBytes(3000000, 9))});
        ProtocolEngine &canceller = senderCancels ? s.sender : s.receiver;
        qint64 arrived = 0;
        QObject::connect(&s.fromRelay.b, &ByteLink::received, &canceller, [&](const QByteArray &bytes) {
            arrived += bytes.size();
            if (arrived > 50000 && canceller.inProgress())
                canceller.cancel();
        });
        QVERIFY(s.run());
        QCOMPARE(senderCancels ? s.sendCode : s.receiveCode, int(TransferResult::CancelledLocally));
        QCOMPARE(senderCancels ? s.receiveCode : s.sendCode, int(TransferResult::CancelledByRemote));
        QCOMPARE(s.received(), QStringList());
    }

    void lineLostMidFile_data()
    {
        QTest::addColumn<int>("type");
        for (const ProtocolType type : allTypes)
            QTest::newRow(qPrintable(protocolName(type))) << int(type);
    }
    void lineLostMidFile()
    {
        QFETCH(int, type);
        NoiseRelay::Settings cut;
        cut.cutAfter = 100000;
        Session s(ProtocolType(type), cut);
        s.sendFiles({s.put(QStringLiteral("big.bin"), TestFiles::randomBytes(1000000, 4))});
        QVERIFY(s.run());
        QCOMPARE(s.sendCode, int(TransferResult::CarrierLost));
        QCOMPARE(s.receiveCode, int(TransferResult::CarrierLost));
        QCOMPARE(s.received(), QStringList());
    }

    // A refused Xmodem file stops the sender; a refused Ymodem file is read
    // into nothing and the batch goes on.
    void receiverRefuses_data() { lineLostMidFile_data(); }
    void receiverRefuses()
    {
        QFETCH(int, type);
        Session s{ProtocolType(type)};
        acceptWhen(s.receiver, [](const QString &path) { return !path.endsWith(QLatin1String("no.txt")); });
        if (isBatch(s.type))
            s.sendFiles(
                {s.put(QStringLiteral("no.txt"), "refused"), s.put(QStringLiteral("yes.txt"), "taken")});
        else
            s.sendFiles({s.put(QStringLiteral("x.txt"), "refused")});
        s.receiver.setFileName(QStringLiteral("no.txt"));
        QVERIFY(s.run());
        QCOMPARE(s.receiveCode, int(TransferResult::FileRejected));
        if (isBatch(s.type)) {
            QCOMPARE(s.sendCode, 0);
            QCOMPARE(s.received(), QStringList{QStringLiteral("yes.txt")});
        } else {
            QCOMPARE(s.sendCode, int(TransferResult::CancelledByRemote));
            QCOMPARE(s.received(), QStringList());
        }
    }

    // Xmodem carries no length: trailing SUB bytes of the data are kept
    // unless they are asked to be taken as padding.
    void trailingSubBytes_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("strip");
        QTest::addColumn<QByteArray>("stored");
        const QByteArray tail = TestFiles::randomBytes(1000, 9) + QByteArray(24, Xmodem::SUB);
        const QByteArray subs(128, Xmodem::SUB);
        const int oneK = int(ProtocolType::Xmodem1K);
        const int plain = int(ProtocolType::Xmodem);
        QTest::newRow("1k block ending in SUBs, kept") << oneK << tail << false << tail;
        QTest::newRow("1k block ending in SUBs, stripped") << oneK << tail << true << tail.left(1000);
        QTest::newRow("only SUBs, kept") << plain << subs << false << subs;
        QTest::newRow("only SUBs, stripped") << plain << subs << true << QByteArray();
        QTest::newRow("padded short block, kept")
            << plain << QByteArray("text") << false << QByteArray("text") + QByteArray(124, Xmodem::SUB);
    }
    void trailingSubBytes()
    {
        QFETCH(int, type);
        QFETCH(QByteArray, data);
        QFETCH(bool, strip);
        QFETCH(QByteArray, stored);
        Session s{ProtocolType(type)};
        s.receiver.options().xmodemStripPadding = strip;
        s.sendFiles({s.put(QStringLiteral("subs.bin"), data)});
        QVERIFY(s.run());
        QCOMPARE(s.sendCode, 0);
        QCOMPARE(s.receiveCode, 0);
        QCOMPARE(TestFiles::read(s.landed(QStringLiteral("subs.bin"))), stored);
    }

    // A Ymodem file that cannot be created is not acknowledged as delivered:
    // the sender is cancelled.
    void cannotCreateCancelsSender_data()
    {
        QTest::addColumn<int>("type");
        QTest::newRow("ymodem") << int(ProtocolType::Ymodem);
        QTest::newRow("ymodem-g") << int(ProtocolType::YmodemG);
    }
    void cannotCreateCancelsSender()
    {
        QFETCH(int, type);
        Session s{ProtocolType(type)};
        const QString notAFolder = s.dst.filePath(QStringLiteral("plain-file"));
        QVERIFY(TestFiles::write(notAFolder, "x"));
        s.receiver.setDestinationDirectory(notAFolder);
        s.sendFiles({s.put(QStringLiteral("a.bin"), TestFiles::randomBytes(5000, 3))});
        QVERIFY(s.run());
        QCOMPARE(s.receiveCode, int(TransferResult::CannotCreate));
        QCOMPARE(s.sendCode, int(TransferResult::CancelledByRemote));
    }

    void nameClash_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("receiveCode");
        QTest::addColumn<QString>("newName"); // where the new data lands; empty: nowhere
        for (const ProtocolType type : {ProtocolType::XmodemCrc, ProtocolType::Ymodem}) {
            const QByteArray name = protocolName(type).toLatin1();
            QTest::newRow(name + " none") << int(type) << int(WriteFailAction::None) << 0 << "a.txt";
            QTest::newRow(name + " reject") << int(type) << int(WriteFailAction::Reject)
                                            << int(TransferResult::FileRejected) << QString();
            QTest::newRow(name + " rename") << int(type) << int(WriteFailAction::Rename) << 0 << "a-1.txt";
            QTest::newRow(name + " overwrite")
                << int(type) << int(WriteFailAction::Overwrite) << 0 << "a.txt";
        }
    }
    void nameClash()
    {
        QFETCH(int, type);
        QFETCH(int, action);
        QFETCH(int, receiveCode);
        QFETCH(QString, newName);
        Session s{ProtocolType(type)};
        s.receiver.options().writeFailAction = WriteFailAction(action);
        s.receiver.setFileName(QStringLiteral("a.txt"));
        TestFiles::write(s.dst.filePath(QStringLiteral("a.txt")), "old");
        s.sendFiles({s.put(QStringLiteral("a.txt"), "new")});
        QVERIFY(s.run());
        QCOMPARE(s.receiveCode, receiveCode);
        if (newName != QLatin1String("a.txt"))
            QCOMPARE(TestFiles::read(s.dst.filePath(QStringLiteral("a.txt"))), QByteArray("old"));
        if (!newName.isEmpty())
            QCOMPARE(TestFiles::read(s.dst.filePath(newName)), QByteArray("new"));
        QCOMPARE(s.received().size(), newName == QLatin1String("a-1.txt") ? 2 : 1);
    }

    // Block 0 with the given name and size, one data block, EOT twice (the
    // receiver makes sure of the first) and the empty block 0 that ends the
    // batch.
    void scriptedBatch_data()
    {
        QTest::addColumn<QByteArray>("wireName");
        QTest::addColumn<QByteArray>("size");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("files");
        QTest::newRow("parent") << QByteArray("../x") << QByteArray("7") << 0 << 1;
        QTest::newRow("parents") << QByteArray("../../../x") << QByteArray("7") << 0 << 1;
        QTest::newRow("absolute") << QByteArray("/etc/x") << QByteArray("7") << 0 << 1;
        QTest::newRow("backslashes") << QByteArray("..\\..\\x") << QByteArray("7") << 0 << 1;
        QTest::newRow("control characters") << QByteArray("a\x01\x1b[2J\x7f") << QByteArray("7") << 0 << 1;
        QTest::newRow("device") << QByteArray("nul") << QByteArray("7") << 0 << 1;
        QTest::newRow("very long") << QByteArray(1000, 'n') << QByteArray("7") << 0 << 1;
        QTest::newRow("only dots") << QByteArray("../..") << QByteArray("7") << 0 << 1;
        QTest::newRow("shorter than announced")
            << QByteArray("short") << QByteArray("5000") << int(TransferResult::ProtocolError) << 0;
    }
    void scriptedBatch()
    {
        QFETCH(QByteArray, wireName);
        QFETCH(QByteArray, size);
        QFETCH(int, code);
        QFETCH(int, files);
        QTemporaryDir root;
        const QString dst = root.filePath(QStringLiteral("in/deeper"));
        QVERIFY(QDir().mkpath(dst));
        const QByteArray header = wireName + '\0' + size + '\0';
        QCOMPARE(receiveScript(ProtocolType::Ymodem, dst,
                     {Xmodem::buildBlock(0, header, header.size() > 128 ? 1024 : 128, true, '\0')
                             + Xmodem::buildBlock(1, "payload", 128, true),
                         QByteArray(1, Xmodem::EOT), QByteArray(1, Xmodem::EOT),
                         Xmodem::buildBlock(0, QByteArray(), 128, true, '\0')}),
            code);
        const QStringList inside = QDir(dst).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(inside.size(), files);
        if (files)
            QCOMPARE(TestFiles::read(QDir(dst).filePath(inside.first())), QByteArray("payload"));
        QCOMPARE(QDir(root.filePath(QStringLiteral("in"))).entryList(QDir::Files).size(), 0);
        QCOMPARE(QDir(root.path()).entryList(QDir::Files).size(), 0);
    }

    // A Ymodem-G sender that exits without its end-of-batch block, leaving
    // the line quiet or dropping it: the files that arrived whole make the
    // result, one cut short still fails.
    void streamWithoutEndOfBatch_data()
    {
        QTest::addColumn<QByteArray>("size");
        QTest::addColumn<bool>("hangUp");
        QTest::addColumn<int>("code");
        const int shortFile = TransferResult::ProtocolError;
        QTest::newRow("file complete, line quiet") << QByteArray("7") << false << 0;
        QTest::newRow("file complete, line dropped") << QByteArray("7") << true << 0;
        QTest::newRow("file short, line quiet") << QByteArray("5000") << false << shortFile;
        QTest::newRow("file short, line dropped") << QByteArray("5000") << true << shortFile;
    }
    void streamWithoutEndOfBatch()
    {
        QFETCH(QByteArray, size);
        QFETCH(bool, hangUp);
        QFETCH(int, code);
        QTemporaryDir dst;
        const QByteArray header = "f.bin" + QByteArray(1, '\0') + size + '\0';
        QCOMPARE(receiveScript(ProtocolType::YmodemG, dst.path(),
                     {Xmodem::buildBlock(0, header, 128, true, '\0'),
                         Xmodem::buildBlock(1, "payload", 1024, true) + Xmodem::EOT},
                     hangUp),
            code);
        QCOMPARE(TestFiles::read(QDir(dst.path()).filePath(QStringLiteral("f.bin"))),
            code == 0 ? QByteArray("payload") : QByteArray("<missing>"));
    }

    // Between the files of a stream, where the end of the batch may be
    // lost, a lost header or the user's cancel is still a failure.
    void streamFailsBetweenFiles_data()
    {
        QTest::addColumn<bool>("userCancels");
        QTest::addColumn<int>("code");
        QTest::newRow("next header lost") << false << int(TransferResult::ProtocolError);
        QTest::newRow("user cancels") << true << int(TransferResult::CancelledLocally);
    }
    void streamFailsBetweenFiles()
    {
        QFETCH(bool, userCancels);
        QFETCH(int, code);
        QTemporaryDir dst;
        LinkPair pair;
        ProtocolEngine receiver;
        receiver.setProtocolType(ProtocolType::YmodemG);
        receiver.setDestinationDirectory(dst.path());
        receiver.setLink(&pair.b);
        ChainSpy<int> finished(receiver.events().finish);
        const QByteArray header = "f.bin" + QByteArray(1, '\0') + "7" + '\0';
        QList<QByteArray> script{Xmodem::buildBlock(0, header, 128, true, '\0'),
            Xmodem::buildBlock(1, "payload", 1024, true) + Xmodem::EOT};
        if (!userCancels)
            script << Xmodem::buildBlock(1, "next file", 1024, true);
        QObject::connect(&pair.a, &ByteLink::received, &pair.a, [&](const QByteArray &bytes) {
            if (!script.isEmpty())
                pair.a.send(script.takeFirst());
            else if (userCancels && bytes.endsWith(Xmodem::STREAM_START))
                receiver.cancel();
        });
        receiver.startReceive();
        QVERIFY(finished.wait(30000));
        QCOMPARE(finished.first().first().toInt(), code);
        QCOMPARE(TestFiles::read(QDir(dst.path()).filePath(QStringLiteral("f.bin"))), QByteArray("payload"));
    }

    // 0x04 bytes right behind a block are debris of a block whose header was
    // lost, not the end of the file: only a lone EOT ends it.
    void strayEotsDoNotEndTheFile()
    {
        QTemporaryDir dst;
        const QByteArray one(128, 'a');
        const QByteArray two(128, 'b');
        QCOMPARE(
            receiveScript(ProtocolType::XmodemCrc, dst.path(),
                {Xmodem::buildBlock(1, one, 128, true) + "\x04\x04", Xmodem::buildBlock(2, two, 128, true),
                    QByteArray(1, Xmodem::EOT), QByteArray(1, Xmodem::EOT)}),
            0);
        QCOMPARE(TestFiles::read(QDir(dst.path()).filePath(QStringLiteral("got.bin"))), one + two);
    }
};

QTEST_GUILESS_MAIN(XmodemEngineTest)
#include "xmodem_engine.moc"
