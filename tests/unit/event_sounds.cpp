#include <QTemporaryDir>
#include <QTest>

#include "extras/EventSounds.h"
#include "extras/ShippedSounds.h"
#include "shell/TLog.h"
#include "shell/settings/SettingsStore.h"
#include "support/RecordingSoundPlayer.h"
#include "support/TestFiles.h"

#include <QtEndian>

// The four event hooks with their switches and files, the settings they
// keep, and the shipped wave files.
class EventSoundsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    RecordingSoundPlayer player;
    TLog log{QString()};

    QString soundDir() const { return dir.path() + QStringLiteral("/sounds/"); }
    std::unique_ptr<SettingsStore> makeStore(const QString &name)
    {
        return std::make_unique<SettingsStore>(
            SettingsFolders{dir.path() + QStringLiteral("/") + name, dir.path() + QStringLiteral("/machine")},
            log, [](const QString &text) { QFAIL(qPrintable(text)); });
    }
    // Sounds read from empty settings: the shipped files, all switched on.
    EventSounds defaults()
    {
        EventSounds sounds(&player);
        sounds.load(*makeStore(QStringLiteral("empty")), soundDir());
        return sounds;
    }
    // Plays each event once: connect, disconnect, complete, failed.
    static void playAll(EventSounds &sounds)
    {
        sounds.connected();
        sounds.disconnected();
        sounds.transferFinished(true);
        sounds.transferFinished(false);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QString error;
        QVERIFY2(ShippedSounds::install(soundDir(), &error), qPrintable(error));
    }
    void init() { player = RecordingSoundPlayer(); }

    void defaultsAreTheShippedFilesSwitchedOn()
    {
        EventSounds sounds = defaults();
        playAll(sounds);
        QCOMPARE(player.played,
            QStringList({soundDir() + QStringLiteral("glock.wav"), soundDir() + QStringLiteral("close.wav"),
                soundDir() + QStringLiteral("filedone.wav"), soundDir() + QStringLiteral("fileerror.wav")}));
    }

    void switchesSilenceTheirEventOnly_data()
    {
        QTest::addColumn<int>("off");
        QTest::addColumn<QStringList>("heard");
        QTest::newRow("connect off") << int(EventSounds::Connect)
                                     << QStringList{"close.wav", "filedone.wav", "fileerror.wav"};
        QTest::newRow("disconnect off")
            << int(EventSounds::Disconnect) << QStringList{"glock.wav", "filedone.wav", "fileerror.wav"};
        QTest::newRow("complete off")
            << int(EventSounds::FileComplete) << QStringList{"glock.wav", "close.wav", "fileerror.wav"};
        QTest::newRow("failed off") << int(EventSounds::FileFailed)
                                    << QStringList{"glock.wav", "close.wav", "filedone.wav"};
    }
    void switchesSilenceTheirEventOnly()
    {
        QFETCH(int, off);
        QFETCH(QStringList, heard);
        EventSounds sounds = defaults();
        sounds.setEnabled(EventSounds::Event(off), false);
        playAll(sounds);
        QStringList names;
        for (const QString &path : player.played)
            names << path.section(QLatin1Char('/'), -1);
        QCOMPARE(names, heard);
    }

    void noneMissingAndFoldersPlayNothing_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("None") << QStringLiteral("None");
        QTest::newRow("empty") << QString();
        QTest::newRow("missing file") << QStringLiteral("/nonexistent/glock.wav");
        QTest::newRow("a folder") << dir.path();
    }
    void noneMissingAndFoldersPlayNothing()
    {
        QFETCH(QString, path);
        EventSounds sounds = defaults();
        sounds.setPath(EventSounds::Connect, path);
        sounds.connected();
        sounds.PlayWave(path);
        QVERIFY(player.played.isEmpty());
    }

    // Files are matched without case, as everywhere in the program.
    void pathsMatchWithoutCase()
    {
        EventSounds sounds = defaults();
        sounds.setPath(EventSounds::Disconnect, soundDir() + QStringLiteral("CLOSE.WAV"));
        sounds.disconnected();
        QCOMPARE(player.played, QStringList{soundDir() + QStringLiteral("close.wav")});
    }

    void settingsRoundTrip()
    {
        const std::unique_ptr<SettingsStore> kept = makeStore(QStringLiteral("kept"));
        SettingsStore &store = *kept;
        EventSounds sounds(&player);
        sounds.load(store, soundDir());
        sounds.setPath(EventSounds::FileComplete, QStringLiteral("None"));
        sounds.setPath(EventSounds::Connect, QStringLiteral("/elsewhere/ring.wav"));
        sounds.setEnabled(EventSounds::Disconnect, false);
        sounds.setEnabled(EventSounds::FileFailed, false);
        sounds.save(store);
        QCOMPARE(store.ReadSettingString(QString(), QStringLiteral("OnFilecomplete"), QString()),
            QStringLiteral("None"));

        EventSounds again(&player);
        again.load(store, QStringLiteral("/other/"));
        QCOMPARE(again.sound(EventSounds::Connect).path, QStringLiteral("/elsewhere/ring.wav"));
        QCOMPARE(again.sound(EventSounds::FileComplete).path, QStringLiteral("None"));
        QCOMPARE(again.sound(EventSounds::Disconnect).path, soundDir() + QStringLiteral("close.wav"));
        QVERIFY(again.sound(EventSounds::Connect).enabled);
        QVERIFY(!again.sound(EventSounds::Disconnect).enabled);
        QVERIFY(again.sound(EventSounds::FileComplete).enabled);
        QVERIFY(!again.sound(EventSounds::FileFailed).enabled);
    }

    // The player decodes 16-bit PCM only; each file is short.
    void shippedFilesAreShort16BitPcm_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"glock.wav", "close.wav", "filedone.wav", "fileerror.wav"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void shippedFilesAreShort16BitPcm()
    {
        QFETCH(QString, name);
        const QByteArray wav = TestFiles::read(soundDir() + name);
        QVERIFY(wav.size() > 44);
        QCOMPARE(wav.left(4), QByteArray("RIFF"));
        QCOMPARE(wav.mid(8, 8), QByteArray("WAVEfmt "));
        const auto u16 = [&wav](int at) { return qFromLittleEndian<quint16>(wav.constData() + at); };
        const auto u32 = [&wav](int at) { return qFromLittleEndian<quint32>(wav.constData() + at); };
        QCOMPARE(u16(20), quint16(1)); // PCM
        QCOMPARE(u16(34), quint16(16));
        const double seconds = double(u32(40)) / u32(28);
        QVERIFY2(seconds > 0.1 && seconds < 0.6, qPrintable(QString::number(seconds)));
    }

    // A file already there, the user's own, is kept.
    void installKeepsExistingFiles()
    {
        QTemporaryDir other;
        const QString mine = TestFiles::writeIn(other.path(), QStringLiteral("Glock.WAV"), "mine");
        QString error;
        QVERIFY2(ShippedSounds::install(other.path(), &error), qPrintable(error));
        QCOMPARE(TestFiles::read(mine), QByteArray("mine"));
        QVERIFY(!QFile::exists(other.path() + QStringLiteral("/glock.wav")));
        QVERIFY(QFile::exists(other.path() + QStringLiteral("/close.wav")));
    }

    void installReportsAnUnwritableFolder()
    {
        const QString blocker = TestFiles::writeIn(dir.path(), QStringLiteral("plainfile"), "x");
        QString error;
        QVERIFY(!ShippedSounds::install(blocker + QStringLiteral("/sounds"), &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(EventSoundsTest)
#include "event_sounds.moc"
