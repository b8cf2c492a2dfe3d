#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

// One change to a file that several instances of the program may change at
// once. The folder is created and the file's lock taken (waiting up to 10 s;
// a lock left by a process that died is taken over); under the lock
// produce() reads what it needs and returns the file's new contents, or
// nothing to leave the file as it is; they replace the file atomically.
// Errors are returned, never shown: the caller decides who is told.
struct LockedUpdate {
    enum class Result { Written, Unchanged, NoFolder, Locked, CannotLock, WriteFailed };
    Result result = Result::Written;
    // The system's reason for NoFolder, CannotLock and WriteFailed.
    QString reason;

    bool ok() const { return result == Result::Written || result == Result::Unchanged; }
};

LockedUpdate updateFileLocked(const QString &path, const std::function<std::optional<QByteArray>()> &produce);
