#include "shell/files/LockedUpdate.h"

#include "shell/files/AtomicWrite.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

namespace {

constexpr int lockWaitMs = 10000;
// A lock file left empty by a writer killed while taking it carries no process
// id; it is taken as stale after this long. A live holder keeps its native lock
// on the file, so its lock is never removed.
constexpr int staleLockMs = 2000;

} // namespace

LockedUpdate updateFileLocked(const QString &path, const std::function<std::optional<QByteArray>()> &produce)
{
    const QString folder = QFileInfo(path).path();
    if (!QDir().mkpath(folder))
        return {LockedUpdate::Result::NoFolder, folderWriteProblem(QFileInfo(folder).path())};
    QLockFile lock(path + QStringLiteral(".lock"));
    lock.setStaleLockTime(staleLockMs);
    if (!lock.tryLock(lockWaitMs)) {
        const QString problem
            = lock.error() == QLockFile::LockFailedError ? QString() : folderWriteProblem(folder);
        if (problem.isEmpty())
            return {LockedUpdate::Result::Locked, {}};
        return {LockedUpdate::Result::CannotLock, problem};
    }
    const std::optional<QByteArray> bytes = produce();
    if (!bytes)
        return {LockedUpdate::Result::Unchanged, {}};
    const QString failure = writeFileAtomically(path, *bytes);
    if (!failure.isEmpty())
        return {LockedUpdate::Result::WriteFailed, failure};
    return {};
}
