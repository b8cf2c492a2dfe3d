#pragma once

#include "comms/line/ComDevices.h"
#include "sessions/QuickConnectDialogs.h"

#include <QDialog>

class QLineEdit;
class QListWidget;
class QRadioButton;

// "Select comport": a serial port or a TCP host for a quick connection.
// The radio buttons set the kind in the choice at once, even when the
// dialog is cancelled later.
class SelectComportForm : public QDialog {
    Q_OBJECT
public:
    SelectComportForm(ComportChoice &choice, const QList<DeviceEntry> &ports,
        const ComDevices::Override &devices, QWidget *parent = nullptr);

    // Runs the dialog; on OK the choice takes the address, port and COM
    // number. False on cancel.
    bool run();

protected:
    void showEvent(QShowEvent *event) override;

private:
    ComportChoice &choice_;
    QRadioButton *serial_ = nullptr;
    QRadioButton *tcpip_ = nullptr;
    QLineEdit *address_ = nullptr;
    QLineEdit *port_ = nullptr;
    QListWidget *ports_ = nullptr;
};
