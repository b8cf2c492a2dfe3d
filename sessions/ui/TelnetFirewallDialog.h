#pragma once

#include <QDialog>

struct TelnetFirewall;
class QCheckBox;
class QLineEdit;

// "Telnet firewall properties": whether TCP client connections go through
// a firewall, its host, port and prompt.
class TelnetFirewallDialog : public QDialog {
    Q_OBJECT
public:
    explicit TelnetFirewallDialog(QWidget *parent = nullptr);

    // Shows the values; OK copies them back, Cancel leaves them. False on
    // Cancel.
    bool edit(TelnetFirewall &firewall);

private:
    QCheckBox *use_ = nullptr;
    QLineEdit *host_ = nullptr;
    QLineEdit *port_ = nullptr;
    QLineEdit *prompt_ = nullptr;
};
