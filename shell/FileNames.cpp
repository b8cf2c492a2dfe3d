#include "shell/FileNames.h"

#include <QDir>
#include <QFileInfo>

namespace FileNames {

QStringList matchesWithoutCase(const QString &folder, const QString &name)
{
    const QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    QStringList matches;
    const QStringList entries
        = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            matches << entry;
    }
    return matches;
}

QString lookup(const QString &folder, const QString &name)
{
    const QString exact = folder.isEmpty() ? name : QDir(folder).filePath(name);
    if (QFileInfo::exists(exact))
        return exact;
    const QStringList matches = matchesWithoutCase(folder, name);
    if (matches.isEmpty())
        return exact;
    return folder.isEmpty() ? matches.first() : QDir(folder).filePath(matches.first());
}

QString resolve(const QString &path)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return lookup(QString(), path);
    return lookup(path.left(slash + 1), path.mid(slash + 1));
}

} // namespace FileNames
