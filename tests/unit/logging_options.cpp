#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "comms/line/Comport.h"
#include "comms/transfer/ProtLog.h"
#include "sessions/LoggingOptions.h"
#include "shell/RecordingPrompt.h"
#include "shell/TLog.h"
#include "shell/settings/SettingsStore.h"

// The logging switches over a real settings store and a program folder:
// what the application log writes, and the flags kept across a restart.
class LoggingOptionsTest : public QObject {
    Q_OBJECT

    QTemporaryDir programDir;
    RecordingPrompt prompt;
    TLog storeLog{QString()};
    std::unique_ptr<SettingsStore> store;

    QString dir() const { return programDir.path() + QLatin1Char('/'); }
    QString logPath() const { return dir() + QStringLiteral("tarnexlog.txt"); }
    QByteArray logText() const
    {
        QFile file(logPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

private slots:
    void init()
    {
        QVERIFY(programDir.isValid());
        QFile::remove(logPath());
        store = std::make_unique<SettingsStore>(SettingsFolders::fromEnvironment(), storeLog,
            [this](const QString &text) { prompt.warning(text); });
        QFile::remove(store->filePath());
    }

    // The switch is read before the first line: off, the log file is never
    // created; on, the first line starts it afresh.
    void applicationLogAtStart_data()
    {
        QTest::addColumn<bool>("appLog");
        QTest::newRow("off") << false;
        QTest::newRow("on") << true;
    }
    void applicationLogAtStart()
    {
        QFETCH(bool, appLog);
        QFile old(logPath());
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("previous run\n");
        old.close();
        store->write(Setting::AppLog, appLog);

        TLog log{QString()};
        Comport port;
        LoggingOptions options(log, port, dir());
        options.load(*store);
        log.write(QStringLiteral("Current Dir=") + dir());
        QCOMPARE(options.applicationLogging(), appLog);
        if (appLog) {
            QVERIFY(!logText().contains("previous run"));
            QVERIFY(logText().contains("Current Dir="));
        } else {
            QCOMPARE(logText(), QByteArray("previous run\n"));
        }
    }

    // Switched on again later in a run: a file opened in this run continues;
    // a file never opened in this run is started afresh.
    void applicationLogReenabled()
    {
        store->write(Setting::AppLog, true);
        TLog log{QString()};
        Comport port;
        LoggingOptions options(log, port, dir());
        options.load(*store);
        log.write(QStringLiteral("one"));
        options.setApplicationLogging(false);
        log.write(QStringLiteral("lost"));
        options.setApplicationLogging(true);
        log.write(QStringLiteral("two"));
        const QByteArray text = logText();
        QVERIFY(text.contains("one"));
        QVERIFY(text.contains("two"));
        QVERIFY(!text.contains("lost"));

        store->write(Setting::AppLog, false);
        TLog later{QString()};
        LoggingOptions restarted(later, port, dir());
        restarted.load(*store);
        later.write(QStringLiteral("ignored"));
        restarted.setApplicationLogging(true);
        later.write(QStringLiteral("fresh"));
        QVERIFY(!logText().contains("one"));
        QVERIFY(logText().contains("fresh"));
    }

    // Saved and read back by a new instance; the history file follows the
    // protocol switch on an attached history, before and after attaching.
    void flagsRoundTrip_data()
    {
        QTest::addColumn<bool>("appLog");
        QTest::addColumn<bool>("protocol");
        QTest::addColumn<bool>("comport");
        QTest::newRow("all off") << false << false << false;
        QTest::newRow("all on") << true << true << true;
        QTest::newRow("protocol only") << false << true << false;
        QTest::newRow("comport only") << true << false << true;
    }
    void flagsRoundTrip()
    {
        QFETCH(bool, appLog);
        QFETCH(bool, protocol);
        QFETCH(bool, comport);
        TLog log{QString()};
        Comport port;
        LoggingOptions options(log, port, dir());
        options.load(*store);
        options.setApplicationLogging(appLog);
        options.setProtocolLogging(protocol);
        options.setComportLogging(comport);
        options.save(*store);

        QFile file(store->filePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray written = file.readAll();
        QVERIFY2(written.contains("Logcom"), written.constData());
        QVERIFY(written.contains("TraceCom"));

        TLog log2{QString()};
        ProtLog history;
        history.setFileName(QStringLiteral("stale.txt"));
        LoggingOptions read(log2, port, dir());
        read.attachHistory(&history);
        read.load(*store);
        QCOMPARE(read.applicationLogging(), appLog);
        QCOMPARE(read.protocolLogging(), protocol);
        QCOMPARE(read.comportLogging(), comport);
        QCOMPARE(read.comportTracing(), comport);
        const QString expected = protocol ? dir() + QStringLiteral("prot.txt") : QString();
        QCOMPARE(history.fileName(), expected);
        read.setProtocolLogging(!protocol);
        QCOMPARE(history.fileName(), protocol ? QString() : dir() + QStringLiteral("prot.txt"));
    }

    // Nothing stored: application log on, the others off.
    void defaults()
    {
        TLog log{QString()};
        Comport port;
        LoggingOptions options(log, port, dir());
        options.load(*store);
        QVERIFY(options.applicationLogging());
        QVERIFY(!options.protocolLogging());
        QVERIFY(!options.comportLogging());
        QCOMPARE(port.logPath(), dir() + QStringLiteral("Comport.Log"));
        QCOMPARE(port.tracePath(), dir() + QStringLiteral("Comport.Trc"));
    }
};

QTEST_GUILESS_MAIN(LoggingOptionsTest)
#include "logging_options.moc"
