#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "comms/transfer/ProtocolEngine.h"
#include "support/ChainSpy.h"
#include "support/EngineFiles.h"
#include "support/TestFiles.h"
#include "support/ZmodemPeer.h"

// Whole Zmodem sessions against sz and rz: cancelling, refusing files, file
// management and crash recovery.
namespace {

constexpr int transferTimeoutMs = 180000;

void writeFile(const QString &path, const QByteArray &data, const QDateTime &modified = {})
{
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
    f.write(data);
    f.flush();
    if (modified.isValid())
        f.setFileTime(modified, QFileDevice::FileModificationTime);
}

// Runs one transfer between engine and program; returns the engine's code.
int run(ProtocolEngine &engine, ZmodemPeer &peer, bool weSend, const QString &program,
    const QStringList &args, const QString &peerDir, const std::function<void()> &whileRunning = {})
{
    engine.setProtocolType(ProtocolType::Zmodem);
    if (!peer.start(ZmodemPeer::Line::Pipe, program, args, peerDir)) {
        qWarning("%s", qPrintable(peer.error()));
        return -1;
    }
    engine.setLink(peer.link());
    ChainSpy<int> finished(engine.events().finish);
    QTimer poll;
    if (whileRunning) {
        QObject::connect(&poll, &QTimer::timeout, whileRunning);
        poll.start(1);
    }
    if (!(weSend ? engine.startTransmit() : engine.startReceive()))
        return -1;
    if (!QTest::qWaitFor([&] { return !finished.isEmpty(); }, transferTimeoutMs))
        return -1;
    poll.stop();
    if (!QTest::qWaitFor([&] { return peer.hasExited(); }, 30000))
        qWarning("the peer did not exit");
    return finished.first().first().toInt();
}

} // namespace

class ZmodemSessionsTest : public QObject {
    Q_OBJECT
private slots:
    void cancelMidFile_data()
    {
        QTest::addColumn<bool>("weSend");
        QTest::newRow("we send, we cancel") << true;
        QTest::newRow("we receive, we cancel") << false;
    }
    void cancelMidFile()
    {
        QFETCH(bool, weSend);
        QTemporaryDir from;
        QTemporaryDir to;
        const QString source = from.filePath(QStringLiteral("big.bin"));
        writeFile(source, TestFiles::randomBytes(40 * 1024 * 1024, 9));
        ProtocolEngine engine;
        ZmodemPeer peer;
        engine.setFileName(source);
        engine.setDestinationDirectory(to.path());
        const auto cancelOnProgress = [&engine] {
            if (engine.inProgress() && engine.status().bytesDone > 100000)
                engine.cancel();
        };
        const int code = weSend ? run(engine, peer, true, QStringLiteral("rz"), {QStringLiteral("-q")},
                             to.path(), cancelOnProgress)
                                : run(engine, peer, false, QStringLiteral("sz"),
                                    {QStringLiteral("-q"), source}, from.path(), cancelOnProgress);
        QCOMPARE(code, int(TransferResult::CancelledLocally));
        QTRY_VERIFY_WITH_TIMEOUT(peer.hasExited(), 30000);
        QVERIFY2(peer.exitCode() != 0, "the peer did not notice the cancel");
        if (!weSend) // nothing that looks complete, no partial kept without recovery
            QCOMPARE(QDir(to.path()).entryList(QDir::Files), QStringList());
    }

    void receiverRefusesOneFile()
    {
        QTemporaryDir from;
        QTemporaryDir to;
        QStringList args{QStringLiteral("-q")};
        for (const char *name : {"a.bin", "b.bin", "c.bin"}) {
            writeFile(from.filePath(QLatin1String(name)), TestFiles::randomBytes(50000, quint32(name[0])));
            args << from.filePath(QLatin1String(name));
        }
        ProtocolEngine engine;
        ZmodemPeer peer;
        engine.setDestinationDirectory(to.path());
        acceptWhen(engine, [](const QString &path) { return !path.endsWith(QLatin1String("b.bin")); });
        QCOMPARE(run(engine, peer, false, QStringLiteral("sz"), args, from.path()), 0);
        QCOMPARE(QDir(to.path()).entryList(QDir::Files), (QStringList{"a.bin", "c.bin"}));
        QCOMPARE(TestFiles::read(to.filePath("c.bin")), TestFiles::read(from.filePath("c.bin")));
    }

