#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "comms/transfer/ProtocolEngine.h"
#include "comms/transfer/kermit/KermitPacket.h"
#include "support/ChainSpy.h"
#include "support/EngineFiles.h"
#include "support/KermitPeers.h"
#include "support/KermitSession.h"
#include "support/LinkPair.h"
#include "support/NoiseRelay.h"

#include <memory>

// Our Kermit sender against our Kermit receiver: batches, name handling,
// write-fail actions, cancel and line loss.
class KermitEngineTest : public QObject {
    Q_OBJECT
private slots:
    void batchWithEveryShapeOfFile()
    {
        KermitSession s;
        s.setBoth(2000, 4, false);
        const QList<QByteArray> contents{
            QByteArray(), TestFiles::everyByteValue(20), TestFiles::randomBytes(70000, 5), "x"};
        QStringList paths;
        for (int i = 0; i < contents.size(); ++i)
            paths << TestFiles::writeIn(s.src.path(), QStringLiteral("f%1.dat").arg(i), contents[i]);
        sendInOrder(s.sender, paths);
        QVERIFY(s.run());
        QCOMPARE(s.sendCode, 0);
        QCOMPARE(s.receiveCode, 0);
        QCOMPARE(s.received().size(), contents.size());
        for (int i = 0; i < contents.size(); ++i)
            QCOMPARE(TestFiles::read(s.dst.filePath(QStringLiteral("f%1.dat").arg(i))), contents[i]);
    }

    void missingFileFailsCleanly()
    {
        KermitSession s;
        s.sender.setFileName(s.src.filePath(QStringLiteral("absent")));
        QVERIFY(s.run());
        QCOMPARE(s.sendCode, int(TransferResult::FileNotFound));
        QCOMPARE(s.receiveCode, int(TransferResult::CancelledByRemote));
        QVERIFY(s.received().isEmpty());
    }

    void writeFailActions_data()
    {
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("receiveCode");
        QTest::addColumn<QString>("newName");
        QTest::newRow("reject") << int(WriteFailAction::Reject) << int(TransferResult::FileRejected)
                                << QString();
        QTest::newRow("rename") << int(WriteFailAction::Rename) << 0 << QStringLiteral("a-1.txt");
        QTest::newRow("overwrite") << int(WriteFailAction::Overwrite) << 0 << QStringLiteral("a.txt");
    }
    void writeFailActions()
    {
        QFETCH(int, action);
        QFETCH(int, receiveCode);
        QFETCH(QString, newName);
        KermitSession s;
        s.receiver.options().writeFailAction = static_cast<WriteFailAction>(action);
        TestFiles::writeIn(s.dst.path(), QStringLiteral("a.txt"), "old");
        QStringList paths{TestFiles::writeIn(s.src.path(), QStringLiteral("a.txt"), "new"),
            TestFiles::writeIn(s.src.path(), QStringLiteral("b.txt"), "second")};
        sendInOrder(s.sender, paths);
        QVERIFY(s.run());
        QCOMPARE(s.receiveCode, receiveCode);
        // A refused file does not stop the batch.
        QCOMPARE(TestFiles::read(s.dst.filePath(QStringLiteral("b.txt"))), QByteArray("second"));
        if (newName.isEmpty())
            QCOMPARE(TestFiles::read(s.dst.filePath(QStringLiteral("a.txt"))), QByteArray("old"));
        else
            QCOMPARE(TestFiles::read(s.dst.filePath(newName)), QByteArray("new"));
    }

    void acceptHandlerVeto()
    {
        KermitSession s;
        acceptWhen(s.receiver, [](const QString &path) { return !path.endsWith(QLatin1String("no.txt")); });
        QStringList paths{TestFiles::writeIn(s.src.path(), QStringLiteral("no.txt"), "refused"),
            TestFiles::writeIn(s.src.path(), QStringLiteral("yes.txt"), "taken")};
        sendInOrder(s.sender, paths);
        QVERIFY(s.run());
        QCOMPARE(s.received(), QStringList{QStringLiteral("yes.txt")});
    }

