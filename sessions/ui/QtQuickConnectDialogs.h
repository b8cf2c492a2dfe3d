#pragma once

#include "comms/line/ComDevices.h"
#include "sessions/QuickConnectDialogs.h"

class QWidget;

// The quick-connect dialogs as windows over parent, each created when
// asked and freed afterwards.
class QtQuickConnectDialogs : public QuickConnectDialogs {
public:
    QtQuickConnectDialogs(QWidget *parent, ComDevices::Override devices);

    bool selectComport(ComportChoice &choice, const QList<DeviceEntry> &ports) override;
    bool comportParameters(ComportParameters &parameters) override;

private:
    QWidget *parent_;
    ComDevices::Override devices_;
};
