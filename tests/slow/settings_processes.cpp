#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <csignal>

#include "shell/RecordingPrompt.h"
#include "shell/TLog.h"
#include "shell/settings/SettingsDocument.h"
#include "shell/settings/SettingsStore.h"

// Real processes writing the settings file: this executable started again with
// a role argument is the second instance.
namespace {

constexpr int bigSize = 200000;

struct Instance {
    TLog log{QString()};
    RecordingPrompt prompt;
    SettingsStore store{
        SettingsFolders::fromEnvironment(), log, [this](const QString &text) { prompt.warning(text); }};
};

// --writer <prefix> <count>: writes <prefix>0 .. <prefix><count-1>.
int runWriter(const QString &prefix, int count)
{
    Instance instance;
    for (int i = 0; i < count; ++i)
        instance.store.WriteSettingInteger({}, prefix + QString::number(i), i * 7);
    return instance.prompt.shown().isEmpty() ? 0 : 1;
}

// --churn: rewrites a large value, alternately all 'A' and all 'B', until killed.
int runChurn()
{
    Instance instance;
    for (quint64 n = 0;; ++n) {
        instance.store.WriteSettingString({}, QStringLiteral("Big"), QString(bigSize, n % 2 ? 'B' : 'A'));
        if (n == 0) {
            QFile out;
            out.open(stdout, QIODevice::WriteOnly);
            out.write("ready\n");
        }
    }
}

} // namespace

class SettingsProcessesTest : public QObject {
    Q_OBJECT

    Instance self;

    QProcess *start(const QStringList &args)
    {
        auto *process = new QProcess(this);
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(QCoreApplication::applicationFilePath(), args);
        return process;
    }

private slots:
    void twoWritersAtOnceLoseNothing()
    {
        constexpr int count = 150;
        QProcess *a = start({QStringLiteral("--writer"), QStringLiteral("First"), QString::number(count)});
        QProcess *b = start({QStringLiteral("--writer"), QStringLiteral("Second"), QString::number(count)});
        QVERIFY(a->waitForFinished(120000));
        QVERIFY(b->waitForFinished(120000));
        QCOMPARE(a->exitCode(), 0);
        QCOMPARE(b->exitCode(), 0);
        for (int i = 0; i < count; ++i) {
            QCOMPARE(self.store.ReadSettingInteger({}, QStringLiteral("First%1").arg(i), -1), i * 7);
            QCOMPARE(self.store.ReadSettingInteger({}, QStringLiteral("Second%1").arg(i), -1), i * 7);
        }
        QVERIFY(self.prompt.shown().isEmpty());
    }

    // A writer killed at any moment leaves the old or the new file, whole; its
    // lock does not block the next writer.
    void killMidWriteLeavesAWholeFile()
    {
        self.store.WriteSettingString({}, QStringLiteral("Keep"), QStringLiteral("kept"));
        for (int round = 0; round < 25; ++round) {
            QProcess *churn = start({QStringLiteral("--churn")});
            QVERIFY(churn->waitForReadyRead(60000));
            QTest::qWait(QRandomGenerator::global()->bounded(1, 60));
            ::kill(pid_t(churn->processId()), SIGKILL);
            QVERIFY(churn->waitForFinished(60000));
            delete churn;

            const QString big = self.store.ReadSettingString({}, QStringLiteral("Big"), QString());
            QCOMPARE(big.size(), bigSize);
            QVERIFY(big == QString(bigSize, 'A') || big == QString(bigSize, 'B'));
            QCOMPARE(
                self.store.ReadSettingString({}, QStringLiteral("Keep"), QString()), QStringLiteral("kept"));
            self.store.WriteSettingInteger({}, QStringLiteral("Round"), round);
            QCOMPARE(self.store.ReadSettingInteger({}, QStringLiteral("Round"), -1), round);
            QVERIFY2(self.prompt.shown().isEmpty(), qPrintable(self.prompt.texts().join('\n')));
        }
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--writer"))
        return runWriter(args[2], args[3].toInt());
    if (args.size() == 2 && args[1] == QLatin1String("--churn"))
        return runChurn();
    SettingsProcessesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "settings_processes.moc"
