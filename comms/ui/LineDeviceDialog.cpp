#include "comms/ui/LineDeviceDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <array>

namespace {

constexpr std::array<qint32, 10> baudRates{300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

// The serial devices present now; ptys and others can be typed.
QStringList presentPorts()
{
    QStringList ports;
    const QDir dev(QStringLiteral("/dev"));
    for (const QString &pattern :
        {QStringLiteral("ttyACM*"), QStringLiteral("ttyUSB*"), QStringLiteral("ttyS*")})
        for (const QString &name : dev.entryList({pattern}, QDir::System, QDir::Name))
            ports << dev.filePath(name);
    return ports;
}

} // namespace

LineDeviceDialog::LineDeviceDialog(const QString &homeFolder, const QString &deviceName, QWidget *parent)
    : QDialog(parent)
    , devices_(homeFolder)
{
    setWindowTitle(QStringLiteral("Line Device"));
    name_ = new QLineEdit(this);
    name_->setObjectName(QStringLiteral("name"));
    port_ = new QComboBox(this);
    port_->setObjectName(QStringLiteral("port"));
    port_->setEditable(true);
    port_->addItems(presentPorts());
    port_->setToolTip(QStringLiteral("A device path, or a COM number (1-96)"));
    init_ = new QLineEdit(this);
    init_->setObjectName(QStringLiteral("init"));
    init_->setToolTip(QStringLiteral("Sent before each call; ^M is a carriage return"));
    baud_ = new QComboBox(this);
    baud_->setObjectName(QStringLiteral("baud"));
    baud_->addItem(QStringLiteral("(port default)"), 0);
    for (const qint32 rate : baudRates)
        baud_->addItem(QString::number(rate), rate);
    error_ = new QLabel(this);
    error_->setObjectName(QStringLiteral("error"));
    error_->setWordWrap(true);
    error_->hide();

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Name:"), name_);
    form->addRow(QStringLiteral("&Port:"), port_);
    form->addRow(QStringLiteral("&Init string:"), init_);
    form->addRow(QStringLiteral("&Baud rate:"), baud_);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(error_);
    layout->addWidget(buttons);

    if (const auto existing = devices_.entry(deviceName)) {
        oldName_ = existing->name;
        setEntry(*existing);
    } else {
        setEntry({deviceName, QString(), QStringLiteral("ATZ^M"), 0});
    }
}

bool LineDeviceDialog::edit(QWidget *parent, const QString &homeFolder, const QString &deviceName)
{
    LineDeviceDialog dialog(homeFolder, deviceName, parent);
    return dialog.exec() == QDialog::Accepted;
}

LineDeviceEntry LineDeviceDialog::entry() const
{
    LineDeviceEntry entry;
    entry.name = name_->text().trimmed();
    entry.port = port_->currentText().trimmed();
    entry.init = init_->text();
    entry.baud = baud_->currentText().toInt();
    return entry;
}

void LineDeviceDialog::setEntry(const LineDeviceEntry &entry)
{
    name_->setText(entry.name);
    port_->setEditText(entry.port);
    init_->setText(entry.init);
    const int rate = baud_->findData(entry.baud);
    if (rate >= 0) {
        baud_->setCurrentIndex(rate);
    } else {
        baud_->addItem(QString::number(entry.baud), entry.baud);
        baud_->setCurrentIndex(baud_->count() - 1);
    }
}

bool LineDeviceDialog::save()
{
    const LineDeviceEntry device = entry();
    QString error;
    if (device.port.isEmpty())
        error = QStringLiteral("A line device needs a port.");
    else if (!devices_.save(oldName_, device, &error))
        error[0] = error[0].toUpper();
    error_->setText(error);
    error_->setVisible(!error.isEmpty());
    if (!error.isEmpty())
        return false;
    oldName_ = device.name;
    return true;
}

void LineDeviceDialog::accept()
{
    if (save())
        QDialog::accept();
}
