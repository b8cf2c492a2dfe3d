#pragma once

#include "script/ScriptTerminal.h"

// The terminal of the tool: what the script writes into it (the transfer results) goes to
// stdout unless quiet; capture and clearing have nothing to act on.
class StdioTerminal : public ScriptTerminal {
public:
    explicit StdioTerminal(bool quiet)
        : quiet_(quiet)
    { }
    void display(const QString &text) override;
    void setCapture(bool) override { }
    void setCaptureFile(const QString &) override { }
    void clearWindow() override { }
    void clearBuffer() override { }
    bool isActive() const override { return active_; }
    void setActive(bool active) override { active_ = active; }

private:
    bool quiet_;
    bool active_ = true;
};
