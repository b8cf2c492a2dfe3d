#pragma once

#include "sessions/QuickConnectDialogs.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;

// "Comport parameters": the line settings of a quick serial connection and
// the modem's init string and dial command.
class ComportParametersForm : public QDialog {
    Q_OBJECT
public:
    explicit ComportParametersForm(QWidget *parent = nullptr);

    // Shows the parameters; OK copies the fields back. False on cancel.
    bool edit(ComportParameters &parameters);

private:
    QComboBox *baud_ = nullptr;
    QComboBox *parity_ = nullptr;
    QComboBox *dataBits_ = nullptr;
    QComboBox *stopBits_ = nullptr;
    QCheckBox *dtrDsr_ = nullptr;
    QCheckBox *rtsCts_ = nullptr;
    QCheckBox *swTransmit_ = nullptr;
    QCheckBox *swReceive_ = nullptr;
    QLineEdit *xon_ = nullptr;
    QLineEdit *xoff_ = nullptr;
    QLineEdit *init_ = nullptr;
    QLineEdit *dialCommand_ = nullptr;
};
