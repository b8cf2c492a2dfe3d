#include "sessions/ui/TelnetFirewallDialog.h"

#include "sessions/TelnetFirewall.h"
#include "sessions/ui/DialogButtons.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

QLineEdit *namedField(const QString &name, QWidget *parent)
{
    auto *field = new QLineEdit(parent);
    field->setObjectName(name);
    return field;
}

} // namespace

TelnetFirewallDialog::TelnetFirewallDialog(QWidget *parent)
    : QDialog(parent)
    , use_(new QCheckBox(QStringLiteral("Use firewall"), this))
    , host_(namedField(QStringLiteral("txtHost"), this))
    , port_(namedField(QStringLiteral("txtPort"), this))
    , prompt_(namedField(QStringLiteral("txtPrompt"), this))
{
    setObjectName(QStringLiteral("TelnetFirewallForm"));
    setWindowTitle(QStringLiteral("Telnet firewall properties"));
    use_->setObjectName(QStringLiteral("chkUseFirewall"));
    auto *form = new QFormLayout;
    form->addRow(use_);
    form->addRow(QStringLiteral("Firewall host"), host_);
    form->addRow(QStringLiteral("Firewall port"), port_);
    form->addRow(QStringLiteral("Firewall Prompt"), prompt_);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(okCancelButtons(this));
    setMinimumWidth(320);
}

bool TelnetFirewallDialog::edit(TelnetFirewall &firewall)
{
    use_->setChecked(firewall.use);
    host_->setText(firewall.host.isEmpty() ? QStringLiteral("127.0.0.1") : firewall.host);
    port_->setText(firewall.port);
    prompt_->setText(firewall.prompt);
    if (exec() != QDialog::Accepted)
        return false;
    firewall.use = use_->isChecked();
    firewall.host = host_->text();
    firewall.port = port_->text();
    firewall.prompt = prompt_->text();
    return true;
}
