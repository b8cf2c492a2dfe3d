#include "comms/transfer/IncomingFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isDeviceName(const QString &component)
{
    static const QRegularExpression device(
        QStringLiteral("^(con|prn|aux|nul|com[0-9]|lpt[0-9]|clock\\$)(\\..*)?$"),
        QRegularExpression::CaseInsensitiveOption);
    return device.match(component).hasMatch();
}

// File systems limit names in bytes: cut whole characters from the end of
// the base name, keeping a short extension.
QString cutToBytes(const QString &name, int maxBytes)
{
    if (name.toUtf8().size() <= maxBytes)
        return name;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot > 0 && name.size() - dot <= 16 ? name.mid(dot) : QString();
    const QString base = name.left(name.size() - extension.size());
    const qsizetype room = maxBytes - extension.toUtf8().size();
    QString kept;
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < base.size();) {
        const qsizetype length = base.at(i).isHighSurrogate() && i + 1 < base.size() ? 2 : 1;
        const QString character = base.mid(i, length);
        bytes += character.toUtf8().size();
        if (bytes > room)
            break;
        kept += character;
        i += length;
    }
    return kept + extension;
}

QString safeComponent(QString component)
{
    for (QChar &c : component) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7f && u <= 0x9f) || c == QLatin1Char(':'))
            c = QLatin1Char('_');
    }
    component = cutToBytes(component.trimmed(), IncomingFile::maxComponentBytes);
    if (isDeviceName(component))
        component.prepend(QLatin1Char('_'));
    return component;
}

// Creates the folders between the destination folder and the file one at a
// time, refusing a link or a file where a folder should be, so a planted
// link can neither take the file outside nor make folders there.
bool makeFolders(const QString &folder, const QString &target)
{
    if (!QDir().mkpath(folder))
        return false;
    const QString relative = QDir(folder).relativeFilePath(QFileInfo(target).absolutePath());
    if (relative == QLatin1String("."))
        return true;
    if (relative.startsWith(QLatin1String("..")) || QDir::isAbsolutePath(relative))
        return false;
    QString path = QDir(folder).absolutePath();
    for (const QString &part : relative.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        path += QLatin1Char('/') + part;
        const QByteArray native = QFile::encodeName(path);
        struct stat info;
        if (::lstat(native.constData(), &info) == 0) {
            if (!S_ISDIR(info.st_mode))
                return false;
            continue;
        }
        if (errno != ENOENT || ::mkdir(native.constData(), 0777) != 0)
            return false;
    }
    return true;
}

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

QString renamedTarget(const QString &path)
{
    const QFileInfo info(path);
    const QString base = info.completeBaseName();
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    for (int n = 1; n < 10000; ++n) {
        const QString candidate = info.dir().filePath(QStringLiteral("%1-%2%3").arg(base).arg(n).arg(suffix));
        if (!QFileInfo::exists(candidate) && !QFileInfo::exists(candidate + QStringLiteral(".part")))
            return candidate;
    }
    return {};
}

int writeErrorCode()
{
    return errno == ENOSPC || errno == EDQUOT ? TransferResult::DiskFull : TransferResult::CannotWrite;
}

} // namespace

IncomingFile::~IncomingFile()
{
    if (file_.isOpen())
        abandon();
}

QString IncomingFile::decodeRemoteName(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString name = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : name;
}

QString IncomingFile::confinedPath(
    const QString &destinationDir, const QString &remoteName, bool honorDirectory)
{
    QString name = remoteName;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QStringList parts;
    for (const QString &raw : name.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (raw == QLatin1String(".") || raw == QLatin1String(".."))
            continue;
        const QString part = safeComponent(raw);
        if (!part.isEmpty() && part != QLatin1String(".") && part != QLatin1String(".."))
            parts << part;
    }
    if (parts.isEmpty())
        parts << QStringLiteral("unnamed");
    if (!honorDirectory)
        parts = QStringList{parts.last()};
    QDir dir(destinationDir.isEmpty() ? QDir::currentPath() : destinationDir);
    return QDir::cleanPath(dir.absoluteFilePath(parts.join(QLatin1Char('/'))));
}

QString IncomingFile::existingTarget(const ReceivePolicy &policy, const IncomingOffer &offer)
{
    const QString path = confinedPath(policy.destinationDir, offer.remoteName, policy.honorDirectory);
    return QFileInfo::exists(path) ? path : QString();
}

int IncomingFile::open(const ReceivePolicy &policy, const IncomingOffer &offer, bool crcDiffers)
{
    offer_ = offer;
    resumeOffset_ = 0;
    written_ = 0;
    keepPartial_ = policy.recover;
    keepExecute_ = policy.keepExecute;
    ownsPartial_ = false;
    partialPath_.clear();
    QString target = confinedPath(policy.destinationDir, offer.remoteName, policy.honorDirectory);
    if (stored_.contains(target)) {
        // Two names of one batch that come out the same: keep both files.
        target = renamedTarget(target);
        if (target.isEmpty())
            return TransferResult::CannotCreate;
    }
    const QFileInfo existing(target);
    bool append = false;

    if (existing.exists()) {
        if (policy.zmodemManagement) {
            const QDateTime localTime = existing.lastModified();
            const bool remoteNewer = offer.modified.isValid() && offer.modified > localTime;
            switch (policy.zmodemOption) {
            case ZmodemFileOption::NewerOrLonger:
                if (!remoteNewer && !(offer.size >= 0 && offer.size > existing.size()))
                    return TransferResult::Skipped;
                break;
            case ZmodemFileOption::CrcDifferent:
                if (!crcDiffers && (offer.size < 0 || offer.size == existing.size()))
                    return TransferResult::Skipped;
                break;
            case ZmodemFileOption::Append:
                append = true;
                break;
            case ZmodemFileOption::Newer:
                if (!remoteNewer)
                    return TransferResult::Skipped;
                break;
            case ZmodemFileOption::Different:
                if (offer.size == existing.size()
                    && (!offer.modified.isValid()
                        || offer.modified.toSecsSinceEpoch() == localTime.toSecsSinceEpoch()))
                    return TransferResult::Skipped;
                break;
            case ZmodemFileOption::Protect:
                return TransferResult::Skipped;
            case ZmodemFileOption::None:
            case ZmodemFileOption::Overwrite:
                break;
            }
        } else {
            switch (policy.writeFailAction) {
            case WriteFailAction::Reject:
                return TransferResult::FileRejected;
            case WriteFailAction::Rename:
                target = renamedTarget(target);
                if (target.isEmpty())
                    return TransferResult::CannotCreate;
                break;
            case WriteFailAction::None:
            case WriteFailAction::Overwrite:
                break;
            }
        }
        if (QFileInfo(target).isDir())
            return TransferResult::CannotCreate;
    } else if (policy.zmodemManagement && policy.skipNoFile) {
        return TransferResult::Skipped;
    }

    if (!makeFolders(policy.destinationDir.isEmpty() ? QDir::currentPath() : policy.destinationDir, target))
        return TransferResult::CannotCreate;
    finalPath_ = target;
    return openPartial(append, policy.recover);
}

