#include "sessions/ui/ComportParametersForm.h"

#include "sessions/ui/DialogButtons.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

QComboBox *choices(const QString &name, const QStringList &items, QWidget *parent)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(name);
    box->addItems(items);
    return box;
}

QCheckBox *flag(const QString &name, const QString &caption, QWidget *parent)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

QLineEdit *field(const QString &name, int maxLength, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setMaxLength(maxLength);
    return edit;
}

} // namespace

ComportParametersForm::ComportParametersForm(QWidget *parent)
    : QDialog(parent)
    , baud_(choices(QStringLiteral("cmbBaud"),
          {"300", "600", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"}, this))
    , parity_(choices(QStringLiteral("cmbParity"), {"None", "Odd", "Even", "Mark", "Space"}, this))
    , dataBits_(choices(QStringLiteral("cmbDataBits"), {"8", "7", "6", "5"}, this))
    , stopBits_(choices(QStringLiteral("cmbStopBits"), {"1", "2"}, this))
    , dtrDsr_(flag(QStringLiteral("chkDtrDsr"), QStringLiteral("DTR/DSR"), this))
    , rtsCts_(flag(QStringLiteral("chkRtsCts"), QStringLiteral("RTS/CTS"), this))
    , swTransmit_(flag(QStringLiteral("chkSwTransmit"), QStringLiteral("Software Transmit"), this))
    , swReceive_(flag(QStringLiteral("chkSwReceive"), QStringLiteral("Software Recieve"), this))
    , xon_(field(QStringLiteral("txtXon"), 3, this))
    , xoff_(field(QStringLiteral("txtXoff"), 3, this))
    , init_(field(QStringLiteral("txtInit"), 60, this))
    , dialCommand_(field(QStringLiteral("txtDialCmd"), 20, this))
{
    setObjectName(QStringLiteral("ComportParametersForm"));
    setWindowTitle(QStringLiteral("Comport parameters"));

    auto *line = new QFormLayout;
    line->addRow(QStringLiteral("&Baud Rate"), baud_);
    line->addRow(QStringLiteral("&Parity"), parity_);
    line->addRow(QStringLiteral("&Data bits"), dataBits_);
    line->addRow(QStringLiteral("&Stop Bits"), stopBits_);

    auto *flow = new QGroupBox(QStringLiteral("&Flow Control"), this);
    auto *flowForm = new QFormLayout(flow);
    flowForm->addRow(dtrDsr_);
    flowForm->addRow(rtsCts_);
    flowForm->addRow(swTransmit_);
    flowForm->addRow(swReceive_);
    flowForm->addRow(QStringLiteral("&Xon char:"), xon_);
    flowForm->addRow(QStringLiteral("Xoff ch&ar:"), xoff_);

    auto *modem = new QFormLayout;
    modem->addRow(QStringLiteral("&Initialize string to send"), init_);
    modem->addRow(QStringLiteral("Dia&l Command"), dialCommand_);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(line);
    layout->addWidget(flow);
    layout->addLayout(modem);
    layout->addWidget(okCancelButtons(this));
}

bool ComportParametersForm::edit(ComportParameters &parameters)
{
    baud_->setCurrentIndex(qBound(0, parameters.baudIndex, baud_->count() - 1));
    parity_->setCurrentIndex(qBound(0, parameters.parity, parity_->count() - 1));
    dataBits_->setCurrentIndex(qBound(0, parameters.dataBitsIndex, dataBits_->count() - 1));
    stopBits_->setCurrentIndex(qBound(0, parameters.stopBitsIndex, stopBits_->count() - 1));
    dtrDsr_->setChecked(parameters.dtrDsr);
    rtsCts_->setChecked(parameters.rtsCts);
    swTransmit_->setChecked(parameters.swTransmit);
    swReceive_->setChecked(parameters.swReceive);
    xon_->setText(parameters.xon);
    xoff_->setText(parameters.xoff);
    init_->setText(parameters.init);
    dialCommand_->setText(parameters.dialCommand);
    if (exec() != QDialog::Accepted)
        return false;
    parameters.baudIndex = baud_->currentIndex();
    parameters.parity = parity_->currentIndex();
    parameters.dataBitsIndex = dataBits_->currentIndex();
    parameters.stopBitsIndex = stopBits_->currentIndex();
    parameters.dtrDsr = dtrDsr_->isChecked();
    parameters.rtsCts = rtsCts_->isChecked();
    parameters.swTransmit = swTransmit_->isChecked();
    parameters.swReceive = swReceive_->isChecked();
    parameters.xon = xon_->text();
    parameters.xoff = xoff_->text();
    parameters.init = init_->text();
    parameters.dialCommand = dialCommand_->text();
    return true;
}
