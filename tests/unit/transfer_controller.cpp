#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "comms/line/Comport.h"
#include "comms/transfer/ProtocolEngine.h"
#include "extras/Directories.h"
#include "extras/EventSounds.h"
#include "sessions/DeviceList.h"
#include "sessions/SessionState.h"
#include "shell/RecordingPrompt.h"
#include "shell/TLog.h"
#include "shell/settings/SettingsStore.h"
#include "shell/settings/SettingsTable.h"
#include "support/RecordingLauncher.h"
#include "support/RecordingSoundPlayer.h"
#include "support/RecordingView.h"
#include "support/ScriptedTransferDialogs.h"
#include "transfer/TransferController.h"

// The transfer controller's choices before and around the engine, without a
// window: the dialogs, prompt, view, sounds and launcher recorded, the port
// closed (a transfer started on it fails at once, as on a dead line).
namespace {

struct Rig {
    QTemporaryDir dir;
    TLog log{dir.filePath(QStringLiteral("log.txt"))};
    SettingsStore settings{
        SettingsFolders{dir.filePath(QStringLiteral("cfg")), dir.filePath(QStringLiteral("sys"))}, log,
        [](const QString &) {}};
    Comport port;
    ProtocolEngine engine;
    SessionState state;
    RecordingView view;
    RecordingPrompt prompt;
    ScriptedTransferDialogs dialogs;
    Directories directories;
    DeviceList devices;
    RecordingSoundPlayer player;
    EventSounds sounds{&player};
    RecordingLauncher launcher;
    TransferSwitches switches;
    TransferController transfers{TransferParts{port, engine, state, view, log, prompt, dialogs, settings,
        directories, dir.path() + QLatin1Char('/'), devices, sounds, launcher, [this] { return switches; }}};

    Rig()
    {
        directories.upload = folder(QStringLiteral("Upload"));
        directories.download = folder(QStringLiteral("Download"));
        for (int event = 0; event < EventSounds::eventCount; ++event) {
            const QString wave = dir.filePath(QStringLiteral("%1.wav").arg(event));
            QFile(wave).open(QIODevice::WriteOnly);
            sounds.setPath(EventSounds::Event(event), wave);
        }
    }
    QString folder(const QString &name)
    {
        QDir(dir.path()).mkpath(name);
        return dir.filePath(name) + QLatin1Char('/');
    }
    QString file(const QString &name)
    {
        const QString path = dir.filePath(name);
        QFile out(path);
        out.open(QIODevice::WriteOnly);
        out.write("data");
        return path;
    }
    void useEntry(const QString &protocol)
    {
        PhonebookEntry entry = PhonebookEntry::newEntry();
        entry.set(PhoneField::Name, QStringLiteral("Board"));
        entry.set(PhoneField::Protocol, protocol);
        state.setCurrentEntry(entry, QStringLiteral("Board"));
        state.setConnectionKind(ConnectionKind::TcpClient);
    }
    QString logText()
    {
        QFile file(log.fileName());
        return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
    }
    // The engine's answers to "next file", up to the end of the batch.
    QStringList nextFiles(int most)
    {
        QStringList answers;
        for (int i = 0; i < most; ++i) {
            QString path;
            engine.events().nextFile.dispatch(path);
            answers << path;
            if (path.isEmpty())
                break;
        }
        return answers;
    }
};

} // namespace

class TransferControllerTest : public QObject {
    Q_OBJECT

private slots:
    // The dialog shows the entry's protocol or, for a direct connection, the
    // one remembered; none chosen starts nothing and changes nothing.
    void protocolChoice_data()
    {
        QTest::addColumn<QString>("entryProtocol");
        QTest::addColumn<bool>("direct");
        QTest::addColumn<int>("preselected");
        QTest::newRow("Zmodem entry") << QStringLiteral("7") << false << 6;
        QTest::newRow("no default") << QStringLiteral("0") << false << -1;
        QTest::newRow("not a number") << QStringLiteral("x") << false << 0;
        QTest::newRow("direct, remembered Kermit") << QStringLiteral("7") << true << 7;
    }
    void protocolChoice()
    {
        QFETCH(QString, entryProtocol);
        QFETCH(bool, direct);
        QFETCH(int, preselected);
        Rig rig;
        rig.useEntry(entryProtocol);
        if (direct) {
            rig.state.setConnectionKind(ConnectionKind::Direct);
            rig.settings.write(Setting::DefaultP, 7);
        }
        rig.transfers.UploadDialog();
        QCOMPARE(rig.dialogs.preselections, QList<int>{preselected});
        QVERIFY(rig.view.buttonStates.isEmpty());
        QVERIFY(rig.prompt.shown().isEmpty());
        QVERIFY(!rig.transfers.isTransferring());
    }

    // Direct connections remember the protocol chosen.
    void directRemembersChoice()
    {
        Rig rig;
        rig.state.setConnectionKind(ConnectionKind::Direct);
        rig.dialogs.answerProtocol(4);
        rig.transfers.UploadDialog();
        QCOMPARE(rig.settings.read(Setting::DefaultP), 4);
    }

    // An upload folder that is gone is asked about; the upload goes on
    // either way, and a cancelled picker leaves everything as it was.
    void invalidUploadFolder()
    {
        for (const bool yes : {true, false}) {
            Rig rig;
            rig.directories.upload = rig.dir.filePath(QStringLiteral("gone/"));
            rig.useEntry(QStringLiteral("1"));
            rig.dialogs.answerProtocol(0);
            rig.prompt.answerChoice(yes);
            rig.transfers.UploadDialog();
            QCOMPARE(rig.prompt.texts().first(),
                QStringLiteral("Your upload directory (") + rig.directories.upload
                    + QStringLiteral(") is invalid. Continue?"));
            QCOMPARE(rig.engine.destinationDirectory(), yes ? rig.directories.upload : QString());
            // Xmodem sends one file: the picker came next and was cancelled.
            QCOMPARE(rig.prompt.shown().last().kind, RecordingPrompt::Kind::Files);
            QVERIFY(rig.logText().contains(QLatin1String("Non batch upload")));
            QVERIFY(!rig.transfers.isTransferring());
            QVERIFY(rig.view.buttonStates.isEmpty());
        }
    }

