#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <csignal>

#include "sessions/PhonebookEntry.h"
#include "sessions/store/RecordStore.h"

// A process renaming and rewriting a phonebook entry in a burst is killed at
// random moments; the file must always hold the entry before or after one
// whole operation. This executable started with --burst is that process.
namespace {

QString bookPath()
{
    return QDir::temp().filePath(QStringLiteral("Phone.dat"));
}

std::unique_ptr<TRecordStore> openBook()
{
    return std::make_unique<TRecordStore>(bookPath(), PhonebookEntry::fields(), PhonebookEntry::keyField());
}

// Even steps are named "Burst" and dial A's, odd ones "Burst2" and dial B's.
PhonebookEntry step(int n)
{
    PhonebookEntry entry = PhonebookEntry::newEntry();
    entry.set(PhoneField::Name, n % 2 ? QStringLiteral("Burst2") : QStringLiteral("Burst"));
    entry.set(PhoneField::Phone, QString(40, n % 2 ? 'B' : 'A'));
    entry.set(PhoneField::Script, QString(80, n % 2 ? 'b' : 'a'));
    return entry;
}

int runBurst()
{
    auto book = openBook();
    QFile out;
    out.open(stdout, QIODevice::WriteOnly);
    const int first = book->exists(QStringLiteral("Burst2")) ? 2 : 1;
    for (int n = first;; ++n) {
        book->update(step(n - 1).get(PhoneField::Name), step(n));
        if (n == first) {
            out.write("ready\n");
            out.flush();
        }
    }
}

} // namespace

class PhonebookKillTest : public QObject {
    Q_OBJECT
private slots:
    void killDuringUpdatesLeavesWholeRecords()
    {
        QStringList warnings;
        auto book = openBook();
        book->setWarningHandler([&](const QString &text) { warnings << text; });
        for (int i = 0; i < 60; ++i) {
            PhonebookEntry keep = PhonebookEntry::newEntry();
            keep.set(PhoneField::Name, QStringLiteral("Keep%1").arg(i));
            keep.set(PhoneField::Phone, QString::number(i));
            book->add(keep);
        }
        book->add(step(0));

        for (int round = 0; round < 25; ++round) {
            QProcess burst;
            burst.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            burst.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--burst")});
            QVERIFY(burst.waitForReadyRead(60000));
            QTest::qWait(QRandomGenerator::global()->bounded(1, 80));
            ::kill(pid_t(burst.processId()), SIGKILL);
            QVERIFY(burst.waitForFinished(60000));

            auto after = openBook();
            after->setWarningHandler([&](const QString &text) { warnings << text; });
            const QStringList names = after->names();
            QCOMPARE(names.size(), 61);
            const int parity = names.contains(QStringLiteral("Burst2")) ? 1 : 0;
            QVERIFY(names.contains(parity ? QStringLiteral("Burst2") : QStringLiteral("Burst")));
            QVERIFY(after->read(step(parity).get(PhoneField::Name)) == step(parity));
            QCOMPARE(PhonebookEntry(after->read(QStringLiteral("Keep59"))).get(PhoneField::Phone),
                QStringLiteral("59"));
            // The next writer is not blocked by the killed one.
            after->update(step(parity).get(PhoneField::Name), step(parity + 1));
            QVERIFY(after->exists(step(parity + 1).get(PhoneField::Name)));
        }
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (app.arguments().value(1) == QLatin1String("--burst"))
        return runBurst();
    PhonebookKillTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "phonebook_kill.moc"
