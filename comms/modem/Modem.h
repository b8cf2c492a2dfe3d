#pragma once

#include "comms/events/HandlerChain.h"
#include "comms/modem/ModemResult.h"

#include <QObject>
#include <QString>
#include <QTimer>

class Comport;

// The AT commands a modem is driven with, in caret notation ("^M" is CR).
struct ModemCommands {
    QString init = QStringLiteral("ATZ^M");
    QString dial = QStringLiteral("ATDT");
    QString dialTerminator = QStringLiteral("^M");
    QString dialCancel = QStringLiteral("^M");
    // "DTR" drops DTR; anything else is sent after "+++" with guard times.
    QString hangup = QStringLiteral("DTR");
    QString configure = QStringLiteral("ATE1Q0X1V1^M");
    QString answer = QStringLiteral("ATA^M");
};

// A Hayes modem on the serial port: sends commands, reads the verbose or
// numeric result codes, dials, answers and hangs up. Works only while
// enabled on a serial port; the terminal sees every byte meanwhile.
class Modem : public QObject {
    Q_OBJECT
public:
    // Ticks of 1/18.2 s.
    static constexpr qint64 commandTimeoutTicks = 48;
    static constexpr qint64 dtrDropTicks = 10;

    explicit Modem(Comport &port, QObject *parent = nullptr);
    ~Modem() override;

    // False (and the port's error) when the port is a socket.
    bool setEnabled(bool on);
    bool isEnabled() const;

    ModemCommands &commands();
    void setDialCommand(const QString &command);

    // Sends a command in caret notation; its final result code raises
    // commandProcessed, as does the command time-out.
    void sendCommand(const QString &caretText);
    // Dials: the dial command, the number and the terminator. The result
    // arrives as connected (with lineSpeed first) or connectFailed.
    void dial(const QString &number);
    // Sends the dial-cancel string while a dial is under way.
    void cancelDial();
    // By DTR drop when the hang-up command is "DTR" and the line can drop
    // DTR, else "+++" with guard times and the command ("ATH0^M" when the
    // command is "DTR" but the line cannot drop DTR). Completion raises
    // commandProcessed.
    void hangup();
    // Waits for RING rings times, then sends the answer command.
    void answerAfter(int rings);
    // True while a call is up (after CONNECT, until NO CARRIER or hang-up).
    bool isConnected() const;

    // Why setEnabled failed.
    QString lastError() const { return lastError_; }
    // The last CONNECT result, with its speed and tags.
    const ModemResult &lastConnect() const { return lastConnect_; }
    // Silence kept before and after "+++" (1 s, as Hayes modems require).
    void setGuardTime(int ms) { guardMs_ = ms; }
    // How long a dial or an answer may take before it counts as failed.
    void setCallTimeout(int ms) { callTimeoutMs_ = ms; }

signals:
    // CONNECT arrived (after lineSpeed when it carried a speed).
    void connected();
    // A call came up that no dial was waiting for (an answered call).
    void isConnectedEvent();
    // The dial ended without a connection; result is the result text
    // ("BUSY", "NO CARRIER", "NO DIALTONE", "ERROR", "NO ANSWER", "VOICE",
    // or "" on time-out).
    void connectFailed(const QString &result);
    void lineSpeed(qint64 bps);
    // A command's final result code (or its time-out); data is the last
    // byte the modem sent (10 for a verbose result ending in CR LF, 13 for a
    // numeric one, 0 after a time-out or a DTR hang-up). A dial's or an
    // answer's result comes as connected or connectFailed instead.
    void commandProcessed(int data);
    // Every result line the modem sent, for progress windows.
    void resultText(const QString &text);
    // NO CARRIER while a call was up: the far end went away.
    void carrierLost();
    // A failure worth a line in the application log (no answer to a command).
    void commandFailed(const QString &reason);

private:
    enum class Waiting { Nothing, Command, Dial, CancelledDial, Answer };
    enum class HangupStep { None, DtrLow, GuardBefore, GuardAfter };

    bool onData(const QByteArray &bytes);
    void takeLine(int lastByte);
    void onResult(const ModemResult &result, const QString &line, int lastByte);
    void onConnect(const ModemResult &result, int lastByte);
    void finishCommand(int lastByte);
    void onTimeout();
    void put(const QString &caretText);
    void expect(Waiting what, int ms);
    void stepHangup();
    QString hangupCommand() const;
    int guardWait() const;

    Comport &port_;
    ModemCommands commands_;
    HandlerRegistration watcher_;
    bool enabled_ = false;
    bool connected_ = false;
    Waiting waiting_ = Waiting::Nothing;
    QString lastSent_;
    QByteArray line_;
    bool lineOverlong_ = false;
    // A line ended by CR whose LF may still come.
    bool lineAtCr_ = false;
    int lastByte_ = 0;
    // Rings to count before answering; 0 while not answering.
    int answerRings_ = 0;
    int ringsSeen_ = 0;
    HangupStep hangupStep_ = HangupStep::None;
    int guardMs_ = 1000;
    int callTimeoutMs_ = 60000;
    QTimer timeout_;
    QTimer lineEnd_;
    QTimer hangupTimer_;
    QString lastError_;
    ModemResult lastConnect_;
};