    // A network path cannot be browsed: the program folder is shown instead.
    void networkUploadFolder()
    {
        Rig rig;
        rig.directories.upload = QStringLiteral("\\\\server\\share\\");
        rig.transfers.DoUpload(ProtocolType::Zmodem, {});
        QCOMPARE(rig.prompt.texts(),
            QStringList{QStringLiteral(
                "If you are using a network connection then you must map the connection to a drive letter")});
        QCOMPARE(rig.dialogs.batchFolders, QStringList{rig.dir.path() + QLatin1Char('/')});
        QVERIFY(!rig.transfers.isTransferring());
    }

    // A batch of three answers the three paths in order, then an empty name.
    void batchAnswersInOrder()
    {
        Rig rig;
        const QStringList files{
            rig.file(QStringLiteral("a")), rig.file(QStringLiteral("b")), rig.file(QStringLiteral("c"))};
        rig.dialogs.answerBatch({true, files, rig.dir.path()});
        rig.transfers.DoUpload(ProtocolType::Zmodem, {});
        QCOMPARE(rig.nextFiles(5), files + QStringList{QString()});
        QVERIFY(rig.logText().contains(QLatin1String("File count=3")));
    }

    // Ascii and the Xmodems carry no name: the user gives one (cancel starts
    // nothing); Zmodem asks for none.
    void receiveAsksForName()
    {
        Rig rig;
        rig.useEntry(QStringLiteral("9"));
        rig.dialogs.answerProtocol(8);
        rig.prompt.answerInput(QStringLiteral("capture.txt"));
        rig.transfers.Recieve1Click();
        QCOMPARE(rig.prompt.texts(), QStringList{QStringLiteral("Input desired file name")});
        QCOMPARE(rig.engine.fileName(), QStringLiteral("capture.txt"));
        QCOMPARE(rig.engine.destinationDirectory(), rig.directories.download);
        QVERIFY(rig.logText().contains(QLatin1String("Start download")));

        Rig cancelled;
        cancelled.dialogs.answerProtocol(0);
        cancelled.transfers.Recieve1Click();
        QVERIFY(!cancelled.logText().contains(QLatin1String("Start download")));

        Rig zmodem;
        zmodem.dialogs.answerProtocol(6);
        zmodem.transfers.Recieve1Click();
        QVERIFY(zmodem.prompt.shown().isEmpty());
        QVERIFY(zmodem.logText().contains(QLatin1String("Start download")));
    }

    // Drops count only while online.
    void dropWhileOffline()
    {
        Rig rig;
        rig.transfers.filesDropped({rig.file(QStringLiteral("x"))});
        QVERIFY(rig.view.buttonStates.isEmpty());
        QVERIFY(!rig.transfers.isTransferring());
    }

    // A transfer that cannot run (the line is down) ends in the finished
    // sequence: a notice, the failed sound, the window back as it was.
    void failedTransferFinishes()
    {
        Rig rig;
        rig.state.setOnline(true);
        rig.switches.launchApp = true;
        const QString file = rig.file(QStringLiteral("x"));
        rig.transfers.filesDropped({file});
        QCOMPARE(rig.view.buttonStates, QList<bool>{false});
        QVERIFY(!rig.view.terminalActive);
        QTRY_COMPARE(rig.view.buttonStates, (QList<bool>{false, true}));
        QVERIFY(rig.view.terminalActive);
        QVERIFY(rig.view.bPlusDetection);
        QVERIFY(!rig.view.notices.isEmpty());
        QCOMPARE(rig.player.played, QStringList{rig.sounds.sound(EventSounds::FileFailed).path});
        QVERIFY(rig.logText().contains(QLatin1String("Protocol done. Error code=")));
        QCOMPARE(rig.view.caption, QStringLiteral("Tarnex 7.0"));
        // Nothing was received, so nothing is opened.
        QVERIFY(rig.launcher.opened.isEmpty());
    }

    // The folders are shown by the desktop's file manager.
    void viewFolders()
    {
        Rig rig;
        rig.transfers.ViewDownloadDir();
        rig.transfers.ViewUploadDir();
        QCOMPARE(rig.launcher.opened,
            (QList<QUrl>{
                QUrl::fromLocalFile(rig.directories.download), QUrl::fromLocalFile(rig.directories.upload)}));
    }

    // The trigger is armed once per connection and removed on hang-up.
    void autoZmodemTrigger()
    {
        Rig rig;
        rig.transfers.armForConnection();
        QVERIFY(rig.transfers.autoZmodemArmed());
        QVERIFY(rig.view.bPlusDetection);
        rig.transfers.removeForDisconnect();
        QVERIFY(!rig.transfers.autoZmodemArmed());
        QVERIFY(!rig.view.bPlusDetection);
        QVERIFY(rig.logText().contains(QLatin1String("Removing Auto Zmodem Trigger")));
        rig.switches.autoZmodem = false;
        rig.transfers.armForConnection();
        QVERIFY(!rig.transfers.autoZmodemArmed());
    }
};

QTEST_GUILESS_MAIN(TransferControllerTest)
#include "transfer_controller.moc"
