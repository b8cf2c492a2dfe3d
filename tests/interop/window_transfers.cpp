#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "comms/ui/Terminal.h"
#include "extras/EventSounds.h"
#include "extras/ShippedSounds.h"
#include "shell/RecordingPrompt.h"
#include "shell/main/Application.h"
#include "shell/settings/SettingsTable.h"
#include "support/LinePeers.h"
#include "support/PageText.h"
#include "support/RecordingHelp.h"
#include "support/RecordingLauncher.h"
#include "support/RecordingSoundPlayer.h"
#include "support/ScriptedTransferDialogs.h"
#include "support/TelnetEntry.h"
#include "support/TestFiles.h"

// Transfers in the real window over telnet to inetutils telnetd, which runs
// a small board: "get <file>" runs sz, "put" runs rz in the board's upload
// folder, "kget <file>" runs G-Kermit's sender.
namespace {

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 state = seed;
    for (char &byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = char(state >> 24);
    }
    return bytes;
}

QString home()
{
    return qEnvironmentVariable("TARNEX_HOME");
}

QString downloadDir()
{
    return home() + QStringLiteral("Download/");
}

QStringList logLines()
{
    QFile file(home() + QStringLiteral("tarnexlog.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(file.readAll()).split(QLatin1Char('\n'));
}

bool logged(const QString &text)
{
    for (const QString &line : logLines())
        if (line.contains(text))
            return true;
    return false;
}

class Board {
public:
    bool start()
    {
        if (!QDir().mkpath(uploads()))
            return false;
        const QByteArray body = "#!/bin/sh\n"
                                "echo $$ > '"
            + dir.filePath(QStringLiteral("board.pid")).toLocal8Bit()
            + "'\n"
              "printf 'Board> '\n"
              "while read -r cmd arg; do\n"
              "  case \"$cmd\" in\n"
              "    get) sz -q \"$arg\" ;;\n"
              "    put) (cd '"
            + uploads().toLocal8Bit()
            + "' && rz -q) ;;\n"
              "    kget) gkermit -q -s \"$arg\" ;;\n"
              "  esac\n"
              "  printf 'Board> '\n"
              "done\n";
        const QString script = TestFiles::writeScript(dir.path(), QStringLiteral("board.sh"), body);
        return !script.isEmpty() && telnetd.start(QStringLiteral("/usr/sbin/telnetd -h -E ") + script);
    }
    QString file(const QString &name, const QByteArray &content)
    {
        const QString path = dir.filePath(name);
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(content) != content.size())
            return {};
        return path;
    }
    QString uploads() const { return dir.filePath(QStringLiteral("up")); }
    quint16 port() const { return telnetd.port(); }
    // Ends the board's session, and with it telnetd's connection.
    void hangUp()
    {
        const QByteArray pid = TestFiles::read(dir.filePath(QStringLiteral("board.pid"))).trimmed();
        const QString shell = QString::fromLatin1(pid);
        QProcess::execute(QStringLiteral("pkill"), {QStringLiteral("-9"), QStringLiteral("-P"), shell});
        QProcess::execute(QStringLiteral("kill"), {QStringLiteral("-9"), shell});
    }

    QTemporaryDir dir;
    SocketExec telnetd;
};

} // namespace

class WindowTransfersTest : public QObject {
    Q_OBJECT

    RecordingPrompt prompt;
    RecordingHelp help;
    ScriptedTransferDialogs dialogs;
    RecordingSoundPlayer sounds;
    RecordingLauncher launcher;
    std::unique_ptr<Board> board;
    std::unique_ptr<Application> app;

    Terminal *terminal() { return app->window().terminal(); }
    void command(const QByteArray &line) { app->port().putBlock(line + "\r"); }
    bool atPrompt(int count) { return pageText(terminal()).count(QStringLiteral("Board>")) >= count; }
    QString soundFile(EventSounds::Event event) { return app->sounds().sound(event).path; }

