#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "sessions/PhonebookEntry.h"
#include "sessions/store/RecordStore.h"
#include "shell/RecordingPrompt.h"
#include "shell/TLog.h"
#include "shell/files/AtomicWrite.h"
#include "shell/settings/SettingsStore.h"
#include "support/TestFiles.h"

#include <sys/mount.h>

// Saves on a nearly full disk: a small tmpfs (root can mount one, as CI
// runs) holds the files, and a filler takes all but a few KB. A save that
// does not fit must fail and leave the previous file whole.
class FullDiskTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir mountPoint;
    bool mounted = false;

    QString path(const QString &name) const { return QDir(mountPoint.path()).filePath(name); }
    // Leaves about `freeBytes` free on the small disk.
    bool fillUpTo(qint64 freeBytes)
    {
        QFile::remove(path(QStringLiteral("filler")));
        QFile filler(path(QStringLiteral("filler")));
        if (!filler.open(QIODevice::WriteOnly))
            return false;
        const QByteArray block(1024, 'f');
        while (filler.write(block) == block.size() && filler.flush()) { }
        filler.close();
        filler.resize(qMax<qint64>(0, filler.size() - freeBytes));
        return true;
    }

private slots:
    void initTestCase()
    {
        mounted
            = ::mount("tmpfs", QFile::encodeName(mountPoint.path()).constData(), "tmpfs", 0, "size=64k") == 0;
        if (!mounted)
            QSKIP("cannot mount a small tmpfs here (needs root)");
    }
    void cleanupTestCase()
    {
        if (mounted)
            ::umount(QFile::encodeName(mountPoint.path()).constData());
    }

    void atomicWriteReportsAFullDisk()
    {
        const QString file = path(QStringLiteral("data.txt"));
        QVERIFY(writeFileAtomically(file, QByteArray(2000, 'a')).isEmpty());
        QVERIFY(fillUpTo(4096));
        const QString failure = writeFileAtomically(file, QByteArray(12000, 'b'));
        QVERIFY2(failure.contains(QStringLiteral("No space left")), qPrintable(failure));
        QCOMPARE(TestFiles::read(file), QByteArray(2000, 'a'));
        QCOMPARE(QDir(mountPoint.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    void phonebookUpdateFailsWhole()
    {
        QFile::remove(path(QStringLiteral("filler")));
        const QString file = path(QStringLiteral("Phone.dat"));
        TRecordStore store(file, PhonebookEntry::fields(), PhonebookEntry::keyField());
        for (int i = 0; i < 40; ++i) {
            PhonebookEntry entry = PhonebookEntry::newEntry();
            entry.set(PhoneField::Name, QStringLiteral("Board %1").arg(i));
            entry.set(PhoneField::Phone, QStringLiteral("555%1").arg(i, 4, 10, QLatin1Char('0')));
            store.add(entry);
        }
        const QByteArray before = TestFiles::read(file);
        QVERIFY(fillUpTo(before.size() / 2));
        PhonebookEntry big(store.read(QStringLiteral("Board 0")));
        big.set(PhoneField::Phone, QString(200, QLatin1Char('9')));
        bool failed = false;
        try {
            for (int i = 0; i < 40; ++i) {
                big.set(PhoneField::Name, QStringLiteral("Board %1").arg(i));
                store.update(QStringLiteral("Board %1").arg(i), big);
            }
        } catch (const StoreError &error) {
            failed = error.code() == StoreError::Code::CannotWrite;
        }
        QVERIFY(failed);
        const QByteArray after = TestFiles::read(file);
        // Whatever was saved last is whole: every entry keeps its number.
        TRecordStore reread(file, PhonebookEntry::fields(), PhonebookEntry::keyField());
        QCOMPARE(reread.count(), 40);
        QVERIFY(after.endsWith('\n'));
        QVERIFY(after.contains("[Board 39]"));
    }

    // A full disk or a read-only folder is reported as what it is, not as a
    // lock held by another program.
    void realCauseIsReported()
    {
        QFile::remove(path(QStringLiteral("filler")));
        const QString file = path(QStringLiteral("Cause.dat"));
        TRecordStore store(file, PhonebookEntry::fields(), PhonebookEntry::keyField());
        PhonebookEntry entry = PhonebookEntry::newEntry();
        entry.set(PhoneField::Name, QStringLiteral("Gone"));
        store.add(entry);
        const auto failure = [&] {
            try {
                store.remove(QStringLiteral("Gone"));
            } catch (const StoreError &error) {
                return error.message();
            }
            return QString();
        };
        QVERIFY(fillUpTo(0));
        QString message = failure();
        QVERIFY2(message.contains(QStringLiteral("No space left")), qPrintable(message));
        QFile::remove(path(QStringLiteral("filler")));
        QVERIFY(::mount(nullptr, QFile::encodeName(mountPoint.path()).constData(), nullptr,
                    MS_REMOUNT | MS_RDONLY, nullptr)
            == 0);
        message = failure();
        QVERIFY(
            ::mount(nullptr, QFile::encodeName(mountPoint.path()).constData(), nullptr, MS_REMOUNT, nullptr)
            == 0);
        QVERIFY2(message.contains(QStringLiteral("Read-only")), qPrintable(message));
    }

    void settingsWriteWarns()
    {
        QFile::remove(path(QStringLiteral("filler")));
        TLog log(path(QStringLiteral("log.txt")));
        RecordingPrompt prompt;
        SettingsStore store({mountPoint.path(), mountPoint.path()}, log,
            [&prompt](const QString &text) { prompt.warning(text); });
        for (int i = 0; i < 100; ++i)
            store.WriteSettingInteger(QString(), QStringLiteral("Value%1").arg(i), i);
        const QByteArray before = TestFiles::read(store.filePath());
        QVERIFY(prompt.texts().isEmpty());
        QVERIFY(fillUpTo(1024));
        store.WriteSettingString(QString(), QStringLiteral("Big"), QString(12000, QLatin1Char('x')));
        QCOMPARE(prompt.texts().size(), 1);
        QCOMPARE(TestFiles::read(store.filePath()), before);
    }
};

QTEST_GUILESS_MAIN(FullDiskTest)
#include "full_disk.moc"
