#include "comms/transfer/IncomingFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>

namespace {

constexpr int maxComponentChars = 200;

bool isDeviceName(const QString &component)
{
    static const QRegularExpression device(
        QStringLiteral("^(con|prn|aux|nul|com[0-9]|lpt[0-9]|clock\\$)(\\..*)?$"),
        QRegularExpression::CaseInsensitiveOption);
    return device.match(component).hasMatch();
}

QString safeComponent(QString component)
{
    for (QChar &c : component)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c == QLatin1Char(':'))
            c = QLatin1Char('_');
    component = component.trimmed();
    if (component.size() > maxComponentChars)
        component.truncate(maxComponentChars);
    if (isDeviceName(component))
        component.prepend(QLatin1Char('_'));
    return component;
}

bool insideFolder(const QString &path, const QString &folder)
{
    const QString canonicalFolder = QFileInfo(folder).canonicalFilePath();
    const QString canonicalParent = QFileInfo(QFileInfo(path).absolutePath()).canonicalFilePath();
    if (canonicalFolder.isEmpty() || canonicalParent.isEmpty())
        return false;
    return canonicalParent == canonicalFolder
        || canonicalParent.startsWith(canonicalFolder + QLatin1Char('/'));
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
    QString target = confinedPath(policy.destinationDir, offer.remoteName, policy.honorDirectory);
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

    if (!QDir().mkpath(QFileInfo(target).absolutePath())
        || !insideFolder(
            target, policy.destinationDir.isEmpty() ? QDir::currentPath() : policy.destinationDir))
        return TransferResult::CannotCreate;

    finalPath_ = target;
    partialPath_ = target + QStringLiteral(".part");
    file_.setFileName(partialPath_);

    const bool resume = policy.recover && QFileInfo(partialPath_).isFile();
    if (append && !resume) {
        QFile::remove(partialPath_);
        if (!QFile::copy(target, partialPath_))
            return TransferResult::CannotCreate;
    }
    const QIODevice::OpenMode mode = (resume || append) ? QIODevice::WriteOnly | QIODevice::Append
                                                        : QIODevice::WriteOnly | QIODevice::Truncate;
    if (!file_.open(mode))
        return TransferResult::CannotCreate;
    // Appended data starts at the sender's first byte; only a resumed
    // partial asks the sender to skip what is already here.
    resumeOffset_ = resume ? file_.size() : 0;
    if (resume && offer.size >= 0 && resumeOffset_ > offer.size) {
        // A partial larger than the file on offer is stale: start again.
        file_.resize(0);
        resumeOffset_ = 0;
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
    if (offer_.mode >= 0)
        file_.setPermissions(
            QFileDevice::Permissions(((offer_.mode & 0400) ? QFileDevice::ReadOwner | QFileDevice::ReadUser
                                                           : QFileDevice::Permissions())
                | ((offer_.mode & 0200) ? QFileDevice::WriteOwner | QFileDevice::WriteUser
                                        : QFileDevice::Permissions())
                | ((offer_.mode & 0100) ? QFileDevice::ExeOwner | QFileDevice::ExeUser
                                        : QFileDevice::Permissions())
                | ((offer_.mode & 0040) ? QFileDevice::ReadGroup : QFileDevice::Permissions())
                | ((offer_.mode & 0010) ? QFileDevice::ExeGroup : QFileDevice::Permissions())
                | ((offer_.mode & 0004) ? QFileDevice::ReadOther : QFileDevice::Permissions())
                | ((offer_.mode & 0001) ? QFileDevice::ExeOther : QFileDevice::Permissions())
                | QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
                | QFileDevice::WriteUser));
    if (offer_.modified.isValid())
        file_.setFileTime(offer_.modified, QFileDevice::FileModificationTime);
    file_.close();
    if (std::rename(QFile::encodeName(partialPath_).constData(), QFile::encodeName(finalPath_).constData())
        != 0) {
        QFile::remove(partialPath_);
        return TransferResult::CannotWrite;
    }
    return TransferResult::Success;
}

void IncomingFile::abandon()
{
    if (file_.isOpen())
        file_.close();
    if (!partialPath_.isEmpty() && !(keepPartial_ && QFileInfo(partialPath_).size() > 0))
        QFile::remove(partialPath_);
}
