#include "extras/ShippedSounds.h"

#include "shell/FileNames.h"
#include "shell/ProgramDir.h"
#include "shell/files/AtomicWrite.h"
#include "shell/settings/SettingsTable.h"

#include <QDir>
#include <QFile>

// The resource lives in a static library, so it is registered by hand.
static void registerSoundsResource()
{
    Q_INIT_RESOURCE(sounds);
}

namespace ShippedSounds {

bool install(const QString &folder, QString *error)
{
    static const bool registered = (registerSoundsResource(), true);
    Q_UNUSED(registered);
    const QString dir = ProgramDir::withSlash(folder);
    if (!QDir().mkpath(dir)) {
        *error = QStringLiteral("Cannot create folder %1 for the sounds").arg(dir);
        return false;
    }
    for (const char *name : {Setting::defaultConnectWav, Setting::defaultDisconnectWav,
             Setting::defaultFileCompleteWav, Setting::defaultFileFailedWav}) {
        const QString fileName = QString::fromLatin1(name);
        if (QFile::exists(FileNames::lookup(dir, fileName)))
            continue;
        QFile shipped(QStringLiteral(":/sounds/") + fileName);
        if (!shipped.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("The shipped sound %1 is missing").arg(fileName);
            return false;
        }
        const QString failure = writeFileAtomically(dir + fileName, shipped.readAll());
        if (!failure.isEmpty()) {
            *error = QStringLiteral("Cannot write sound %1: %2").arg(dir + fileName, failure);
            return false;
        }
    }
    return true;
}

} // namespace ShippedSounds
