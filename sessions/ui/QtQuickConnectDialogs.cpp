#include "sessions/ui/QtQuickConnectDialogs.h"

#include "sessions/ui/ComportParametersForm.h"
#include "sessions/ui/SelectComportForm.h"

QtQuickConnectDialogs::QtQuickConnectDialogs(QWidget *parent, ComDevices::Override devices)
    : parent_(parent)
    , devices_(std::move(devices))
{ }

bool QtQuickConnectDialogs::selectComport(ComportChoice &choice, const QList<DeviceEntry> &ports)
{
    SelectComportForm form(choice, ports, devices_, parent_);
    return form.run();
}

bool QtQuickConnectDialogs::comportParameters(ComportParameters &parameters)
{
    ComportParametersForm form(parent_);
    return form.edit(parameters);
}
