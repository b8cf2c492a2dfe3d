#include "shell/files/AtomicWrite.h"

#include <QFileInfo>
#include <QSaveFile>

#include <fcntl.h>
#include <unistd.h>

namespace {

QString failure(const QString &path, const QSaveFile &file)
{
    return QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
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
    if (!file.open(QIODevice::WriteOnly))
        return failure(path, file);
    // commit() does not notice when flushing its own buffer fails, so flush
    // and check first.
    if (!write(file) || !file.flush() || file.error() != QFileDevice::NoError) {
        const QString why = failure(path, file);
        file.cancelWriting();
        return why;
    }
    if (!file.commit())
        return failure(path, file);
    syncFolder(QFileInfo(path).absolutePath());
    return {};
}
