#include "extras/ui/AdminAccessDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

AdminAccessDialog::AdminAccessDialog(QWidget *parent)
    : QDialog(parent)
    , m_password(new QLineEdit(this))
{
    setWindowTitle(QStringLiteral("Admin Access"));
    m_password->setObjectName(QStringLiteral("password"));
    m_password->setEchoMode(QLineEdit::Password);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Help, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::helpRequested, this, &AdminAccessDialog::helpRequested);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Enter admin password"), this));
    layout->addWidget(m_password);
    layout->addWidget(buttons);
    m_password->setFocus();
}

QString AdminAccessDialog::password() const
{
    return m_password->text();
}
