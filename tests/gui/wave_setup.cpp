#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "extras/ShippedSounds.h"
#include "extras/ui/QtSoundPlayer.h"
#include "extras/ui/WaveSetupDialog.h"
#include "shell/ProgramDir.h"
#include "shell/RecordingPrompt.h"
#include "shell/TLog.h"
#include "shell/main/Application.h"
#include "support/RecordingHelp.h"
#include "support/RecordingSoundPlayer.h"
#include "support/TestFiles.h"

#include <QAudioDevice>
#include <QMediaDevices>

// "Wave setup" over the event sounds, the session's connect and
// disconnect reaching the player through the application, and the Qt
// player on a machine without a sound device.
class WaveSetupTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    RecordingSoundPlayer player;
    RecordingPrompt prompt;
    TLog log{QString()};

    QString wav(const QString &name) const { return dir.path() + QStringLiteral("/") + name; }
    EventSounds shippedSounds()
    {
        EventSounds sounds(&player);
        for (int event = 0; event < EventSounds::eventCount; ++event)
            sounds.setPath(EventSounds::Event(event), wav(QStringLiteral("glock.wav")));
        sounds.setPath(EventSounds::Disconnect, wav(QStringLiteral("close.wav")));
        return sounds;
    }
    template <typename T> static T *part(QWidget &dialog, const QString &prefix, EventSounds::Event event)
    {
        T *found = dialog.findChild<T *>(prefix + WaveSetupDialog::rowName(event));
        if (!found)
            qFatal("no %s", qPrintable(prefix + WaveSetupDialog::rowName(event)));
        return found;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QString error;
        QVERIFY2(ShippedSounds::install(dir.path(), &error), qPrintable(error));
        QVERIFY2(ShippedSounds::install(ProgramDir::resolve() + QStringLiteral("sounds"), &error),
            qPrintable(error));
    }
    void init()
    {
        QFile::remove(
            SettingsStore(SettingsFolders::fromEnvironment(), log, [](const QString &) {}).filePath());
        player = RecordingSoundPlayer();
        prompt = RecordingPrompt();
    }

    void checkBoxesShowAndSetTheSwitches()
    {
        EventSounds sounds = shippedSounds();
        sounds.setEnabled(EventSounds::FileComplete, false);
        WaveSetupDialog dialog(sounds, prompt);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Wave setup"));
        const QStringList captions{
            "On Connect", "On Disconnect", "On file transfer complete", "On file transfer failed"};
        for (int event = 0; event < EventSounds::eventCount; ++event) {
            auto *use = part<QCheckBox>(dialog, QStringLiteral("use"), EventSounds::Event(event));
            QCOMPARE(use->text(), captions.at(event));
            QCOMPARE(use->isChecked(), event != EventSounds::FileComplete);
            QCOMPARE(part<QLineEdit>(dialog, QStringLiteral("file"), EventSounds::Event(event))->text(),
                sounds.sound(EventSounds::Event(event)).path);
        }
        // Complete off, failed on: a good transfer is silent, a failed one heard.
        sounds.transferFinished(true);
        QVERIFY(player.played.isEmpty());
        sounds.transferFinished(false);
        QCOMPARE(player.played.size(), 1);

        // Disconnect off: the connect sound still plays.
        part<QCheckBox>(dialog, QStringLiteral("use"), EventSounds::Disconnect)->click();
        QVERIFY(!sounds.sound(EventSounds::Disconnect).enabled);
        player.played.clear();
        sounds.disconnected();
        sounds.connected();
        QCOMPARE(player.played, QStringList{wav(QStringLiteral("glock.wav"))});
    }

    // A chosen file is the path at once; an empty choice is "None", which
    // plays nothing.
    void browseSetsThePath()
    {
        EventSounds sounds = shippedSounds();
        WaveSetupDialog dialog(sounds, prompt);
        prompt.answerFiles({wav(QStringLiteral("filedone.wav"))});
        part<QToolButton>(dialog, QStringLiteral("browse"), EventSounds::Connect)->click();
        QCOMPARE(sounds.sound(EventSounds::Connect).path, wav(QStringLiteral("filedone.wav")));
        QCOMPARE(part<QLineEdit>(dialog, QStringLiteral("file"), EventSounds::Connect)->text(),
            wav(QStringLiteral("filedone.wav")));
        QCOMPARE(prompt.shown().size(), 1);
        QCOMPARE(prompt.shown().first().kind, RecordingPrompt::Kind::Files);

        part<QToolButton>(dialog, QStringLiteral("browse"), EventSounds::FileFailed)->click();
        QCOMPARE(sounds.sound(EventSounds::FileFailed).path, QStringLiteral("None"));
        QCOMPARE(part<QLineEdit>(dialog, QStringLiteral("file"), EventSounds::FileFailed)->text(),
            QStringLiteral("None"));
        sounds.transferFinished(false);
        part<QPushButton>(dialog, QStringLiteral("play"), EventSounds::FileFailed)->click();
        QVERIFY(player.played.isEmpty());
    }

    // Play takes the typed name without storing it; every Stop stops.
    void playAndStopUseTheField()
    {
        EventSounds sounds = shippedSounds();
        WaveSetupDialog dialog(sounds, prompt);
        auto *field = part<QLineEdit>(dialog, QStringLiteral("file"), EventSounds::Disconnect);
        field->setText(wav(QStringLiteral("fileerror.wav")));
        part<QPushButton>(dialog, QStringLiteral("play"), EventSounds::Disconnect)->click();
        QCOMPARE(player.played, QStringList{wav(QStringLiteral("fileerror.wav"))});
        QCOMPARE(sounds.sound(EventSounds::Disconnect).path, wav(QStringLiteral("close.wav")));
        part<QPushButton>(dialog, QStringLiteral("stop"), EventSounds::Connect)->click();
        part<QPushButton>(dialog, QStringLiteral("stop"), EventSounds::FileFailed)->click();
        QCOMPARE(player.stops, 2);

        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        field->setFocus();
        // The mnemonic presses OK after a short animation.
        QTest::keyClick(&dialog, Qt::Key_O, Qt::AltModifier);
        QTRY_VERIFY(!dialog.isVisible());
    }

    // The menu command opens the dialog modally; Help opens topic 27, OK
    // closes it and the change made stays in force and is saved at exit.
    void menuOpensTheDialog()
    {
        RecordingHelp help;
        Application application;
        application.setPrompt(&prompt);
        application.setHelp(&help);
        application.setSoundPlayer(&player);
        application.start({});
        help.shown.clear();
        QAction *sounds = application.window().entry(QStringLiteral("Sounds1"));
        QVERIFY(sounds->isEnabled());
        QString title;
        bool closedByAltO = false;
        // Answers the dialog once it is up; closes it whatever happens so a failure cannot hang.
        std::function<void()> answer = [&] {
            QWidget *dialog = QApplication::activeModalWidget();
            if (!dialog) {
                QTimer::singleShot(10, this, answer);
                return;
            }
            title = dialog->windowTitle();
            dialog->findChild<QPushButton *>(QStringLiteral("help"))->click();
            auto *use = part<QCheckBox>(*dialog, QStringLiteral("use"), EventSounds::Connect);
            use->click();
            dialog->activateWindow();
            use->setFocus();
            if (QTest::qWaitForWindowActive(dialog))
                QTest::keyClick(dialog, Qt::Key_O, Qt::AltModifier);
            closedByAltO = QTest::qWaitFor([dialog] { return !dialog->isVisible(); }, 2000);
            dialog->close();
        };
        QTimer::singleShot(0, this, answer);
        sounds->trigger();
        QCOMPARE(title, QStringLiteral("Wave setup"));
        QVERIFY(closedByAltO);
        QCOMPARE(help.shown, QList<int>{HelpService::waveSetup});
        QVERIFY(!application.sounds().sound(EventSounds::Connect).enabled);
        application.closeWithoutAsking();
        QVERIFY(!application.settings().read(Setting::UseOnConnectWav));
    }

    // A TCP session: the connect sound when the host answers, the
    // disconnect sound when it leaves; files from the sound folder.
    void sessionPlaysConnectAndDisconnect()
    {
        QTcpServer host;
        QVERIFY(host.listen(QHostAddress::LocalHost));
        QTcpSocket *peer = nullptr;
        connect(&host, &QTcpServer::newConnection, this, [&] { peer = host.nextPendingConnection(); });
        Application application;
        application.setPrompt(&prompt);
        application.setSoundPlayer(&player);
        application.start(
            {QStringLiteral("-TCP"), QStringLiteral("127.0.0.1"), QString::number(host.serverPort())});
        const QString folder = application.directories().sounds;
        QTRY_COMPARE_WITH_TIMEOUT(player.played, QStringList{folder + QStringLiteral("glock.wav")}, 20000);
        QVERIFY(peer);
        peer->disconnectFromHost();
        QTRY_COMPARE_WITH_TIMEOUT(player.played,
            QStringList({folder + QStringLiteral("glock.wav"), folder + QStringLiteral("close.wav")}), 20000);
        QVERIFY(prompt.shown().isEmpty());
    }

    // No audio output: nothing plays, one log line however many sounds are
    // asked for, and no message box.
    void noSoundDeviceLogsOnce()
    {
        if (!QMediaDevices::audioOutputs().isEmpty())
            QSKIP("this machine has a sound device");
        const QString logFile = wav(QStringLiteral("sound-log.txt"));
        TLog soundLog(logFile);
        QtSoundPlayer qtPlayer(soundLog);
        EventSounds sounds(&qtPlayer);
        sounds.PlayWave(wav(QStringLiteral("glock.wav")));
        sounds.PlayWave(wav(QStringLiteral("close.wav")));
        sounds.stop();
        const QList<QByteArray> lines = TestFiles::read(logFile).trimmed().split('\n');
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().contains("No sound device"), lines.first().constData());
    }
};

QTEST_MAIN(WaveSetupTest)
#include "wave_setup.moc"
