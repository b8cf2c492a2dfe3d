#pragma once

#include <QString>

// What the controllers may ask of the main window, and nothing more; tests
// implement it with a recording fake.
class MainView {
public:
    virtual ~MainView() = default;

    // A program message in the terminal, followed by LF CR.
    virtual void DisplayTerm(const QString &text) = 0;
    // Status bar panel 1 (the line or device) and panel 2 (the connection).
    virtual void setLinePanel(const QString &text) = 0;
    virtual void setStatusPanel(const QString &text) = 0;
    virtual void setCaption(const QString &text) = 0;
    // The terminal shows received data and sends keys only while active.
    virtual void setTerminalActive(bool active) = 0;
    // The terminal watches the received data for the host's B+ start.
    virtual void setBPlusDetection(bool on) = 0;
    virtual void focusTerminal() = 0;
    virtual void DisableBtns(bool enable) = 0;
    virtual void setToolBarEnabled(bool enabled) = 0;
    virtual void clearTerminal() = 0;
    // Brings the window back from the task bar.
    virtual void restoreWindow() = 0;
};
