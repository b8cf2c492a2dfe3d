#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "comms/transfer/IncomingFile.h"
#include "support/TestFiles.h"

#include <sys/stat.h>

class IncomingFileTest : public QObject {
    Q_OBJECT
private slots:
    void confinesHostileNames_data()
    {
        QTest::addColumn<QString>("remote");
        QTest::addColumn<bool>("honorDirectory");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "a.txt" << false << "a.txt";
        QTest::newRow("parent") << "../x" << false << "x";
        QTest::newRow("parent kept dirs") << "../../x" << true << "x";
        QTest::newRow("absolute") << "/etc/passwd" << false << "passwd";
        QTest::newRow("absolute kept dirs") << "/etc/passwd" << true << "etc/passwd";
        QTest::newRow("backslashes") << "..\\..\\win.ini" << true << "win.ini";
        QTest::newRow("sub dir dropped") << "sub/dir/f" << false << "f";
        QTest::newRow("sub dir kept") << "sub/./dir/../f" << true << "sub/dir/f";
        QTest::newRow("control chars") << QString::fromLatin1("a\x01\x1b[2Jb") << false << "a__[2Jb";
        QTest::newRow("device") << "CON.txt" << false << "_CON.txt";
        QTest::newRow("empty") << "" << false << "unnamed";
        QTest::newRow("only dots") << "../.." << true << "unnamed";
        QTest::newRow("very long") << QString(5000, QLatin1Char('y')) << false
                                   << QString(200, QLatin1Char('y'));
        QTest::newRow("C1 control") << QStringLiteral("a\u009b2Jb") << false << "a_2Jb";
        // File systems count bytes: 300 two-byte characters are cut to 100 of
        // them, whole characters, and the extension stays.
        QTest::newRow("long 8-bit name") << QString(300, QChar(0xe9)) + QStringLiteral(".txt") << false
                                         << QString(98, QChar(0xe9)) + QStringLiteral(".txt");
    }
    void confinesHostileNames()
    {
        QFETCH(QString, remote);
        QFETCH(bool, honorDirectory);
        QFETCH(QString, expected);
        QCOMPARE(IncomingFile::confinedPath(QStringLiteral("/srv/dl"), remote, honorDirectory),
            QStringLiteral("/srv/dl/") + expected);
    }

    void successRenamesPartialIntoPlace()
    {
        QTemporaryDir dir;
        ReceivePolicy policy;
        policy.destinationDir = dir.path();
        IncomingFile file;
        QCOMPARE(file.open(policy, {QStringLiteral("f.bin"), 6, {}, -1}), int(TransferResult::Success));
        QCOMPARE(file.write(QByteArray("abcdefXX")), int(TransferResult::Success));
        QVERIFY(!QFile::exists(dir.filePath("f.bin")));
        QCOMPARE(file.finish(6), int(TransferResult::Success));
        QCOMPARE(TestFiles::read(dir.filePath("f.bin")), QByteArray("abcdef"));
        QVERIFY(!QFile::exists(dir.filePath("f.bin.part")));
    }

