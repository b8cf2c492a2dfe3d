#pragma once

#include "comms/telephony/TapiLine.h"
#include "comms/ui/CallStatusPanel.h"

#include <QPointer>

// "Call Progress": the line device, the number, the call's state and its
// attempts. Hidden until the line device uses it; Cancel goes to
// TapiLine::cancelFromStatus.
class CallProgressWindow : public CallStatusPanel, public CallProgressView {
    Q_OBJECT
public:
    explicit CallProgressWindow(QWidget *parent = nullptr);
    ~CallProgressWindow() override;

    // Becomes the line's status view.
    void attach(TapiLine *line);

    void showProgress(bool visible) override;
    void setProgressText(const QString &text) override;
    void setCall(const QString &device, const QString &number) override;
    void setAttempt(int attempt, int maxAttempts) override;

private:
    QPointer<TapiLine> line_;
    QLabel *device_;
    QLabel *number_;
    QLabel *state_;
    QLabel *attempt_;
};
