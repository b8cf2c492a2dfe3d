#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "script/ScriptExec.h"
#include "script/ScriptFileCommands.h"
#include "script/ScriptIniFile.h"
#include "script/ScriptPaths.h"
#include "support/TestFiles.h"

namespace {

// Every file below root as a sorted list of relative paths.
QStringList filesBelow(const QString &root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(root).relativeFilePath(it.next());
    files.sort();
    return files;
}

void setWriteTime(const QString &path, const QDateTime &time)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(time, QFileDevice::FileModificationTime));
}

const QDateTime base = QDateTime::fromSecsSinceEpoch(1700000000);

} // namespace

class ScriptFileCommandsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString root;
    QString startFolder;

private slots:
    void init()
    {
        QVERIFY(dir.isValid());
        root = dir.path() + QStringLiteral("/t");
        QDir(root).removeRecursively();
        QVERIFY(QDir().mkpath(root));
        startFolder = QDir::currentPath();
    }
    void cleanup() { QDir::setCurrent(startFolder); }

    void deleteMatchesWithoutCaseButNeverGuessesBetweenTwins_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<int>("deleted");
        QTest::addColumn<bool>("logged");
        const QStringList none;
        QTest::newRow("star") << QStringList{"a.log", "b.LOG", "c.txt"} << "*.LOG" << QStringList{"c.txt"}
                              << 2 << false;
        QTest::newRow("question mark") << QStringList{"a1.txt", "a22.txt", "b1.txt"} << "A?.TXT"
                                       << QStringList{"a22.txt", "b1.txt"} << 1 << false;
        QTest::newRow("star dot star, hidden, no extension")
            << QStringList{"x", "y.z", ".hidden"} << "*.*" << none << 3 << false;
        QTest::newRow("folders are not files")
            << QStringList{"sub/in.txt", "top.txt"} << "*" << QStringList{"sub/in.txt"} << 1 << false;
        QTest::newRow("upper-cased folder and name")
            << QStringList{"Logs/Day.txt", "Logs/keep.dat"} << "LOGS/DAY.TXT" << QStringList{"Logs/keep.dat"}
            << 1 << false;
        QTest::newRow("backslashes") << QStringList{"Logs/Day.txt"} << "LOGS\\DAY.TXT" << none << 1 << false;
        QTest::newRow("no match") << QStringList{"a.txt"} << "*.BAK" << QStringList{"a.txt"} << 0 << false;
        QTest::newRow("missing folder")
            << QStringList{"a.txt"} << "NOPE/*" << QStringList{"a.txt"} << 0 << false;
        QTest::newRow("twins, none exact") << QStringList{"report.txt", "Report.txt"} << "REPORT.TXT"
                                           << QStringList{"Report.txt", "report.txt"} << 0 << true;
        QTest::newRow("twins, one exact") << QStringList{"report.txt", "Report.txt"} << "report.txt"
                                          << QStringList{"Report.txt"} << 1 << true;
        QTest::newRow("twins under a pattern")
            << QStringList{"a.log", "A.LOG", "b.log"} << "*.LOG" << QStringList{"a.log"} << 2 << true;
        QTest::newRow("twin folders")
            << QStringList{"Logs/a", "logs/b"} << "LOGS/*" << QStringList{"Logs/a", "logs/b"} << 0 << true;
    }
    void deleteMatchesWithoutCaseButNeverGuessesBetweenTwins()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, pattern);
        QFETCH(QStringList, left);
        QFETCH(int, deleted);
        QFETCH(bool, logged);
        for (const QString &file : files) {
            QVERIFY(QDir(root).mkpath(QFileInfo(file).path()));
            QVERIFY(TestFiles::write(root + '/' + file, "x"));
        }
        QStringList log;
        QCOMPARE(scriptDeleteFiles(root + '/' + pattern, [&](const QString &line) { log << line; }), deleted);
        QCOMPARE(filesBelow(root), left);
        QCOMPARE(!log.isEmpty(), logged);
    }

    void deleteRemovesReadOnlyFilesAndWorksRelativeToTheCurrentFolder()
    {
        const QString file = TestFiles::writeIn(root, "ro.txt", "x");
        QVERIFY(QFile::setPermissions(file, QFileDevice::ReadOwner));
        QVERIFY(scriptChangeDirectory(root));
        QCOMPARE(scriptDeleteFiles("RO.TXT", [](const QString &) {}), 1);
        QVERIFY(!QFile::exists(file));
    }

    void changeDirectoryFindsFoldersWithoutCase()
    {
        QVERIFY(QDir().mkpath(root + "/home/ann/Logs"));
        QVERIFY(QDir().mkpath(root + "/twin/ab"));
        QVERIFY(QDir().mkpath(root + "/twin/Ab"));
        QVERIFY(scriptChangeDirectory(root + "/HOME/ANN/LOGS"));
        QCOMPARE(QDir::currentPath(), root + "/home/ann/Logs");
        QVERIFY(scriptChangeDirectory("..\\"));
        QCOMPARE(QDir::currentPath(), root + "/home/ann");
        QVERIFY(!scriptChangeDirectory(root + "/HOME/BOB"));
        QVERIFY(!scriptChangeDirectory(root + "/TWIN/AB"));
        QVERIFY(!scriptChangeDirectory(root + "/twin/ab/../../HOME/ANN/LOGS/MISSING"));
        QVERIFY(!scriptChangeDirectory(QString()));
        QCOMPARE(QDir::currentPath(), root + "/home/ann");
    }

    // Names the interpreter opens or creates: found without case where they
    // exist, kept as given where not; empty stays empty, folders keep "/".
    void foundPathForNamesToOpen()
    {
        QVERIFY(QDir().mkpath(root + "/Up"));
        QFile file(root + "/Up/f.bin");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QCOMPARE(ScriptPaths::foundPath(root + "/UP/F.BIN"), root + "/Up/f.bin");
        QCOMPARE(ScriptPaths::foundPath(root + "\\UP\\"), root + "/Up/");
        QCOMPARE(ScriptPaths::foundPath(root + "/UP/NEW.TXT"), root + "/Up/NEW.TXT");
        QCOMPARE(ScriptPaths::foundPath(QString()), QString());
    }

    void copyFollowsTheMode_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("target"); // none, older, newer, same, sameTimeLonger
        QTest::addColumn<bool>("copied");
        for (const char *mode : {"ABSCENT", "NEWER", "DIFFERENT", "ALWAYS", "SOMETIMES"})
            QTest::addRow("%s, no target", mode) << mode << "none" << true;
        QTest::newRow("ABSCENT, older") << "ABSCENT"
                                        << "older" << false;
        QTest::newRow("NEWER, older") << "NEWER"
                                      << "older" << true;
        QTest::newRow("NEWER, newer") << "NEWER"
                                      << "newer" << false;
        QTest::newRow("NEWER, same") << "NEWER"
                                     << "same" << false;
        QTest::newRow("DIFFERENT, older") << "DIFFERENT"
                                          << "older" << true;
        QTest::newRow("DIFFERENT, newer") << "DIFFERENT"
                                          << "newer" << true;
        QTest::newRow("DIFFERENT, same") << "DIFFERENT"
                                         << "same" << false;
        QTest::newRow("DIFFERENT, same time, other size") << "DIFFERENT"
                                                          << "sameTimeLonger" << true;
        QTest::newRow("ALWAYS, same") << "ALWAYS"
                                      << "same" << true;
        QTest::newRow("always in lower case") << "always"
                                              << "newer" << true;
        QTest::newRow("unknown word, older") << "SOMETIMES"
                                             << "older" << false;
    }
    void copyFollowsTheMode()
    {
        QFETCH(QString, mode);
        QFETCH(QString, target);
        QFETCH(bool, copied);
        const QString source = TestFiles::writeIn(root, "Source.dat", "new contents");
        setWriteTime(source, base);
        QVERIFY(QFile::setPermissions(
            source, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
        const QString to = root + "/Target.dat";
        if (target != "none") {
            QVERIFY(
                TestFiles::write(to, target == "sameTimeLonger" ? "old contents, longer" : "old contents"));
            setWriteTime(to,
                target == "older"       ? base.addSecs(-60)
                    : target == "newer" ? base.addSecs(60)
                                        : base);
        }
        const QByteArray before = TestFiles::read(to);
        QCOMPARE(scriptCopyFile(root + "/SOURCE.DAT", to, mode), copied);
        QCOMPARE(TestFiles::read(to), copied ? QByteArray("new contents") : before);
        if (copied) {
            QCOMPARE(QFileInfo(to).lastModified(), base);
            QCOMPARE(QFileInfo(to).permissions(), QFileInfo(source).permissions());
        }
    }

    void copyFindsItsTargetAndNeverLosesData()
    {
        const QString source = TestFiles::writeIn(root, "a.txt", "payload");
        QVERIFY(QDir().mkpath(root + "/Backup"));
        QVERIFY(scriptCopyFile(source, root + "\\BACKUP\\", "ALWAYS"));
        QCOMPARE(TestFiles::read(root + "/Backup/a.txt"), QByteArray("payload"));
        QVERIFY(QFile::remove(root + "/Backup/a.txt"));
        QVERIFY(scriptCopyFile(source, root + "/BACKUP", "ALWAYS"));
        QCOMPARE(TestFiles::read(root + "/Backup/a.txt"), QByteArray("payload"));

        // An existing target spelt otherwise is the one replaced, not a second file.
        QVERIFY(scriptCopyFile(source, root + "/BACKUP/A.TXT", "ABSCENT") == false);
        QCOMPARE(filesBelow(root + "/Backup"), QStringList{"a.txt"});

        QVERIFY(!scriptCopyFile(root + "/missing.txt", root + "/out.txt", "ALWAYS"));
        QVERIFY(!QFile::exists(root + "/out.txt"));
        QVERIFY(!scriptCopyFile(source, root + "/no/such/folder/out.txt", "ALWAYS"));
        QVERIFY(!scriptCopyFile(root, root + "/out.txt", "ALWAYS"));
        QVERIFY(!QFile::exists(root + "/out.txt"));

        // A file copied onto itself keeps its contents.
        QVERIFY(scriptCopyFile(source, source, "ALWAYS"));
        QCOMPARE(TestFiles::read(source), QByteArray("payload"));

        const QByteArray big = TestFiles::randomBytes(3 * 4096 + 17, 7);
        QVERIFY(TestFiles::write(source, big));
        QVERIFY(scriptCopyFile(source, root + "/big.bin", "ALWAYS"));
        QCOMPARE(TestFiles::read(root + "/big.bin"), big);
    }

private:
    // Comments, blank lines, odd spacing, names in mixed case and a last line without a line end.
    const QByteArray handWritten = "; modem settings\n"
                                   "[Modem]\n"
                                   "  Speed =  9600\n"
                                   "Init=ATZ ; reset\n"
                                   "\n"
                                   "[ Dialing ]\n"
                                   "prefix=\"ATDT \"\n"
                                   "#Redial=5\n"
                                   "\n"
                                   "\n"
                                   "[modem]\n"
                                   "Speed=1200\n"
                                   "[Last]\n"
                                   "x=1";

private slots:
    void iniReadsLikeWindows_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("blanks around") << "MODEM"
                                       << "speed"
                                       << "9600";
        QTest::newRow("value keeps its comment") << "modem"
                                                 << "INIT"
                                                 << "ATZ ; reset";
        QTest::newRow("section in blanks, quotes") << "Dialing"
                                                   << "Prefix"
                                                   << "ATDT ";
        QTest::newRow("commented key") << "Dialing"
                                       << "Redial"
                                       << "<default>";
        QTest::newRow("key of another section") << "Dialing"
                                                << "Speed"
                                                << "<default>";
        QTest::newRow("missing section") << "Nowhere"
                                         << "Speed"
                                         << "<default>";
        QTest::newRow("no line end") << "last"
                                     << "X"
                                     << "1";
    }
    void iniReadsLikeWindows()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QCOMPARE(iniValue(handWritten, section, key).value_or("<default>"), value);
    }

    void iniWriteKeepsEveryOtherLine_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("after");
        QByteArray changed = handWritten;
        QTest::newRow("existing key keeps spelling and spacing")
            << handWritten << "MODEM"
            << "SPEED" << changed.replace("  Speed =  9600", "  Speed =  new");
        changed = handWritten;
        QTest::newRow("new key at the end of its section, before the blank lines")
            << handWritten << "dialing"
            << "Tone" << changed.replace("#Redial=5\n", "#Redial=5\nTone=new\n");
        QTest::newRow("new key in a last line without line end") << handWritten << "Last"
                                                                 << "y" << handWritten + "\ny=new\n";
        QTest::newRow("new section") << handWritten << "Ports"
                                     << "Com" << handWritten + "\n\n[Ports]\nCom=new\n";
        QTest::newRow("line ends of the file") << QByteArray("[A]\r\nk=1\r\n") << "B"
                                               << "k" << QByteArray("[A]\r\nk=1\r\n\r\n[B]\r\nk=new\r\n");
        QTest::newRow("crlf key") << QByteArray("[A]\r\nk=1\r\nz=2\r\n") << "a"
                                  << "K" << QByteArray("[A]\r\nk=new\r\nz=2\r\n");
        QTest::newRow("empty file") << QByteArray() << "S"
                                    << "k" << QByteArray("[S]\nk=new\n");
    }
    void iniWriteKeepsEveryOtherLine()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QByteArray, after);
        const QByteArray written = withIniValue(before, section, key, "new");
        QCOMPARE(written, after);
        QCOMPARE(iniValue(written, section, key), QString("new"));
    }

    void iniFileRoundTrip()
    {
        const QString file = TestFiles::writeIn(root, "Config.ini", handWritten);
        QVERIFY(writeIniValue(root + "/CONFIG.INI", "Modem", "Speed", "57600"));
        QCOMPARE(readIniValue(root + "/config.INI", "modem", "speed", "d"), QString("57600"));
        QCOMPARE(filesBelow(root), QStringList{"Config.ini"});
        QCOMPARE(readIniValue(root + "/missing.ini", "Modem", "Speed", "d"), QString("d"));

        const QByteArray kept = TestFiles::read(file);
        QVERIFY(!writeIniValue(file, "Modem", "Speed", "1\n[Evil]\nx=1"));
        QVERIFY(!writeIniValue(file, "Modem\r\n", "Speed", "1"));
        QCOMPARE(TestFiles::read(file), kept);

        QVERIFY(writeIniValue(root + "/fresh.ini", "S", "k", "v"));
        QCOMPARE(TestFiles::read(root + "/fresh.ini"), QByteArray("[S]\nk=v\n"));
    }

    void commandLineSplitsWithoutShell_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("blanks") << "  prog   a  b " << QStringList{"prog", "a", "b"};
        QTest::newRow("quotes group") << "prog \"a b\" c" << QStringList{"prog", "a b", "c"};
        QTest::newRow("shell characters are plain")
            << "prog ; rm -rf x && $(x) `y` | z > f"
            << QStringList{"prog", ";", "rm", "-rf", "x", "&&", "$(x)", "`y`", "|", "z", ">", "f"};
        QTest::newRow("quoted shell characters")
            << "prog \"a;b\" '$HOME'" << QStringList{"prog", "a;b", "'$HOME'"};
        QTest::newRow("backslashes") << "PROG C:\\DIR\\FILE.TXT" << QStringList{"PROG", "C:\\DIR\\FILE.TXT"};
        QTest::newRow("literal quote") << "prog \"say \"\"\"hi\"\"\"\"" << QStringList{"prog", "say \"hi\""};
        QTest::newRow("empty") << "   " << QStringList{};
    }
    void commandLineSplitsWithoutShell()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, words);
        QCOMPARE(splitCommandLine(line), words);
    }

    void execFileFindsTheProgramWithoutCase()
    {
        const QString tool = TestFiles::writeScript(root, "Tool.sh", "#!/bin/sh\nexit 0\n");
        QVERIFY(!tool.isEmpty());
        QString program;
        QStringList arguments;
        const ProcessStarter record = [&](const QString &p, const QStringList &a) {
            program = p;
            arguments = a;
            return true;
        };
        QVERIFY(scriptExecFile(root + "/TOOL.SH \"A B\" ;", record));
        QCOMPARE(program, tool);
        QCOMPARE(arguments, (QStringList{"A B", ";"}));
        QVERIFY(scriptExecFile("TOUCH X", record));
        QCOMPARE(QFileInfo(program).fileName(), QString("touch"));
        program.clear();
        QVERIFY(!scriptExecFile("  ", record));
        QVERIFY(program.isEmpty());
    }

    void execFileStartsARealProgram()
    {
        const QString made = root + "/made by exec; $(rm -rf x).txt";
        QVERIFY(scriptExecFile("TOUCH \"" + made + "\"", startDetachedProcess));
        QTRY_VERIFY(QFile::exists(made));
        QVERIFY(!scriptExecFile(root + "/no-such-program", startDetachedProcess));
    }
};

QTEST_GUILESS_MAIN(ScriptFileCommandsTest)
#include "script_file_commands.moc"
