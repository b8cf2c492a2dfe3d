#include "extras/ShippedIcons.h"

#include "shell/ProgramDir.h"
#include "shell/files/AtomicWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

// The resource lives in a static library, so it is registered by hand.
static void registerIconsResource()
{
    Q_INIT_RESOURCE(icons);
}

namespace ShippedIcons {

QStringList names()
{
    static const bool registered = (registerIconsResource(), true);
    Q_UNUSED(registered);
    return QDir(QStringLiteral(":/icons")).entryList(QDir::Files, QDir::Name);
}

bool install(const QString &folder, QString *error)
{
    const QString dir = ProgramDir::withSlash(folder);
    if (QFileInfo::exists(dir))
        return true;
    if (!QDir().mkpath(dir)) {
        *error = QStringLiteral("Cannot create folder %1 for the icons").arg(dir);
        return false;
    }
    for (const QString &name : names()) {
        QFile shipped(QStringLiteral(":/icons/") + name);
        if (!shipped.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("The shipped icon %1 cannot be read").arg(name);
            return false;
        }
        const QString failure = writeFileAtomically(dir + name, shipped.readAll());
        if (!failure.isEmpty()) {
            *error = QStringLiteral("Cannot write icon %1: %2").arg(dir + name, failure);
            return false;
        }
    }
    return true;
}

} // namespace ShippedIcons