    void failureLeavesNothingUnlessRecovering()
    {
        QTemporaryDir dir;
        ReceivePolicy policy;
        policy.destinationDir = dir.path();
        {
            IncomingFile file;
            QCOMPARE(file.open(policy, {QStringLiteral("f.bin"), 100, {}, -1}), int(TransferResult::Success));
            file.write(QByteArray(40, 'a'));
            file.abandon();
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());

        policy.recover = true;
        {
            IncomingFile file;
            QCOMPARE(file.open(policy, {QStringLiteral("f.bin"), 100, {}, -1}), int(TransferResult::Success));
            file.write(QByteArray(40, 'a'));
        } // destroyed while open: treated as abandoned
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("f.bin.part")});
        IncomingFile resumed;
        QCOMPARE(resumed.open(policy, {QStringLiteral("f.bin"), 100, {}, -1}), int(TransferResult::Success));
        QCOMPARE(resumed.resumeOffset(), qint64(40));
        resumed.write(QByteArray(60, 'b'));
        QCOMPARE(resumed.finish(), int(TransferResult::Success));
        QCOMPARE(TestFiles::read(dir.filePath("f.bin")), QByteArray(40, 'a') + QByteArray(60, 'b'));
    }

    void writeFailActions_data()
    {
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("result");
        QTest::addColumn<QByteArray>("original");
        QTest::addColumn<QString>("newName");
        QTest::newRow("none") << int(WriteFailAction::None) << int(TransferResult::Success)
                              << QByteArray("new") << "";
        QTest::newRow("reject") << int(WriteFailAction::Reject) << int(TransferResult::FileRejected)
                                << QByteArray("old") << "";
        QTest::newRow("rename") << int(WriteFailAction::Rename) << int(TransferResult::Success)
                                << QByteArray("old") << "f-1.txt";
        QTest::newRow("overwrite") << int(WriteFailAction::Overwrite) << int(TransferResult::Success)
                                   << QByteArray("new") << "";
    }
    void writeFailActions()
    {
        QFETCH(int, action);
        QFETCH(int, result);
        QFETCH(QByteArray, original);
        QFETCH(QString, newName);
        QTemporaryDir dir;
        QVERIFY(TestFiles::write(dir.filePath("f.txt"), "old"));
        ReceivePolicy policy;
        policy.destinationDir = dir.path();
        policy.writeFailAction = static_cast<WriteFailAction>(action);
        IncomingFile file;
        QCOMPARE(file.open(policy, {QStringLiteral("f.txt"), 3, {}, -1}), result);
        if (result == TransferResult::Success) {
            file.write(QByteArray("new"));
            QCOMPARE(file.finish(), int(TransferResult::Success));
        }
        QCOMPARE(TestFiles::read(dir.filePath("f.txt")), original);
        if (!newName.isEmpty())
            QCOMPARE(TestFiles::read(dir.filePath(newName)), QByteArray("new"));
    }

    void zmodemFileManagement_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<qint64>("offeredSize");
        QTest::addColumn<int>("ageSeconds"); // offered file's age relative to the local one
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("overwrite") << int(ZmodemFileOption::Overwrite) << qint64(3) << 100
                                   << QByteArray("new");
        QTest::newRow("protect") << int(ZmodemFileOption::Protect) << qint64(3) << -100 << QByteArray("old");
        QTest::newRow("newer: older offer")
            << int(ZmodemFileOption::Newer) << qint64(3) << 100 << QByteArray("old");
        QTest::newRow("newer: newer offer")
            << int(ZmodemFileOption::Newer) << qint64(3) << -100 << QByteArray("new");
        QTest::newRow("newer or longer: longer")
            << int(ZmodemFileOption::NewerOrLonger) << qint64(9) << 100 << QByteArray("new");
        QTest::newRow("newer or longer: neither")
            << int(ZmodemFileOption::NewerOrLonger) << qint64(3) << 100 << QByteArray("old");
        QTest::newRow("different: same")
            << int(ZmodemFileOption::Different) << qint64(3) << 0 << QByteArray("old");
        QTest::newRow("append") << int(ZmodemFileOption::Append) << qint64(3) << 0 << QByteArray("oldnew");
    }
    void zmodemFileManagement()
    {
        QFETCH(int, option);
        QFETCH(qint64, offeredSize);
        QFETCH(int, ageSeconds);
        QFETCH(QByteArray, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath("f.txt");
        QVERIFY(TestFiles::write(path, "old"));
        const QDateTime localTime = QDateTime::fromSecsSinceEpoch(1700000000);
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(localTime, QFileDevice::FileModificationTime));
        }
        ReceivePolicy policy;
        policy.destinationDir = dir.path();
        policy.zmodemManagement = true;
        policy.zmodemOption = static_cast<ZmodemFileOption>(option);
        IncomingFile file;
        const int result
            = file.open(policy, {QStringLiteral("f.txt"), offeredSize, localTime.addSecs(-ageSeconds), -1});
        if (expected == "old") {
            QCOMPARE(result, int(TransferResult::Skipped));
        } else {
            QCOMPARE(result, int(TransferResult::Success));
            QCOMPARE(file.resumeOffset(), qint64(0)); // appending still takes the whole file
            file.write(QByteArray("new"));
            QCOMPARE(file.finish(), int(TransferResult::Success));
        }
        QCOMPARE(TestFiles::read(path), expected);
    }

    void skipNoFileAndSymlinkEscape()
    {
        QTemporaryDir dir;
        QTemporaryDir outside;
        ReceivePolicy policy;
        policy.destinationDir = dir.path();
        policy.zmodemManagement = true;
        policy.skipNoFile = true;
        IncomingFile skipped;
        QCOMPARE(skipped.open(policy, {QStringLiteral("absent"), 1, {}, -1}), int(TransferResult::Skipped));

        // A folder link inside the download folder must not carry a file out of it.
        QVERIFY(QFile::link(outside.path(), dir.filePath("escape")));
        policy = ReceivePolicy{};
        policy.destinationDir = dir.path();
        policy.honorDirectory = true;
        IncomingFile escaped;
        QCOMPARE(escaped.open(policy, {QStringLiteral("escape/owned"), 1, {}, -1}),
            int(TransferResult::CannotCreate));
        QVERIFY(QDir(outside.path()).isEmpty());
    }

    void namesDecodeWithoutLoss_data()
    {
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<QString>("name");
        QTest::newRow("utf-8") << QByteArray("caf\xc3\xa9.txt") << QStringLiteral("caf\u00e9.txt");
        QTest::newRow("latin-1 e acute") << QByteArray("caf\xe9.txt") << QStringLiteral("caf\u00e9.txt");
        QTest::newRow("latin-1 e grave") << QByteArray("caf\xe8.txt") << QStringLiteral("caf\u00e8.txt");
    }
    void namesDecodeWithoutLoss()
    {
        QFETCH(QByteArray, wire);
        QFETCH(QString, name);
        QCOMPARE(IncomingFile::decodeRemoteName(wire), name);
    }

    // Two files of one transfer never land on one name, whatever the
    // write-fail action says.
    void batchNeverStoresTwiceUnderOneName()
    {
        QTemporaryDir dir;
        ReceivePolicy policy;
        policy.destinationDir = dir.path();
        policy.writeFailAction = WriteFailAction::Overwrite;
        IncomingFile file;
        for (const char *data : {"first", "second"}) {
            QCOMPARE(
                file.open(policy, {QStringLiteral("same.txt"), -1, {}, -1}), int(TransferResult::Success));
            QCOMPARE(file.write(QByteArray(data)), int(TransferResult::Success));
            QCOMPARE(file.finish(), int(TransferResult::Success));
        }
        QCOMPARE(TestFiles::read(dir.filePath("same.txt")), QByteArray("first"));
        QCOMPARE(TestFiles::read(dir.filePath("same-1.txt")), QByteArray("second"));
    }

    // A ".part" name that exists already (a planted link, the user's own
    // file) is neither written through, truncated nor removed.
    void existingPartialIsNeverTouched_data()
    {
        QTest::addColumn<bool>("link");
        QTest::addColumn<bool>("succeed");
        QTest::newRow("link, received") << true << true;
        QTest::newRow("link, failed") << true << false;
        QTest::newRow("user's file, received") << false << true;
        QTest::newRow("user's file, failed") << false << false;
    }
    void existingPartialIsNeverTouched()
    {
        QFETCH(bool, link);
        QFETCH(bool, succeed);
        QTemporaryDir dir;
        QTemporaryDir outside;
        const QString precious = link ? outside.filePath("precious") : dir.filePath("report.txt.part");
        QVERIFY(TestFiles::write(precious, "keep me"));
        if (link)
            QVERIFY(QFile::link(precious, dir.filePath("report.txt.part")));
        ReceivePolicy policy;
        policy.destinationDir = dir.path();
        IncomingFile file;
        QCOMPARE(file.open(policy, {QStringLiteral("report.txt"), -1, {}, -1}), int(TransferResult::Success));
        QCOMPARE(file.write(QByteArray("remote data")), int(TransferResult::Success));
        if (succeed)
            QCOMPARE(file.finish(), int(TransferResult::Success));
        else
            file.abandon();
        QCOMPARE(TestFiles::read(precious), QByteArray("keep me"));
        QCOMPARE(QFileInfo(dir.filePath("report.txt.part")).isSymLink(), link);
        QCOMPARE(
            TestFiles::read(dir.filePath("report.txt")), succeed ? QByteArray("remote data") : "<missing>");
    }

    // The sender's mode goes through the user's umask; its execute bits
    // only when asked for.
    void modeFollowsUmask_data()
    {
        QTest::addColumn<int>("mask");
        QTest::addColumn<bool>("keepExecute");
        QTest::addColumn<int>("expected");
        QTest::newRow("077, exec dropped") << 077 << false << 0600;
        QTest::newRow("077, exec kept") << 077 << true << 0700;
        QTest::newRow("022, exec dropped") << 022 << false << 0644;
        QTest::newRow("022, exec kept") << 022 << true << 0755;
    }
    void modeFollowsUmask()
    {
        QFETCH(int, mask);
        QFETCH(bool, keepExecute);
        QFETCH(int, expected);
        QTemporaryDir dir;
        ReceivePolicy policy;
        policy.destinationDir = dir.path();
        policy.keepExecute = keepExecute;
        const mode_t saved = ::umask(mode_t(mask));
        IncomingFile file;
        const int opened = file.open(policy, {QStringLiteral("tool"), -1, {}, 0777});
        const int finished = file.finish();
        ::umask(saved);
        QCOMPARE(opened, int(TransferResult::Success));
        QCOMPARE(finished, int(TransferResult::Success));
        struct stat info;
        QCOMPARE(::stat(QFile::encodeName(dir.filePath("tool")).constData(), &info), 0);
        QCOMPARE(int(info.st_mode & 0777), expected);
    }

    // A link planted where a folder of a kept path should be stops the file
    // before any folder is made behind it.
    void noFoldersMadeThroughALink()
    {
        QTemporaryDir dir;
        QTemporaryDir outside;
        QVERIFY(QFile::link(outside.path(), dir.filePath("outside")));
        ReceivePolicy policy;
        policy.destinationDir = dir.path();
        policy.honorDirectory = true;
        IncomingFile file;
        QCOMPARE(file.open(policy, {QStringLiteral("outside/a/b/c"), 1, {}, -1}),
            int(TransferResult::CannotCreate));
        QVERIFY(QDir(outside.path()).isEmpty());
        QCOMPARE(file.open(policy, {QStringLiteral("inside/a/b"), 1, {}, -1}), int(TransferResult::Success));
        QVERIFY(QFileInfo(dir.filePath("inside/a")).isDir());
    }
};

QTEST_GUILESS_MAIN(IncomingFileTest)
#include "incoming_file.moc"
