#pragma once

#include "extras/AdminDialogs.h"

#include <QDialog>

class QLineEdit;

// "Set Admin Password": old, new and verify in masked fields. OK closes the
// dialog only when the check given to it agrees; Cancel always closes it.
class SetAdminPasswordDialog : public QDialog {
    Q_OBJECT
public:
    using Check = std::function<bool(const AdminPasswordFields &)>;
    explicit SetAdminPasswordDialog(Check check, QWidget *parent = nullptr);

    AdminPasswordFields fields() const;

signals:
    // The Help button was pressed.
    void helpRequested();

private:
    void okClicked();

    Check m_check;
    QLineEdit *m_old;
    QLineEdit *m_new;
    QLineEdit *m_verify;
};
