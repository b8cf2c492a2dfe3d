#include "sessions/ui/TLookform.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

TLookform::TLookform(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Lookform"));
    setWindowTitle(QStringLiteral("Please Wait"));
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("Looking up address"), this);
    layout->addWidget(label);
    hostLabel_ = new QLabel(this);
    hostLabel_->setObjectName(QStringLiteral("hostLabel"));
    layout->addWidget(hostLabel_);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(&resolver_, &HostResolver::resolved, this, &TLookform::finished);
    setMinimumWidth(280);
}

std::optional<QString> TLookform::Lookup(const QString &host)
{
    host_ = host;
    const qsizetype at = host_.indexOf(QLatin1Char('@'));
    if (at >= 0)
        host_.remove(at, 1);
    hostLabel_->setText(host_);
    address_ = HostResolver::unresolved;
    resolver_.lookup(host_);
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return address_;
}

void TLookform::reject()
{
    resolver_.abandon();
    QDialog::reject();
}

void TLookform::finished(const QString &host, const QString &address)
{
    if (host != host_)
        return;
    address_ = address;
    accept();
}
