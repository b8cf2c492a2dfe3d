#include <QDir>
#include <QFile>
#include <QTest>

#include "shell/FileNames.h"
#include "shell/ProgramDir.h"

class ProgramFilesTest : public QObject {
    Q_OBJECT

    QString root;

    void touch(const QString &path)
    {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

private slots:
    void init()
    {
        root = QDir::temp().filePath(QStringLiteral("pf-%1").arg(QTest::currentDataTag()));
        QDir(root).removeRecursively();
        QDir().mkpath(root);
    }

    void programDir_data()
    {
        QTest::addColumn<QString>("home");
        QTest::addColumn<bool>("portable");
        QTest::addColumn<QString>("dataHome");
        QTest::addColumn<QString>("expected"); // below root
        QTest::newRow("home override") << "h" << true << "d"
                                       << "h/";
        QTest::newRow("home with slashes") << "h//" << false << ""
                                           << "h/";
        QTest::newRow("portable") << "" << true << "d"
                                  << "exe/";
        QTest::newRow("data home") << "" << false << "d"
                                   << "d/Tarnex/";
        QTest::newRow("relative data home ignored") << "" << false << "rel"
                                                    << "u/.local/share/Tarnex/";
        QTest::newRow("default") << "" << false << ""
                                 << "u/.local/share/Tarnex/";
    }
    void programDir()
    {
        QFETCH(QString, home);
        QFETCH(bool, portable);
        QFETCH(QString, dataHome);
        QFETCH(QString, expected);
        const QString exe = root + QStringLiteral("/exe");
        QDir().mkpath(exe);
        if (portable)
            touch(exe + QStringLiteral("/tarnex.portable"));
        QProcessEnvironment env;
        env.insert(QStringLiteral("HOME"), root + QStringLiteral("/u"));
        if (!home.isEmpty())
            env.insert(QStringLiteral("TARNEX_HOME"), root + QLatin1Char('/') + home);
        if (dataHome == QLatin1String("rel"))
            env.insert(QStringLiteral("XDG_DATA_HOME"), QStringLiteral("relative/path"));
        else if (!dataHome.isEmpty())
            env.insert(QStringLiteral("XDG_DATA_HOME"), root + QLatin1Char('/') + dataHome);
        const QString dir = ProgramDir::resolve(env, exe);
        QCOMPARE(dir, root + QLatin1Char('/') + expected);
        QVERIFY(QFileInfo(dir).isDir());
    }

    void lookupIgnoresCase()
    {
        touch(root + QStringLiteral("/Phone.Dat"));
        touch(root + QStringLiteral("/maccaps.dat"));
        touch(root + QStringLiteral("/MACCAPS.DAT"));
        QCOMPARE(FileNames::lookup(root, QStringLiteral("Phone.dat")), root + QStringLiteral("/Phone.Dat"));
        QCOMPARE(FileNames::lookup(root + QLatin1Char('/'), QStringLiteral("PHONE.DAT")),
            root + QStringLiteral("/Phone.Dat"));
        // Exact spelling first, else the first in sorted order.
        QCOMPARE(
            FileNames::lookup(root, QStringLiteral("maccaps.dat")), root + QStringLiteral("/maccaps.dat"));
        QCOMPARE(
            FileNames::lookup(root, QStringLiteral("MacCaps.Dat")), root + QStringLiteral("/MACCAPS.DAT"));
        // Nothing matches: the name as given, to be created.
        QCOMPARE(FileNames::lookup(root, QStringLiteral("alias.ini")), root + QStringLiteral("/alias.ini"));
        QCOMPARE(
            FileNames::resolve(root + QStringLiteral("/PHONE.dat")), root + QStringLiteral("/Phone.Dat"));
        QCOMPARE(FileNames::lookup(root + QStringLiteral("/missing"), QStringLiteral("x")),
            root + QStringLiteral("/missing/x"));
    }
};

QTEST_GUILESS_MAIN(ProgramFilesTest)
#include "program_files.moc"
