#pragma once

#include <QString>

// The terminal a running script writes into and controls; the window implements it.
class ScriptTerminal {
public:
    virtual ~ScriptTerminal() = default;

    // Writes the text into the terminal and updates its display.
    virtual void display(const QString &text) = 0;
    virtual void setCapture(bool on) = 0;
    virtual void setCaptureFile(const QString &path) = 0;
    virtual void clearWindow() = 0;
    virtual void clearBuffer() = 0;
    // Whether the terminal takes the line's input; off while a transfer runs.
    virtual bool isActive() const = 0;
    virtual void setActive(bool active) = 0;
};
