#pragma once

#include "sessions/EntryEditors.h"
#include "sessions/ui/EntryEditorServices.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

// "Session properties": one phonebook entry. The fields of
// SessionEditorFields are shown and taken back; the device, the line
// settings and the protocol options go into the current entry at once.
class TPhoneNum : public QDialog {
    Q_OBJECT
public:
    static constexpr int helpContext = 19;

    TPhoneNum(EntryEditorServices services, QWidget *parent = nullptr);

    // Fills the controls and chooses the current entry's device (the first
    // one when the list has not got it).
    void setFields(const SessionEditorFields &fields);
    SessionEditorFields fields() const;
    // Restores the placement, refuses device changes while online, shows
    // the dialog modally; true on OK.
    bool run();

    // The chosen device becomes the current entry's.
    void DeviceChange();
    void ConfigureClick();
    void FindClick();
    void NewClick();
    void EditClick();
    void ChangeIconClick();

    // Refuses an empty name.
    void accept() override;
    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // The startup script's file.
    QString scriptPath() const;
    QWidget *buildConnection();
    QWidget *buildSerial();
    QWidget *buildTcp();
    QWidget *buildSession();
    void fillDevices();
    void updateContype();
    void showIcon();
    void setHints();
    void enterPressed(QObject *watched);

    EntryEditorServices services_;
    QLineEdit *name_ = nullptr;
    QRadioButton *serial_ = nullptr;
    QRadioButton *tcp_ = nullptr;
    QLineEdit *phone_ = nullptr;
    QComboBox *device_ = nullptr;
    QCheckBox *answer_ = nullptr;
    QPushButton *configure_ = nullptr;
    QLabel *lastLabel_ = nullptr;
    QLabel *last_ = nullptr;
    QLineEdit *script_ = nullptr;
    QPushButton *edit_ = nullptr;
    QLabel *icon_ = nullptr;
    QLineEdit *address_ = nullptr;
    QLineEdit *tcpPort_ = nullptr;
    QRadioButton *client_ = nullptr;
    QRadioButton *server_ = nullptr;
    QComboBox *protocol_ = nullptr;
    QComboBox *terminal_ = nullptr;
    QComboBox *keyboard_ = nullptr;
    QSpinBox *retries_ = nullptr;
    QSpinBox *wait_ = nullptr;
    QPushButton *protocolOptions_ = nullptr;
    int iconIndex_ = 0;
    QString iconName_;
};
