#pragma once

#include "comms/telephony/LineDevices.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;

// The configuration of one line device: name, port, init string and baud
// rate, read from and written to its section of LineDevices.ini (other keys
// and sections stay as they are).
class LineDeviceDialog : public QDialog {
    Q_OBJECT
public:
    // An empty or unknown device name starts a new device.
    LineDeviceDialog(const QString &homeFolder, const QString &deviceName, QWidget *parent = nullptr);

    // Shows the dialog modally; true when the user saved the device.
    static bool edit(QWidget *parent, const QString &homeFolder, const QString &deviceName);

    LineDeviceEntry entry() const;
    void setEntry(const LineDeviceEntry &entry);
    // Writes the fields; false with the reason shown in the dialog.
    bool save();
    // The name the device is saved under.
    QString savedName() const { return oldName_; }

    void accept() override;

private:
    LineDevices devices_;
    QString oldName_;
    QLineEdit *name_;
    QComboBox *port_;
    QLineEdit *init_;
    QComboBox *baud_;
    QLabel *error_;
};
