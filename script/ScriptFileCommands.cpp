#include "script/ScriptFileCommands.h"

#include "script/ScriptPaths.h"
#include "script/ScriptWildcard.h"
#include "shell/files/AtomicWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <map>

bool scriptChangeDirectory(const QString &path)
{
    if (path.trimmed().isEmpty())
        return false;
    const ScriptPaths::Resolved folder = ScriptPaths::resolve(path);
    return folder.exists && QDir::setCurrent(folder.path);
}

namespace {

// Of names equal without case, the one to delete: the only one, or the one
// matching the pattern exactly; empty when that leaves a choice.
QString nameToDelete(const QStringList &twins, const QString &namePattern)
{
    if (twins.size() == 1)
        return twins.first();
    QStringList exact;
    for (const QString &name : twins) {
        if (wildcardMatches(namePattern, name, Qt::CaseSensitive))
            exact << name;
    }
    return exact.size() == 1 ? exact.first() : QString();
}

} // namespace

int scriptDeleteFiles(const QString &pattern, const std::function<void(const QString &)> &log)
{
    const QString slashed = ScriptPaths::withSlashes(pattern);
    const qsizetype slash = slashed.lastIndexOf(QLatin1Char('/'));
    const QString folderPart = slashed.left(slash + 1);
    const QString namePattern = slashed.mid(slash + 1);
    if (namePattern.isEmpty())
        return 0;
    const ScriptPaths::Resolved folder
        = ScriptPaths::resolve(folderPart.isEmpty() ? QStringLiteral(".") : folderPart);
    if (!folder.ambiguous.isEmpty()) {
        log(QStringLiteral(
            "DELETE %1: nothing deleted, the folder %2 matches several names that differ only in case")
                .arg(pattern, folder.ambiguous));
        return 0;
    }
    if (!folder.exists)
        return 0;

    const QDir dir(folder.path);
    std::map<QString, QStringList> groups;
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
        if (wildcardMatches(namePattern, name, Qt::CaseInsensitive))
            groups[name.toCaseFolded()] << name;
    }
    int deleted = 0;
    for (const auto &[key, twins] : groups) {
        const QString name = nameToDelete(twins, namePattern);
        if (twins.size() > 1) {
            log(name.isEmpty()
                    ? QStringLiteral(
                        "DELETE %1: nothing deleted of %2, names that differ only in case and none "
                        "matches exactly")
                          .arg(pattern, twins.join(QStringLiteral(", ")))
                    : QStringLiteral("DELETE %1: only %2 deleted of %3, names that differ only in case")
                          .arg(pattern, name, twins.join(QStringLiteral(", "))));
        }
        if (name.isEmpty())
            continue;
        QFile file(dir.filePath(name));
        if (file.remove())
            ++deleted;
        else
            log(QStringLiteral("DELETE %1: %2 not deleted: %3")
                    .arg(pattern, file.fileName(), file.errorString()));
    }
    return deleted;
}

namespace {

enum class CopyMode { Absent, Newer, Different, Always };

CopyMode copyMode(const QString &word)
{
    const QString upper = word.trimmed().toUpper();
    if (upper == QLatin1String("NEWER"))
        return CopyMode::Newer;
    if (upper == QLatin1String("DIFFERENT"))
        return CopyMode::Different;
    if (upper == QLatin1String("ALWAYS"))
        return CopyMode::Always;
    return CopyMode::Absent;
}

bool shouldReplace(const QFileInfo &source, const QFileInfo &target, CopyMode mode)
{
    switch (mode) {
    case CopyMode::Absent:
        return false;
    case CopyMode::Newer:
        return source.lastModified() > target.lastModified();
    case CopyMode::Different:
        return source.lastModified() != target.lastModified() || source.size() != target.size();
    case CopyMode::Always:
        return true;
    }
    return false;
}

QString targetPath(const QString &source, const QString &destination)
{
    const QString slashed = ScriptPaths::withSlashes(destination);
    const QString fileName = QFileInfo(source).fileName();
    if (slashed.isEmpty())
        return fileName;
    if (slashed.endsWith(QLatin1Char('/')))
        return slashed + fileName;
    const ScriptPaths::Resolved resolved = ScriptPaths::resolve(slashed);
    if (resolved.exists && QFileInfo(resolved.path).isDir())
        return resolved.path + QLatin1Char('/') + fileName;
    return slashed;
}

bool copyContents(const QString &sourcePath, const QString &targetPath)
{
    QFile source(sourcePath);
    const QDateTime written = QFileInfo(sourcePath).lastModified();
    if (!written.isValid() || !source.open(QIODevice::ReadOnly))
        return false;
    const QString failure = writeFileAtomically(targetPath, [&source](QIODevice &out) {
        char block[4096];
        for (;;) {
            const qint64 got = source.read(block, sizeof block);
            if (got < 0)
                return false;
            if (got == 0)
                return true;
            if (out.write(block, got) != got)
                return false;
        }
    });
    if (!failure.isEmpty())
        return false;
    QFile target(targetPath);
    if (target.open(QIODevice::ReadOnly))
        target.setFileTime(written, QFileDevice::FileModificationTime);
    target.close();
    QFile::setPermissions(targetPath, source.permissions());
    return true;
}

} // namespace

bool scriptCopyFile(const QString &source, const QString &destination, const QString &mode)
{
    const ScriptPaths::Resolved from = ScriptPaths::resolve(source);
    if (!from.exists || !QFileInfo(from.path).isFile())
        return false;
    const ScriptPaths::Resolved to = ScriptPaths::resolve(targetPath(from.path, destination));
    if (!to.ambiguous.isEmpty())
        return false;
    if (to.exists && !shouldReplace(QFileInfo(from.path), QFileInfo(to.path), copyMode(mode)))
        return false;
    return copyContents(from.path, to.path);
}
