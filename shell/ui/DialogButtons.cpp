#include "shell/ui/DialogButtons.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

QDialogButtonBox *OkCancelHelpButtons(QDialog &dialog)
{
    auto *buttons = new QDialogButtonBox(&dialog);
    QPushButton *ok = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("cancel"));
    buttons->addButton(QStringLiteral("&Help"), QDialogButtonBox::HelpRole)
        ->setObjectName(QStringLiteral("help"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return buttons;
}