    // The whole end of a transfer, as the user sees it.
    void verifyFinished()
    {
        QTRY_VERIFY_WITH_TIMEOUT(!app->transfers().isTransferring(), 60000);
        QTRY_COMPARE_WITH_TIMEOUT(app->window().statusPanel(), QStringLiteral("Protocol complete"), 5000);
        QCOMPARE(app->window().windowTitle(), QStringLiteral("Tarnex 7.0"));
        QVERIFY(terminal()->isActive());
        QVERIFY(app->window().button(QStringLiteral("TransferBtn"))->isEnabled());
        QVERIFY(app->transfers().autoZmodemArmed());
    }

private slots:
    void init()
    {
        board = std::make_unique<Board>();
        QVERIFY(board->start());
        addTelnetEntry(
            home(), QStringLiteral("Board"), board->port(), {{PhoneField::Protocol, QStringLiteral("7")}});
        QString error;
        QVERIFY2(ShippedSounds::install(home() + QStringLiteral("sounds"), &error), qPrintable(error));
        app = std::make_unique<Application>();
        app->setPrompt(&prompt);
        app->setHelp(&help);
        app->setTransferDialogs(&dialogs);
        app->setSoundPlayer(&sounds);
        app->setLauncher(&launcher);
        app->start({QStringLiteral("-START"), QStringLiteral("Board")});
        QTRY_VERIFY_WITH_TIMEOUT(atPrompt(1), 30000);
        QVERIFY(app->transfers().autoZmodemArmed());
        sounds.played.clear();
    }
    void cleanup()
    {
        app.reset();
        board.reset();
        QDir(downloadDir()).removeRecursively();
        QFile::remove(home() + QStringLiteral("tarnexlog.txt"));
        QFile::remove(home() + QStringLiteral("Phone.Dat"));
    }

    // "sz" on the board starts the download by itself, twice: the trigger
    // is armed again after the first.
    void automaticZmodemDownload()
    {
        const QByteArray first = randomBytes(300000, 1);
        // The board echoes "RZ" CR: case counts, nothing starts.
        command("RZ");
        QTRY_VERIFY_WITH_TIMEOUT(atPrompt(2), 10000);
        QVERIFY(!logged(QStringLiteral("Got Zmodem autostart")));
        const QByteArray second = randomBytes(4096, 2) + QByteArray(512, '\x18') + QByteArray(512, '\xff');
        command("get " + board->file(QStringLiteral("first.bin"), first).toLocal8Bit());
        verifyFinished();
        QCOMPARE(TestFiles::read(downloadDir() + QStringLiteral("first.bin")), first);
        QVERIFY(logged(QStringLiteral("Got Zmodem autostart")));
        QVERIFY(logged(QStringLiteral("Start download")));
        QVERIFY(logged(
            QStringLiteral("Protocol accepting file: ") + downloadDir() + QStringLiteral("first.bin")));
        QVERIFY(logged(QStringLiteral("Protocol done. Error code=0")));
        QCOMPARE(sounds.played, QStringList{soundFile(EventSounds::FileComplete)});

        QTRY_VERIFY_WITH_TIMEOUT(atPrompt(3), 10000);
        command("get " + board->file(QStringLiteral("second.bin"), second).toLocal8Bit());
        QTRY_COMPARE_WITH_TIMEOUT(
            TestFiles::read(downloadDir() + QStringLiteral("second.bin")), second, 60000);
        verifyFinished();
        // The terminal has the line again.
        QTRY_VERIFY_WITH_TIMEOUT(atPrompt(4), 10000);
    }

    // Three files dropped on the window go to rz with the engine's protocol
    // (Zmodem before any other transfer).
    void dropThreeFilesIntoRz()
    {
        QTemporaryDir outgoing;
        const QList<QByteArray> contents{randomBytes(70000, 3), QByteArray(), randomBytes(1000, 4)};
        const QStringList files = TestFiles::writeBatch(outgoing.path(), QStringLiteral("drop"), contents);
        command("put");
        QTRY_VERIFY_WITH_TIMEOUT(pageText(terminal()).contains(QStringLiteral("B0100")), 10000);
        QStringList paths;
        for (const QString &name : files)
            paths << QDir(outgoing.path()).filePath(name);
        emit app->window().filesDropped(paths);
        QVERIFY(app->transfers().isTransferring());
        QVERIFY(!app->transfers().autoZmodemArmed());
        QVERIFY(!terminal()->isActive());
        verifyFinished();
        for (int i = 0; i < files.size(); ++i)
            QCOMPARE(TestFiles::read(QDir(board->uploads()).filePath(files[i])), contents[i]);
        QVERIFY(logged(QStringLiteral("Next file=") + paths.last()));
        QCOMPARE(sounds.played, QStringList{soundFile(EventSounds::FileComplete)});
    }

