#include "shell/ProgramDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace ProgramDir {

QString withSlash(const QString &path)
{
    QString result = path;
    while (result.size() > 1 && result.endsWith(QLatin1Char('/')))
        result.chop(1);
    if (!result.endsWith(QLatin1Char('/')))
        result += QLatin1Char('/');
    return result;
}

static QString chooseFolder(const QProcessEnvironment &env, const QString &executableDir)
{
    const QString home = env.value(QStringLiteral("TARNEX_HOME"));
    if (!home.isEmpty())
        return home;
    if (!executableDir.isEmpty()
        && QFileInfo::exists(QDir(executableDir).filePath(QStringLiteral("tarnex.portable"))))
        return executableDir;
    QString data = env.value(QStringLiteral("XDG_DATA_HOME"));
    if (data.isEmpty() || QDir::isRelativePath(data))
        data = env.value(QStringLiteral("HOME"), QDir::homePath()) + QStringLiteral("/.local/share");
    return data + QStringLiteral("/Tarnex");
}

QString resolve(const QProcessEnvironment &env, const QString &executableDir)
{
    const QString folder = withSlash(QDir::cleanPath(QDir(chooseFolder(env, executableDir)).absolutePath()));
    QDir().mkpath(folder);
    return folder;
}

QString resolve()
{
    return resolve(QProcessEnvironment::systemEnvironment(), QCoreApplication::applicationDirPath());
}

} // namespace ProgramDir
