#include "comms/ui/CallProgressWindow.h"

#include <QLabel>

CallProgressWindow::CallProgressWindow(QWidget *parent)
    : CallStatusPanel(QStringLiteral("Call Progress"), parent)
{
    setObjectName(QStringLiteral("CallProgress"));
    device_ = addValue(QStringLiteral("Device:"), QStringLiteral("device"));
    number_ = addValue(QStringLiteral("Number:"), QStringLiteral("number"));
    state_ = addValue(QStringLiteral("State:"), QStringLiteral("state"));
    attempt_ = addValue(QStringLiteral("Attempt:"), QStringLiteral("attempt"));
    connect(this, &CallStatusPanel::cancelClicked, this, [this] {
        if (line_)
            line_->cancelFromStatus();
    });
}

CallProgressWindow::~CallProgressWindow()
{
    if (line_)
        line_->setStatusView(nullptr);
}

void CallProgressWindow::attach(TapiLine *line)
{
    if (line_)
        line_->setStatusView(nullptr);
    line_ = line;
    if (line)
        line->setStatusView(this);
}

void CallProgressWindow::showProgress(bool visible)
{
    setVisible(visible);
}

void CallProgressWindow::setProgressText(const QString &text)
{
    state_->setText(text);
}

void CallProgressWindow::setCall(const QString &device, const QString &number)
{
    device_->setText(device);
    number_->setText(number.isEmpty() ? QStringLiteral("(answering)") : number);
    state_->clear();
    attempt_->clear();
}

void CallProgressWindow::setAttempt(int attempt, int maxAttempts)
{
    attempt_->setText(attempt > 0 ? QStringLiteral("%1 of %2").arg(attempt).arg(maxAttempts) : QString());
}
