#pragma once

#include "comms/events/HandlerChain.h"
#include "comms/line/Comport.h"
#include "comms/transfer/ProtocolEngine.h"
#include "script/ScriptExec.h"
#include "script/TCustomScript.h"

#include <QPointer>
#include <QTimer>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class ComportLink;
class ScriptFileSender;
class ScriptTerminal;
class UserPrompt;

// The script interpreter: runs the parsed records on the port without blocking. A command
// that waits arms a port trigger, a timer or an event handler and returns; the event that
// ends the wait resumes the run.
class TScript : public TCustomScript {
    Q_OBJECT
public:
    enum class RunState { Ready = 1, Waiting = 2, Finished = 3 };
    static constexpr int maxWaitTexts = 40;
    // Posts the print message: 0 prints the window, 1 the buffer.
    using PrintPoster = std::function<void(int what)>;

    explicit TScript(QObject *parent = nullptr);
    ~TScript() override;

    // Links; a port is created at start when none is set, a protocol engine at the first
    // transfer or protocol option.
    void setComPort(Comport *port) { port_ = port; }
    Comport *ComPort() const { return port_; }
    void setProtocol(ProtocolEngine *protocol) { protocol_ = protocol; }
    ProtocolEngine *Protocol() const { return protocol_; }
    void setTerminal(ScriptTerminal *terminal) { terminal_ = terminal; }
    void setPrompt(UserPrompt *prompt);
    void setFileSender(ScriptFileSender *sender) { fileSender_ = sender; }
    void setPrintPoster(PrintPoster poster) { printPoster_ = std::move(poster); }
    // Where the file commands report what they could not do.
    void setLogSink(std::function<void(const QString &)> sink) { log_ = std::move(sink); }
    // How EXECFILE starts a program; tests record it.
    void setProcessStarter(ProcessStarter starter) { starter_ = std::move(starter); }

    bool DisplayToTerminal = true;
    QString SoundDirectory;
    std::int16_t LastCondition = 0;
    std::uint8_t RetryLimit = 3;
    std::uint8_t TimeoutCount = 0;
    QString ConfigFile;
    int Result1 = 0;
    QString Result2;

    void StartScript();
    void CancelScript();
    bool running() const { return running_; }
    RunState state() const { return state_; }
    // Set by SHUTDOWN, never cleared: the engine lives as long as the window it closes.
    bool ShutdownRequested = false;
    // The script line of the record executed last (0 before any).
    int currentLine() const;

signals:
    void OnScriptCommandStart(TScript *cp, const TScriptNode &node, int condition);
    void OnScriptCommandFinish(TScript *cp, const TScriptNode &node, int condition);
    void OnScriptFinish(TScript *cp, int condition);
    void OnScriptDisplay(TScript *cp, const QString &msg);
    // After a script that ran SHUTDOWN has finished: the owner window closes.
    void closeRequested();

private:
    // Run loop (TScript.cpp)
    void Run();
    void executeRecord();
    void perform(const TScriptNode &node);
    void Finish(int condition);
    void freeTimeOfDay();
    qsizetype labelIndex(const QString &name) const;
    void attachPortHandlers();
    void detachPortHandlers();

    // Port commands (ScriptPortCommands.cpp)
    void initPort(const TScriptNode &node);
    void openClient(const TScriptNode &node);
    void donePort();
    void setParity(const QString &word);
    void resumeWith(std::int16_t condition);

    // Waits (ScriptWaits.cpp)
    void waitFor(const TScriptNode &node);
    void waitMulti(const TScriptNode &node);
    void delay(const TScriptNode &node);
    void waitForTime(const TScriptNode &node);
    bool armTimer(std::uint16_t ticks);
    void removeTriggers();
    bool onTimerTrigger(int handle);
    bool onDataTrigger(int handle);
    void ResumeAfterTick();

    // Transfers (ScriptTransfers.cpp)
    ProtocolEngine &ensureProtocol();
    void startTransfer(const TScriptNode &node, bool upload);
    bool onNextFile(QString &path);
    bool onTransferFinish(int code);
    void sendFile(const QString &path);

    // SET (ScriptSetOptions.cpp)
    void setOption(const TScriptNode &node);

    QPointer<Comport> port_;
    std::unique_ptr<Comport> ownPort_;
    QPointer<ProtocolEngine> protocol_;
    std::unique_ptr<ProtocolEngine> ownProtocol_;
    ScriptTerminal *terminal_ = nullptr;
    UserPrompt *prompt_ = nullptr;
    std::function<void(const QString &)> log_ = [](const QString &) {};
    ProcessStarter starter_ = startDetachedProcess;
    ScriptFileSender *fileSender_ = nullptr;
    PrintPoster printPoster_;

    RunState state_ = RunState::Finished;
    bool running_ = false;
    bool inRun_ = false;
    qsizetype current_ = 0;
    qsizetype next_ = 0;
    qsizetype lastExecuted_ = -1;
    std::array<int, maxWaitTexts> dataTriggers_{};
    int dataTriggerCount_ = 0;
    int timerTrigger_ = 0;
    bool delayFlag_ = false;
    bool openedByScript_ = false;
    bool rememberedOpen_ = false;
    bool awaitingSocket_ = false;
    bool awaitingSend_ = false;
    std::unique_ptr<QTimer> timeOfDay_;

    HandlerRegistration timerHandler_;
    HandlerRegistration dataHandler_;
    HandlerRegistration connectHandler_;
    HandlerRegistration acceptHandler_;
    HandlerRegistration errorHandler_;
    HandlerRegistration finishHandler_;
    HandlerRegistration nextFileHandler_;
    std::unique_ptr<ComportLink> link_;
    QString pendingFile_;
    bool terminalWasActive_ = true;
};
