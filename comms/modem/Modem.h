#pragma once

#include "comms/events/HandlerChain.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <vector>

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
    // byte the modem sent (10 for a verbose result ending in CR LF).
    void commandProcessed(int data);
    // Every result line the modem sent, for progress windows.
    void resultText(const QString &text);
    // NO CARRIER while a call was up: the far end went away.
    void carrierLost();
};
