#include "sessions/ui/SelectComportForm.h"

#include "comms/line/ComPortLabels.h"
#include "sessions/ui/DialogButtons.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr int serialKind = 2;
constexpr int tcpipKind = 3;

} // namespace

SelectComportForm::SelectComportForm(ComportChoice &choice, const QList<DeviceEntry> &ports,
    const ComDevices::Override &devices, QWidget *parent)
    : QDialog(parent)
    , choice_(choice)
    , serial_(new QRadioButton(QStringLiteral("Serial"), this))
    , tcpip_(new QRadioButton(QStringLiteral("TCPIP"), this))
    , address_(new QLineEdit(choice.address, this))
    , port_(new QLineEdit(choice.port, this))
    , ports_(new QListWidget(this))
{
    setObjectName(QStringLiteral("SelectComportForm"));
    setWindowTitle(QStringLiteral("Select comport"));
    serial_->setObjectName(QStringLiteral("rbSerial"));
    tcpip_->setObjectName(QStringLiteral("rbTcpip"));
    address_->setObjectName(QStringLiteral("txtIP"));
    port_->setObjectName(QStringLiteral("txtPort"));
    ports_->setObjectName(QStringLiteral("lstComPorts"));

    // Telephony devices (number 0) are never chosen here.
    const ComPortLabels labels(devices);
    QList<DeviceEntry> shown;
    for (const DeviceEntry &entry : ports) {
        if (entry.number != 0)
            shown << entry;
    }
    shown = labels.presentFirst(shown, [](const DeviceEntry &entry) { return entry.number; });
    int preselected = 0;
    for (const DeviceEntry &entry : shown) {
        auto *item = new QListWidgetItem(labels.label(entry.number, entry.name), ports_);
        item->setData(Qt::UserRole, entry.number);
        if (entry.number == choice.comNumber)
            preselected = ports_->count() - 1;
    }
    ports_->setCurrentRow(shown.isEmpty() ? -1 : preselected);

    (choice.kind == serialKind ? serial_ : tcpip_)->setChecked(true);
    connect(serial_, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            choice_.kind = serialKind;
    });
    connect(tcpip_, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            choice_.kind = tcpipKind;
    });

    auto *kinds = new QHBoxLayout;
    kinds->addWidget(serial_);
    kinds->addWidget(tcpip_);
    kinds->addStretch();
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("IP Address"), address_);
    form->addRow(QStringLiteral("Port"), port_);
    auto *listLabel = new QLabel(QStringLiteral("Comport"), this);
    listLabel->setBuddy(ports_);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(kinds);
    layout->addLayout(form);
    layout->addWidget(listLabel);
    layout->addWidget(ports_, 1);
    layout->addWidget(okCancelButtons(this));
    resize(520, 420);
}

void SelectComportForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (serial_->isChecked())
        ports_->setFocus();
    else
        address_->setFocus();
}

bool SelectComportForm::run()
{
    if (exec() != QDialog::Accepted)
        return false;
    choice_.address = address_->text();
    choice_.port = port_->text();
    const QListWidgetItem *item = ports_->currentItem();
    choice_.comNumber = item ? item->data(Qt::UserRole).toInt() : 0;
    return true;
}