int IncomingFile::openPartial(bool append, bool recover)
{
    const QString usual = finalPath_ + QStringLiteral(".part");
    if (recover) {
        // Resume only a plain file, never through a link.
        struct stat info;
        const QByteArray native = QFile::encodeName(usual);
        if (::lstat(native.constData(), &info) == 0 && S_ISREG(info.st_mode)) {
            const int fd = ::open(native.constData(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
            if (fd < 0
                || !file_.open(fd, QIODevice::WriteOnly | QIODevice::Append, QFileDevice::AutoCloseHandle)) {
                if (fd >= 0)
                    ::close(fd);
                return TransferResult::CannotCreate;
            }
            partialPath_ = usual;
            ownsPartial_ = true;
            resumeOffset_ = file_.size();
            if (offer_.size >= 0 && resumeOffset_ > offer_.size) {
                // A partial larger than the file on offer is stale: start again.
                file_.resize(0);
                resumeOffset_ = 0;
            }
            return TransferResult::Success;
        }
    }
    // A new partial file of our own: an existing name (the user's file, a
    // planted link) is never opened, truncated or removed.
    for (int n = 0; n < 1000 && !file_.isOpen(); ++n) {
        const QString candidate = n == 0 ? usual : finalPath_ + QStringLiteral(".%1.part").arg(n);
        const int fd = ::open(QFile::encodeName(candidate).constData(),
            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return TransferResult::CannotCreate;
        }
        if (!file_.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            QFile::remove(candidate);
            return TransferResult::CannotCreate;
        }
        partialPath_ = candidate;
        ownsPartial_ = true;
    }
    if (!file_.isOpen())
        return TransferResult::CannotCreate;
    // Appended data starts at the sender's first byte after the local copy.
    if (append && copyTargetIntoPartial() != TransferResult::Success) {
        abandon();
        return TransferResult::CannotCreate;
    }
    return TransferResult::Success;
}

int IncomingFile::copyTargetIntoPartial()
{
    QFile source(finalPath_);
    if (!source.open(QIODevice::ReadOnly))
        return TransferResult::CannotCreate;
    while (!source.atEnd()) {
        const QByteArray chunk = source.read(1 << 16);
        if (chunk.isEmpty() || file_.write(chunk) != chunk.size())
            return TransferResult::CannotCreate;
    }
    return TransferResult::Success;
}

int IncomingFile::write(const char *data, qint64 length)
{
    if (!file_.isOpen())
        return TransferResult::CannotWrite;
    if (length <= 0)
        return TransferResult::Success;
    errno = 0;
    if (file_.write(data, length) != length)
        return writeErrorCode();
    written_ += length;
    return TransferResult::Success;
}

int IncomingFile::restart()
{
    if (!file_.isOpen() || !file_.resize(0))
        return TransferResult::CannotWrite;
    resumeOffset_ = 0;
    written_ = 0;
    return TransferResult::Success;
}

int IncomingFile::finish(qint64 truncateTo)
{
    if (!file_.isOpen())
        return TransferResult::CannotWrite;
    errno = 0;
    if (!file_.flush()) {
        const int code = writeErrorCode();
        abandon();
        return code;
    }
    if (truncateTo >= 0 && file_.size() > truncateTo)
        file_.resize(truncateTo);
    if (offer_.mode >= 0) {
        // The sender's mode, less what the user's umask takes away; execute
        // bits only when asked for. The owner can always read and write.
        const mode_t allowed = keepExecute_ ? 0777 : 0666;
        const mode_t mode = ((mode_t(offer_.mode) & allowed) | S_IRUSR | S_IWUSR) & ~currentUmask();
        ::fchmod(file_.handle(), mode);
    }
    if (offer_.modified.isValid())
        file_.setFileTime(offer_.modified, QFileDevice::FileModificationTime);
    file_.close();
    if (std::rename(QFile::encodeName(partialPath_).constData(), QFile::encodeName(finalPath_).constData())
        != 0) {
        QFile::remove(partialPath_);
        return TransferResult::CannotWrite;
    }
    ownsPartial_ = false;
    stored_.insert(finalPath_);
    return TransferResult::Success;
}

void IncomingFile::abandon()
{
    if (file_.isOpen())
        file_.close();
    if (ownsPartial_ && !(keepPartial_ && QFileInfo(partialPath_).size() > 0))
        QFile::remove(partialPath_);
    ownsPartial_ = false;
}
