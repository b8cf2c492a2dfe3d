#include "extras/ui/SetAdminPasswordDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit *maskedField(const QString &name, QWidget *parent)
{
    auto *field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setEchoMode(QLineEdit::Password);
    return field;
}

} // namespace

SetAdminPasswordDialog::SetAdminPasswordDialog(Check check, QWidget *parent)
    : QDialog(parent)
    , m_check(std::move(check))
    , m_old(maskedField(QStringLiteral("oldPassword"), this))
    , m_new(maskedField(QStringLiteral("newPassword"), this))
    , m_verify(maskedField(QStringLiteral("verifyPassword"), this))
{
    setWindowTitle(QStringLiteral("Set Admin Password"));
    // Stands for the password without showing how long it is.
    m_old->setText(QString(15, QLatin1Char('*')));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Old Password"), m_old);
    form->addRow(QStringLiteral("New Password"), m_new);
    form->addRow(QStringLiteral("Verify Password"), m_verify);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancel"));
    buttons->addButton(QDialogButtonBox::Help);
    connect(buttons, &QDialogButtonBox::helpRequested, this, &SetAdminPasswordDialog::helpRequested);
    connect(buttons, &QDialogButtonBox::accepted, this, &SetAdminPasswordDialog::okClicked);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

AdminPasswordFields SetAdminPasswordDialog::fields() const
{
    return {m_old->text(), m_new->text(), m_verify->text()};
}

void SetAdminPasswordDialog::okClicked()
{
    if (!m_check || m_check(fields()))
        accept();
}
