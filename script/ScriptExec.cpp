#include "script/ScriptExec.h"

#include "script/ScriptPaths.h"
#include "shell/FileNames.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

bool startDetachedProcess(const QString &program, const QStringList &arguments)
{
    return QProcess::startDetached(program, arguments);
}

QStringList splitCommandLine(const QString &commandLine)
{
    return QProcess::splitCommand(commandLine);
}

namespace {

bool isProgram(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

} // namespace

QString findProgram(const QString &name)
{
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\'))) {
        const ScriptPaths::Resolved path = ScriptPaths::resolve(name);
        return path.exists ? path.path : name;
    }
    const QString exact = QStandardPaths::findExecutable(name);
    if (!exact.isEmpty())
        return exact;
    const QStringList folders = qEnvironmentVariable("PATH").split(QDir::listSeparator(), Qt::SkipEmptyParts);
    for (const QString &folder : folders) {
        const QStringList twins = FileNames::matchesWithoutCase(folder, name);
        if (twins.size() == 1 && isProgram(QDir(folder).filePath(twins.first())))
            return QDir(folder).filePath(twins.first());
    }
    return name;
}

bool scriptExecFile(const QString &commandLine, const ProcessStarter &start)
{
    QStringList words = splitCommandLine(commandLine);
    if (words.isEmpty())
        return false;
    const QString program = findProgram(words.takeFirst());
    return start(program, words);
}
