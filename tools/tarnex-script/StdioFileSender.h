#pragma once

#include "script/ScriptFileSender.h"
#include "shell/MainView.h"
#include "transfer/BinarySendProgress.h"

#include <memory>

class BinarySend;
class Comport;

// SENDFILE in the tool: the program's binary send on the tool's port, its
// notices on standard error; there is no window to show progress in.
class StdioFileSender : public ScriptFileSender, private MainView, private BinarySendProgress {
public:
    explicit StdioFileSender(Comport &port);
    ~StdioFileSender() override;

    void send(const QString &path, std::function<void()> done) override;
    void cancel() override;

private:
    void DisplayTerm(const QString &text) override;
    void setLinePanel(const QString &) override { }
    void setStatusPanel(const QString &) override { }
    void setCaption(const QString &) override { }
    void setTerminalActive(bool) override { }
    void setBPlusDetection(bool) override { }
    void focusTerminal() override { }
    void DisableBtns(bool) override { }
    void setToolBarEnabled(bool) override { }
    void clearTerminal() override { }
    void restoreWindow() override { }
    void showFile(const QString &, qint64) override { }
    void showProgress(qint64, qint64, int) override { }

    std::unique_ptr<BinarySend> sender_;
    std::function<void()> done_;
};