    // A hand-built sender offers hostile names; each must land inside the
    // destination folder.
    void hostileNamesStayConfined_data()
    {
        QTest::addColumn<QByteArray>("wireName");
        QTest::newRow("parent") << QByteArray("../../evil");
        QTest::newRow("absolute") << QByteArray("/etc/evil");
        QTest::newRow("backslashes") << QByteArray("..\\..\\evil");
        QTest::newRow("control characters") << QByteArray("#A#[evil#M");
        QTest::newRow("device") << QByteArray("con");
        QTest::newRow("long") << QByteArray(80, 'n');
    }
    void hostileNamesStayConfined()
    {
        QFETCH(QByteArray, wireName);
        QTemporaryDir root;
        const QString dst = root.filePath(QStringLiteral("in/deeper"));
        QVERIFY(QDir().mkpath(dst));
        LinkPair pair;
        ProtocolEngine receiver;
        receiver.setProtocolType(ProtocolType::Kermit);
        receiver.setDestinationDirectory(dst);
        receiver.setLink(&pair.b);
        ChainSpy<int> finished(receiver.events().finish);
        receiver.startReceive();
        QByteArray script;
        int seq = 0;
        for (const auto &[type, data] : std::initializer_list<std::pair<char, QByteArray>>{
                 {'S', "~* @-#N1"}, {'F', wireName}, {'D', "payload"}, {'Z', {}}, {'B', {}}})
            script += Kermit::buildPacket({seq++, type, data}, 1);
        pair.a.send(script);
        QVERIFY(finished.wait(30000));
        QCOMPARE(finished.first().first().toInt(), 0);
        const QStringList inside = QDir(dst).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(inside.size(), 1);
        QCOMPARE(TestFiles::read(QDir(dst).filePath(inside.first())), QByteArray("payload"));
        QCOMPARE(QDir(root.filePath(QStringLiteral("in"))).entryList(QDir::Files).size(), 0);
        QVERIFY(!QFileInfo::exists(root.filePath(QStringLiteral("evil"))));
    }

    void cancelFromEitherSide_data()
    {
        QTest::addColumn<bool>("senderCancels");
        QTest::addColumn<bool>("streaming");
        QTest::newRow("sender, windows") << true << false;
        QTest::newRow("receiver, windows") << false << false;
        QTest::newRow("sender, streaming") << true << true;
        QTest::newRow("receiver, streaming") << false << true;
    }
    void cancelFromEitherSide()
    {
        QFETCH(bool, senderCancels);
        QFETCH(bool, streaming);
        KermitSession s;
        s.setBoth(1000, 8, streaming);
        s.sender.setFileName(
            TestFiles::writeIn(s.src.path(), QStringLiteral("big.bin"), TestFiles::randomBytes(3000000, 9)));
        ProtocolEngine &canceller = senderCancels ? s.sender : s.receiver;
        qint64 arrived = 0;
        QObject::connect(&s.fromRelay.b, &ByteLink::received, &canceller, [&](const QByteArray &bytes) {
            arrived += bytes.size();
            if (arrived > 100000 && canceller.inProgress())
                canceller.cancel();
        });
        QVERIFY(s.run());
        QCOMPARE(senderCancels ? s.sendCode : s.receiveCode, int(TransferResult::CancelledLocally));
        QCOMPARE(senderCancels ? s.receiveCode : s.sendCode, int(TransferResult::CancelledByRemote));
        QVERIFY2(s.received().isEmpty(), qPrintable(s.received().join(QLatin1Char(' '))));
    }

    void lineLostMidFile()
    {
        NoiseRelay::Settings cut;
        cut.cutAfter = 200000;
        KermitSession s(cut);
        s.setBoth(4000, 4, false);
        s.sender.setFileName(
            TestFiles::writeIn(s.src.path(), QStringLiteral("big.bin"), TestFiles::randomBytes(1000000, 4)));
        QVERIFY(s.run());
        QCOMPARE(s.sendCode, int(TransferResult::CarrierLost));
        QCOMPARE(s.receiveCode, int(TransferResult::CarrierLost));
        QVERIFY(s.received().isEmpty());
    }
};

QTEST_GUILESS_MAIN(KermitEngineTest)
#include "kermit_engine.moc"
