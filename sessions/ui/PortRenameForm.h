#pragma once

#include "comms/line/ComDevices.h"
#include "sessions/PortNaming.h"

#include <QDialog>

class QLineEdit;
class QListWidget;

// "Comport Renameing": the ports 1 to 96 with their devices and a "New Name"
// field for the selected one. The edit of a port is saved when another port
// is selected and when the dialog closes.
class PortRenameForm : public QDialog {
    Q_OBJECT
public:
    PortRenameForm(PortNaming &naming, const ComDevices::Override &devices, QWidget *parent = nullptr);

    void done(int result) override;

private:
    void select(int row);
    void saveEdit();

    PortNaming &naming_;
    QListWidget *ports_ = nullptr;
    QLineEdit *name_ = nullptr;
    int shown_ = 0;
};

// Shows the form over parent each time it is asked.
class QtPortRenameDialog : public PortRenameDialog {
public:
    QtPortRenameDialog(QWidget *parent, ComDevices::Override devices);
    void renamePorts(PortNaming &naming) override;

private:
    QWidget *parent_;
    ComDevices::Override devices_;
};
