#include "comms/ui/DialProgressWindow.h"

#include "comms/modem/Dialer.h"

#include <QLabel>

DialProgressWindow::DialProgressWindow(QWidget *parent)
    : CallStatusPanel(QStringLiteral("Dial Progress"), parent)
{
    setObjectName(QStringLiteral("DialProgress"));
    number_ = addValue(QStringLiteral("Number:"), QStringLiteral("number"));
    attempt_ = addValue(QStringLiteral("Attempt:"), QStringLiteral("attempt"));
    status_ = addValue(QStringLiteral("Status:"), QStringLiteral("status"));
    countdown_ = addValue(QStringLiteral("Next attempt:"), QStringLiteral("countdown"));
    connect(this, &CallStatusPanel::cancelClicked, this, [this] {
        if (dialer_)
            dialer_->cancel();
    });
}

void DialProgressWindow::attach(Dialer *dialer)
{
    if (dialer_)
        dialer_->disconnect(this);
    dialer_ = dialer;
    if (!dialer)
        return;
    connect(dialer, &Dialer::attemptStarted, this, [this](int attempt, int tries) {
        if (attempt == 1) {
            number_->setText(dialer_->number());
            status_->clear();
            show();
        }
        attempt_->setText(QStringLiteral("%1 of %2").arg(attempt).arg(tries));
        countdown_->clear();
    });
    connect(dialer, &Dialer::statusText, status_, &QLabel::setText);
    connect(dialer, &Dialer::retryCountdown, this,
        [this](int seconds) { countdown_->setText(QStringLiteral("in %1 seconds").arg(seconds)); });
    connect(dialer, &Dialer::finished, this, &QWidget::hide);
}