    // "&Send" with the entry's protocol preselected and one file from the
    // batch dialog.
    void sendFromTheMenu()
    {
        QTemporaryDir outgoing;
        const QByteArray content = randomBytes(20000, 5);
        const QStringList files = TestFiles::writeBatch(outgoing.path(), QStringLiteral("menu"), {content});
        command("put");
        QTRY_VERIFY_WITH_TIMEOUT(pageText(terminal()).contains(QStringLiteral("B0100")), 10000);
        dialogs.answerProtocol(6);
        dialogs.answerBatch({true, {QDir(outgoing.path()).filePath(files.first())}, outgoing.path()});
        app->window().entry(QStringLiteral("Send1"))->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(app->transfers().isTransferring(), 5000);
        QCOMPARE(dialogs.preselections, QList<int>{6});
        QVERIFY(logged(QStringLiteral("Upload, type=7")));
        QVERIFY(logged(QStringLiteral("File count=1")));
        QVERIFY(logged(QStringLiteral("Removing Zmodem autostart")));
        verifyFinished();
        QCOMPARE(TestFiles::read(QDir(board->uploads()).filePath(files.first())), content);
        QCOMPARE(app->directories().upload, outgoing.path() + QLatin1Char('/'));
    }

    // Kermit carries names: "&Recieve" asks for none. With "LaunchApp" on
    // the received file is opened on the desktop.
    void kermitDownload()
    {
        app->settings().write(Setting::LaunchApp, true);
        app->protocolOptions().LoadProtocolOptions();
        const QByteArray content = QByteArray("A text file from the board.\r\n").repeated(2000);
        command("kget " + board->file(QStringLiteral("k.txt"), content).toLocal8Bit());
        dialogs.answerProtocol(7);
        app->transfers().Recieve1Click();
        QVERIFY(prompt.shown().isEmpty());
        verifyFinished();
        QCOMPARE(TestFiles::read(downloadDir() + QStringLiteral("k.txt")), content);
        QCOMPARE(launcher.opened, QList<QUrl>{QUrl::fromLocalFile(downloadDir() + QStringLiteral("k.txt"))});
    }

    // Esc mid-download: the other side is told, nothing that looks complete
    // is left, and the failed sound plays.
    void escapeCancelsDownload()
    {
        const QByteArray big = randomBytes(40 * 1024 * 1024, 7);
        command("get " + board->file(QStringLiteral("big.bin"), big).toLocal8Bit());
        QTRY_VERIFY_WITH_TIMEOUT(app->engine().status().bytesDone > 0, 30000);
        // The status window leaves the focus where it was.
        QVERIFY(app->protocolStatus().isVisible());
        QCOMPARE(QApplication::focusWidget(), terminal());
        QTest::keyClick(terminal(), Qt::Key_Escape);
        QCOMPARE(app->window().statusPanel(), QStringLiteral("Upload Canceled"));
        QTRY_VERIFY_WITH_TIMEOUT(!app->transfers().isTransferring(), 30000);
        QVERIFY(!QFile::exists(downloadDir() + QStringLiteral("big.bin")));
        QVERIFY(logged(QStringLiteral("Protocol done. Error code=1")));
        QCOMPARE(sounds.played, QStringList{soundFile(EventSounds::FileFailed)});
        // sz gives up; once the line is quiet the terminal has it again.
        QTest::qWait(TransferController::discardQuietMs * 2);
        command("");
        QTRY_VERIFY_WITH_TIMEOUT(atPrompt(2), 30000);
    }

    // The connection drops mid-download.
    void lineDropsMidDownload()
    {
        const QByteArray big = randomBytes(40 * 1024 * 1024, 8);
        // The board hangs up as the file is opened here; sz is quicker than
        // any later moment a test could pick on this line.
        const HandlerRegistration hangUp
            = app->engine().events().accept.attach(HandlerStage::Watchers, [this](const QString &, bool &) {
                  board->hangUp();
                  return false;
              });
        command("get " + board->file(QStringLiteral("lost.bin"), big).toLocal8Bit());
        // The notice may wrap at the right margin.
        QTRY_VERIFY_WITH_TIMEOUT(
            pageText(terminal())
                .remove(QLatin1Char('\n'))
                .contains(QStringLiteral("File transfer canceled due to lost connection.")),
            30000);
        QTRY_VERIFY_WITH_TIMEOUT(!app->transfers().isTransferring(), 30000);
        QVERIFY(!QFile::exists(downloadDir() + QStringLiteral("lost.bin")));
        QVERIFY(!app->state().online());
        QVERIFY(terminal()->isActive());
        QVERIFY(!app->transfers().autoZmodemArmed());
    }
};

QTEST_MAIN(WindowTransfersTest)
#include "window_transfers.moc"
