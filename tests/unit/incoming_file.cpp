#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "comms/transfer/IncomingFile.h"
#include "support/TestFiles.h"

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
};

QTEST_GUILESS_MAIN(IncomingFileTest)
#include "incoming_file.moc"
