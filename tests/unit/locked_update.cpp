#include <QLockFile>
#include <QTemporaryDir>
#include <QTest>

#include "shell/files/LockedUpdate.h"
#include "support/TestFiles.h"

#include <stdexcept>
#include <thread>

// The one way a shared file is changed: under its lock, from what is in the
// file at that moment, and never half done.
class LockedUpdateTest : public QObject {
    Q_OBJECT
private slots:
    // A writer holding the lock is waited for, and its write is what the
    // change starts from.
    void waitsForTheHolder()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("deep/folder/shared.ini"));
        QVERIFY(updateFileLocked(path, [] { return std::optional<QByteArray>("one\n"); }).ok());

        QLockFile holder(path + QStringLiteral(".lock"));
        QVERIFY(holder.tryLock(0));
        std::thread other([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            TestFiles::write(path, "one\ntwo\n");
            holder.unlock();
        });
        QByteArray seen;
        const LockedUpdate update = updateFileLocked(path, [&] {
            seen = TestFiles::read(path);
            return std::optional<QByteArray>(seen + "three\n");
        });
        other.join();
        QVERIFY(update.ok());
        QCOMPARE(seen, QByteArray("one\ntwo\n"));
        QCOMPARE(TestFiles::read(path), QByteArray("one\ntwo\nthree\n"));
    }

    // A change that gives up, or fails with an exception, leaves the file
    // as it was and the lock free.
    void abandonedChange()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("shared.ini"));
        TestFiles::write(path, "kept\n");
        const LockedUpdate unchanged = updateFileLocked(path, [] { return std::optional<QByteArray>(); });
        QCOMPARE(unchanged.result, LockedUpdate::Result::Unchanged);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
            updateFileLocked(
                path, []() -> std::optional<QByteArray> { throw std::runtime_error("bad record"); }));
        QCOMPARE(TestFiles::read(path), QByteArray("kept\n"));
        QLockFile probe(path + QStringLiteral(".lock"));
        QVERIFY(probe.tryLock(0));
        probe.unlock();
        QVERIFY(updateFileLocked(path, [] { return std::optional<QByteArray>("new\n"); }).ok());
        QCOMPARE(TestFiles::read(path), QByteArray("new\n"));
    }
};

QTEST_GUILESS_MAIN(LockedUpdateTest)
#include "locked_update.moc"
