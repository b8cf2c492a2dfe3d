#include "comms/keyboard/DefaultKeyMap.h"

#include "shell/FileNames.h"
#include "shell/files/AtomicWrite.h"

#include <QDir>
#include <QFile>

// The resource lives in a static library, so it is registered by hand.
static void registerKeyboardResource()
{
    Q_INIT_RESOURCE(keyboard);
}

namespace DefaultKeyMap {

QString pathIn(const QString &programDir)
{
    return FileNames::lookup(programDir, QString::fromLatin1(fileName));
}

QString text()
{
    static const bool registered = (registerKeyboardResource(), true);
    Q_UNUSED(registered);
    QFile shipped(QStringLiteral(":/keyboard/Keybrd.ini"));
    if (!shipped.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(shipped.readAll());
}

bool install(const QString &programDir, QString *error)
{
    const QString path = pathIn(programDir);
    if (QFile::exists(path))
        return true;
    if (!QDir().mkpath(programDir)) {
        *error = QStringLiteral("Cannot create folder %1 for the key map").arg(programDir);
        return false;
    }
    const QString failure = writeFileAtomically(path, text().toUtf8());
    if (failure.isEmpty())
        return true;
    *error = QStringLiteral("Cannot write key map %1: %2").arg(path, failure);
    return false;
}

} // namespace DefaultKeyMap
