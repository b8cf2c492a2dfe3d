#include "shell/main/AutomationBus.h"

#include "shell/TLog.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>

namespace {

const QString serviceName = QStringLiteral("Tarnex69.TarnexApp");

} // namespace

AutomationBus::AutomationBus(TLog &log, QObject *parent)
    : QObject(parent)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        log.write(
            QStringLiteral("No D-Bus session bus, running without automation: ") + bus.lastError().message());
        return;
    }
    if (!bus.registerService(serviceName)) {
        log.write(
            QStringLiteral("%1 is held by another Tarnex; automation belongs to that one").arg(serviceName));
        return;
    }
    if (!bus.registerObject(QStringLiteral("/"), this, QDBusConnection::ExportScriptableSlots)) {
        log.write(QStringLiteral("Cannot offer the automation object: ") + bus.lastError().message());
        bus.unregisterService(serviceName);
        return;
    }
    registered_ = true;
}

void AutomationBus::PostMessage(uint number, int param)
{
    emit messagePosted(number, param);
}
