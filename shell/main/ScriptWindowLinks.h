#pragma once

#include "script/ScriptFileSender.h"
#include "script/ScriptTerminal.h"

#include <QObject>

#include <functional>

class BinarySend;
class Terminal;

// What a running script uses of the window: its terminal, and the binary
// send for SENDFILE.
class ScriptWindowLinks : public QObject, public ScriptTerminal, public ScriptFileSender {
    Q_OBJECT
public:
    // appendCapture tells whether capture appends to its file (the capture
    // options of the Session menu).
    ScriptWindowLinks(Terminal &terminal, BinarySend &sender, std::function<bool()> appendCapture);

    void display(const QString &text) override;
    void setCapture(bool on) override;
    void setCaptureFile(const QString &path) override;
    void clearWindow() override;
    void clearBuffer() override;
    bool isActive() const override;
    void setActive(bool active) override;

    void send(const QString &path, std::function<void()> done) override;
    void cancel() override;

private:
    Terminal &terminal_;
    BinarySend &sender_;
    std::function<bool()> appendCapture_;
    std::function<void()> done_;
};
