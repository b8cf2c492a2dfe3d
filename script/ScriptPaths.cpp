#include "script/ScriptPaths.h"

#include "shell/FileNames.h"

#include <QDir>

namespace ScriptPaths {

QString resolve(const QString &path)
{
    if (path.isEmpty())
        return path;
    QString result = QDir::isAbsolutePath(path) ? QStringLiteral("/") : QString();
    for (const QString &part : QDir::cleanPath(path).split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String(".") || part == QLatin1String(".."))
            result = result.isEmpty() ? part : QDir(result).filePath(part);
        else
            result = FileNames::lookup(result, part);
    }
    if (path.endsWith(QLatin1Char('/')) && !result.endsWith(QLatin1Char('/')))
        result += QLatin1Char('/');
    return result;
}

} // namespace ScriptPaths
