#pragma once

#include "comms/ui/CallStatusPanel.h"

#include <QPointer>

class Dialer;

// "Dial Progress": the number, the attempt, the modem's last answer and the
// wait before the next attempt. Non-modal, so the terminal keeps showing
// what the modem says; it shows itself when a run starts and hides when it
// ends. Cancel cancels the dialler.
class DialProgressWindow : public CallStatusPanel {
    Q_OBJECT
public:
    explicit DialProgressWindow(QWidget *parent = nullptr);

    void attach(Dialer *dialer);

private:
    QPointer<Dialer> dialer_;
    QLabel *number_;
    QLabel *attempt_;
    QLabel *status_;
    QLabel *countdown_;
};
