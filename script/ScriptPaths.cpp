#include "script/ScriptPaths.h"

#include "shell/FileNames.h"

#include <QFileInfo>

namespace ScriptPaths {

QString withSlashes(const QString &path)
{
    QString result = path;
    result.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return result;
}

Resolved resolve(const QString &path)
{
    const QString slashed = withSlashes(path);
    const QStringList parts = slashed.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString found = slashed.startsWith(QLatin1Char('/')) ? QStringLiteral("/") : QString();
    Resolved result;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString &part = parts[i];
        const QString prefix
            = found.isEmpty() || found.endsWith(QLatin1Char('/')) ? found : found + QLatin1Char('/');
        if (part == QLatin1String(".") || part == QLatin1String("..") || QFileInfo::exists(prefix + part)) {
            found = prefix + part;
            continue;
        }
        const QStringList twins = FileNames::matchesWithoutCase(prefix, part);
        if (twins.size() > 1) {
            result.ambiguous = prefix + part;
            return result;
        }
        if (twins.isEmpty()) {
            result.path = prefix + parts.mid(i).join(QLatin1Char('/'));
            return result;
        }
        found = prefix + twins.first();
    }
    result.path = found.isEmpty() ? QStringLiteral(".") : found;
    result.exists = QFileInfo::exists(result.path);
    return result;
}

QString foundPath(const QString &path)
{
    if (path.isEmpty())
        return path;
    const Resolved found = resolve(path);
    if (!found.ambiguous.isEmpty())
        return withSlashes(path);
    const bool folder = path.endsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('\\'));
    return folder && !found.path.endsWith(QLatin1Char('/')) ? found.path + QLatin1Char('/') : found.path;
}

} // namespace ScriptPaths
