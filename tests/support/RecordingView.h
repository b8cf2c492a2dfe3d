#pragma once

#include "shell/MainView.h"

#include <QStringList>

// The main window as the controllers see it, recording what they show.
class RecordingView : public MainView {
public:
    QStringList notices;
    QString linePanel;
    QString statusPanel;
    QString caption;
    bool terminalActive = false;
    bool bPlusDetection = false;
    int focused = 0;
    QList<bool> buttonStates;
    bool toolBarEnabled = true;
    int cleared = 0;
    int restored = 0;

    void DisplayTerm(const QString &text) override { notices << text; }
    void setLinePanel(const QString &text) override { linePanel = text; }
    void setStatusPanel(const QString &text) override { statusPanel = text; }
    void setCaption(const QString &text) override { caption = text; }
    void setTerminalActive(bool active) override { terminalActive = active; }
    void setBPlusDetection(bool on) override { bPlusDetection = on; }
    void focusTerminal() override { ++focused; }
    void DisableBtns(bool enable) override { buttonStates << enable; }
    void setToolBarEnabled(bool enabled) override { toolBarEnabled = enabled; }
    void clearTerminal() override { ++cleared; }
    void restoreWindow() override { ++restored; }
};
