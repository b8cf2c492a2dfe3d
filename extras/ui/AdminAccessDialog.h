#pragma once

#include <QDialog>

class QLineEdit;

// "Admin Access": asks for the administrator password in a masked field.
class AdminAccessDialog : public QDialog {
    Q_OBJECT
public:
    explicit AdminAccessDialog(QWidget *parent = nullptr);

    QString password() const;

signals:
    // The Help button was pressed.
    void helpRequested();

private:
    QLineEdit *m_password;
};
