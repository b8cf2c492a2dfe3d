#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <array>
#include <functional>

#include "CallTable.h"

class QTcpSocket;

struct ModemOptions {
    int speed = 33600;
    QString connectSuffix; // after the speed: "/ARQ/V42BIS", " LAPM"
    int guardMs = 1000;
    int ringMs = 2000;
    bool mute = false; // reads everything, never answers
    bool garbage = false; // answers every command line with garbage
};

// A Hayes-compatible modem whose calls are TCP connections: dialling looks
// the number up in a call table, an accepted connection rings. The
// terminal side is bytes in (fromTerminal) and a callback out; DTR cannot be
// seen, so a call ends with "+++" and ATH, or when the far end closes.
class HayesModem : public QObject {
public:
    using Writer = std::function<void(const QByteArray &)>;
    HayesModem(const ModemOptions &options, CallTable *table, Writer toTerminal);

    void fromTerminal(const QByteArray &bytes);
    // An incoming call; refused while another call is up or ringing.
    void incoming(QTcpSocket *caller);

private:
    enum class State { Command, Dialling, Online, OnlineCommand };
    enum Result {
        Ok = 0,
        Connect = 1,
        Ring = 2,
        NoCarrier = 3,
        Error = 4,
        NoDialtone = 6,
        Busy = 7,
        NoAnswer = 8
    };

    void reset();
    void commandByte(char c);
    void execute(const QByteArray &line);
    enum class LineEnd { Ok, Error, Handled };
    LineEnd runCommands(const QByteArray &commands, QByteArray *info);
    void result(Result code);
    void dial(const QString &number);
    void endDial(Result code);
    void attachCall(QTcpSocket *socket);
    void goOnline();
    void hangUp();
    void ring();
    void answer();
    void onlineBytes(const QByteArray &bytes);
    void callClosed();
    void sendGarbage();
    int guardMs() const { return sreg_[12] * 20; }
    void log(const QString &text) const;

    const ModemOptions options_;
    CallTable *table_;
    Writer toTerminal_;

    State state_ = State::Command;
    bool echo_ = true;
    bool quiet_ = false;
    bool verbose_ = true;
    int resultLevel_ = 4; // X
    std::array<int, 256> sreg_{};
    QByteArray line_;
    QByteArray lastLine_;

    QTcpSocket *call_ = nullptr;
    bool ringing_ = false;
    QTimer ringTimer_;
    QTimer dialTimer_; // gives dialResult_ when it fires
    Result dialResult_ = NoCarrier;

    QElapsedTimer sinceTerminalData_;
    int plusCount_ = 0;
    QTimer guardTimer_;
};