    // An existing "f.bin" (OLD) meets an offered one (NEW); who decides is the
    // sender's option unless ours overrides it.
    void fileManagement_data()
    {
        QTest::addColumn<QStringList>("szFlags");
        QTest::addColumn<bool>("existing");
        QTest::addColumn<bool>("localNewer");
        QTest::addColumn<bool>("sameContent");
        QTest::addColumn<bool>("override");
        QTest::addColumn<int>("ourOption");
        QTest::addColumn<bool>("skipNoFile");
        QTest::addColumn<QString>("expected"); // OLD, NEW, OLD+NEW, or none

        const int overwrite = int(ZmodemFileOption::Overwrite);
        QTest::newRow("sender protects")
            << QStringList{"-p"} << true << false << false << false << overwrite << false << "OLD";
        QTest::newRow("our override beats protect")
            << QStringList{"-p"} << true << false << false << true << overwrite << false << "NEW";
        QTest::newRow("sender appends")
            << QStringList{"-+"} << true << false << false << false << overwrite << false << "OLD+NEW";
        QTest::newRow("sender skips missing")
            << QStringList{"-Y"} << false << false << false << false << overwrite << false << "none";
        QTest::newRow("our skip missing")
            << QStringList{} << false << false << false << false << overwrite << true << "none";
        QTest::newRow("our newer, local newer") << QStringList{} << true << true << false << true
                                                << int(ZmodemFileOption::Newer) << false << "OLD";
        QTest::newRow("our newer, remote newer") << QStringList{} << true << false << false << true
                                                 << int(ZmodemFileOption::Newer) << false << "NEW";
        QTest::newRow("our newer-or-longer, longer")
            << QStringList{} << true << true << false << true << int(ZmodemFileOption::NewerOrLonger) << false
            << "NEW";
        QTest::newRow("our crc, same file") << QStringList{} << true << false << true << true
                                            << int(ZmodemFileOption::CrcDifferent) << false << "OLD";
        QTest::newRow("our crc, other file") << QStringList{} << true << false << false << true
                                             << int(ZmodemFileOption::CrcDifferent) << false << "NEW";
        QTest::newRow("our protect") << QStringList{} << true << false << false << true
                                     << int(ZmodemFileOption::Protect) << false << "OLD";
    }
    void fileManagement()
    {
        QFETCH(QStringList, szFlags);
        QFETCH(bool, existing);
        QFETCH(bool, localNewer);
        QFETCH(bool, sameContent);
        QFETCH(bool, override);
        QFETCH(int, ourOption);
        QFETCH(bool, skipNoFile);
        QFETCH(QString, expected);
        QTemporaryDir from;
        QTemporaryDir to;
        const QDateTime past = QDateTime::currentDateTime().addDays(-30);
        const QDateTime older = QDateTime::currentDateTime().addDays(-60);
        // The offered file is longer than OLD unless the content is the same.
        const QByteArray oldData
            = sameContent ? TestFiles::randomBytes(3000, 7) : TestFiles::randomBytes(2000, 5);
        const QByteArray newData = sameContent ? oldData : TestFiles::randomBytes(3000, 6);
        writeFile(from.filePath("f.bin"), newData, localNewer ? older : past);
        if (existing)
            writeFile(to.filePath("f.bin"), oldData, localNewer ? past : older);

        ProtocolEngine engine;
        ZmodemPeer peer;
        engine.setDestinationDirectory(to.path());
        engine.options().zmodemOptionOverride = override;
        engine.options().zmodemFileOption = ZmodemFileOption(ourOption);
        engine.options().zmodemSkipNoFile = skipNoFile;
        QCOMPARE(run(engine, peer, false, QStringLiteral("sz"),
                     QStringList{QStringLiteral("-q")} + szFlags + QStringList{from.filePath("f.bin")},
                     from.path()),
            0);
        const QByteArray got = TestFiles::read(to.filePath("f.bin"));
        if (expected == QLatin1String("none"))
            QCOMPARE(got, QByteArray("<missing>"));
        else if (expected == QLatin1String("OLD"))
            QCOMPARE(got, oldData);
        else if (expected == QLatin1String("NEW"))
            QCOMPARE(got, newData);
        else
            QCOMPARE(got, oldData + newData);
    }

    void ourOptionReachesRz()
    {
        QTemporaryDir from;
        QTemporaryDir to;
        writeFile(from.filePath("f.bin"), QByteArray("new contents"));
        writeFile(to.filePath("f.bin"), QByteArray("old"));
        ProtocolEngine engine;
        ZmodemPeer peer;
        engine.setFileName(from.filePath("f.bin"));
        engine.options().zmodemFileOption = ZmodemFileOption::Protect;
        QCOMPARE(run(engine, peer, true, QStringLiteral("rz"), {QStringLiteral("-q")}, to.path()), 0);
        QCOMPARE(TestFiles::read(to.filePath("f.bin")), QByteArray("old"));
    }

    // The partial holds zeros where the real file has other bytes, so the
    // result shows where the transfer resumed instead of starting over.
    void resumeHalfReceivedFile_data()
    {
        QTest::addColumn<bool>("weSend");
        QTest::newRow("sz to us") << false;
        QTest::newRow("us to rz") << true;
    }
    void resumeHalfReceivedFile()
    {
        QFETCH(bool, weSend);
        QTemporaryDir from;
        QTemporaryDir to;
        const QByteArray data = TestFiles::randomBytes(400000, 11);
        const QByteArray partial(150000, '\0');
        writeFile(from.filePath("r.bin"), data);
        ProtocolEngine engine;
        ZmodemPeer peer;
        engine.options().zmodemRecover = true;
        int code;
        if (weSend) {
            writeFile(to.filePath("r.bin"), partial);
            engine.setFileName(from.filePath("r.bin"));
            code = run(engine, peer, true, QStringLiteral("rz"), {QStringLiteral("-q"), QStringLiteral("-r")},
                to.path());
        } else {
            writeFile(to.filePath("r.bin.part"), partial);
            engine.setDestinationDirectory(to.path());
            code = run(engine, peer, false, QStringLiteral("sz"),
                {QStringLiteral("-q"), from.filePath("r.bin")}, from.path());
        }
        QCOMPARE(code, 0);
        // A receiver may resume a little before the end of what it has
        // (rz rounds down); the kept part must be the partial's own bytes.
        const QByteArray got = TestFiles::read(to.filePath("r.bin"));
        qsizetype kept = 0;
        while (kept < partial.size() && kept < got.size() && got[kept] == '\0')
            ++kept;
        while (kept > 0 && got.mid(kept) != data.mid(kept))
            --kept;
        QVERIFY2(kept > partial.size() - 4096, qPrintable(QStringLiteral("resumed at %1").arg(kept)));
        QCOMPARE(got.size(), data.size());
        QVERIFY(!QFile::exists(to.filePath("r.bin.part")));
    }
};

QTEST_GUILESS_MAIN(ZmodemSessionsTest)
#include "zmodem_sessions.moc"
