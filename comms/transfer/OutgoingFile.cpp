#include "comms/transfer/OutgoingFile.h"

#include "comms/transfer/TransferTypes.h"

#include <QFileInfo>

QString OutgoingFile::wireName(const QString &path, bool includeDirectory)
{
    if (!includeDirectory)
        return QFileInfo(path).fileName();
    QString name = QFileInfo(path).filePath();
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (name.startsWith(QLatin1Char('/')))
        name.remove(0, 1);
    return name;
}

int OutgoingFile::open(const QString &path, bool includeDirectory)
{
    file_.close();
    const QFileInfo info(path);
    if (!info.isFile())
        return TransferResult::FileNotFound;
    file_.setFileName(path);
    if (!file_.open(QIODevice::ReadOnly))
        return TransferResult::FileNotFound;
    path_ = path;
    wireName_ = wireName(path, includeDirectory);
    size_ = info.size();
    modified_ = info.lastModified();
    const QFileDevice::Permissions p = info.permissions();
    mode_ = ((p & QFileDevice::ReadOwner) ? 0400 : 0) | ((p & QFileDevice::WriteOwner) ? 0200 : 0)
        | ((p & QFileDevice::ExeOwner) ? 0100 : 0) | ((p & QFileDevice::ReadGroup) ? 0040 : 0)
        | ((p & QFileDevice::WriteGroup) ? 0020 : 0) | ((p & QFileDevice::ExeGroup) ? 0010 : 0)
        | ((p & QFileDevice::ReadOther) ? 0004 : 0) | ((p & QFileDevice::WriteOther) ? 0002 : 0)
        | ((p & QFileDevice::ExeOther) ? 0001 : 0);
    return TransferResult::Success;
}
