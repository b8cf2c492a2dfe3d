#include "shell/files/AtomicWrite.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The system's reason when there is one: a failed flush leaves Qt's own
// error text empty.
QString failure(const QSaveFile &file)
{
    if (errno != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    const QString reason = file.errorString();
    return reason.isEmpty() ? QStringLiteral("Unknown error") : reason;
}

void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

QString writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    return writeFileAtomically(path, [&bytes](QIODevice &out) { return out.write(bytes) == bytes.size(); });
}

QString writeFileAtomically(const QString &path, const std::function<bool(QIODevice &)> &write)
{
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        return failure(file);
    errno = 0;
    // commit() does not notice when flushing its own buffer fails, so flush
    // and check first.
    if (!write(file) || !file.flush() || file.error() != QFileDevice::NoError) {
        const QString why = failure(file);
        file.cancelWriting();
        return why;
    }
    errno = 0;
    if (!file.commit())
        return failure(file);
    syncFolder(QFileInfo(path).absolutePath());
    return {};
}

QString folderWriteProblem(const QString &folder)
{
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".write-probe-XXXXXX")));
    if (!probe.open())
        return probe.errorString();
    if (probe.write("probe\n") != 6 || !probe.flush())
        return probe.errorString();
    return {};
}
