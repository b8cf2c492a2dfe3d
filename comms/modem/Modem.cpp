#include "comms/modem/Modem.h"

#include "comms/CaretNotation.h"
#include "comms/line/Comport.h"
#include "shell/Ticks.h"

namespace {

// Result lines are short; anything longer is data, not a result.
constexpr qsizetype maxResultLine = 80;
// How long a CR may wait for the LF of a verbose result.
constexpr int lineFeedWaitMs = 20;

} // namespace

Modem::Modem(Comport &port, QObject *parent)
    : QObject(parent)
    , port_(port)
{
    timeout_.setSingleShot(true);
    lineEnd_.setSingleShot(true);
    lineEnd_.setInterval(lineFeedWaitMs);
    hangupTimer_.setSingleShot(true);
    // A coarse timer may fire early, and the guard times are minimums.
    hangupTimer_.setTimerType(Qt::PreciseTimer);
    connect(&timeout_, &QTimer::timeout, this, &Modem::onTimeout);
    connect(&lineEnd_, &QTimer::timeout, this, [this] {
        lineAtCr_ = false;
        takeLine('\r');
    });
    connect(&hangupTimer_, &QTimer::timeout, this, &Modem::stepHangup);
    // The guard time before "+++" is silence: anything sent restarts it.
    connect(&port_, &Comport::sent, this, [this] {
        if (hangupStep_ == HangupStep::GuardBefore)
            hangupTimer_.start(guardWait());
    });
}

Modem::~Modem() = default;

bool Modem::setEnabled(bool on)
{
    if (!on) {
        watcher_.reset();
        enabled_ = false;
        connected_ = false;
        waiting_ = Waiting::Nothing;
        hangupStep_ = HangupStep::None;
        answerRings_ = 0;
        line_.clear();
        lineAtCr_ = false;
        timeout_.stop();
        lineEnd_.stop();
        hangupTimer_.stop();
        return true;
    }
    if (port_.deviceLayer() == DeviceLayer::Socket) {
        lastError_ = tr("The modem works only on a serial port");
        return false;
    }
    if (!enabled_)
        watcher_ = port_.events().data.attach(
            HandlerStage::Watchers, [this](const QByteArray &bytes, qint64) { return onData(bytes); });
    enabled_ = true;
    return true;
}

bool Modem::isEnabled() const
{
    return enabled_;
}

ModemCommands &Modem::commands()
{
    return commands_;
}

void Modem::setDialCommand(const QString &command)
{
    commands_.dial = command;
}

bool Modem::isConnected() const
{
    return connected_;
}

void Modem::sendCommand(const QString &caretText)
{
    put(caretText);
    expect(Waiting::Command, static_cast<int>(Ticks::toMs(commandTimeoutTicks)));
}

void Modem::dial(const QString &number)
{
    answerRings_ = 0;
    put(commands_.dial + number + commands_.dialTerminator);
    expect(Waiting::Dial, callTimeoutMs_);
}

void Modem::cancelDial()
{
    if (waiting_ != Waiting::Dial)
        return;
    put(commands_.dialCancel);
    expect(Waiting::CancelledDial, static_cast<int>(Ticks::toMs(commandTimeoutTicks)));
}

void Modem::answerAfter(int rings)
{
    answerRings_ = qMax(1, rings);
    ringsSeen_ = 0;
}

void Modem::hangup()
{
    connected_ = false;
    answerRings_ = 0;
    waiting_ = Waiting::Nothing;
    timeout_.stop();
    const bool byDtr = commands_.hangup.trimmed().compare(QLatin1String("DTR"), Qt::CaseInsensitive) == 0;
    if (byDtr && port_.modemLines().has_value() && port_.setDtr(false)) {
        hangupStep_ = HangupStep::DtrLow;
        hangupTimer_.start(static_cast<int>(Ticks::toMs(dtrDropTicks)));
        return;
    }
    hangupStep_ = HangupStep::GuardBefore;
    hangupTimer_.start(guardWait());
}

void Modem::stepHangup()
{
    switch (hangupStep_) {
    case HangupStep::DtrLow:
        hangupStep_ = HangupStep::None;
        port_.setDtr(true);
        emit commandProcessed(0);
        break;
    case HangupStep::GuardBefore:
        put(QStringLiteral("+++"));
        hangupStep_ = HangupStep::GuardAfter;
        hangupTimer_.start(guardWait());
        break;
    case HangupStep::GuardAfter:
        hangupStep_ = HangupStep::None;
        sendCommand(hangupCommand());
        break;
    case HangupStep::None:
        break;
    }
}

// The modem measures its guard silence from when it sees the bytes, a little
// after they leave here: wait a margin longer so "+++" is never taken for data.
int Modem::guardWait() const
{
    return guardMs_ + guardMs_ / 4 + 50;
}

QString Modem::hangupCommand() const
{
    const QString command = commands_.hangup.trimmed();
    return command.compare(QLatin1String("DTR"), Qt::CaseInsensitive) == 0 ? QStringLiteral("ATH0^M")
                                                                           : commands_.hangup;
}

void Modem::put(const QString &caretText)
{
    lastSent_ = caretText;
    port_.putBlock(CaretNotation::decode(caretText));
}

void Modem::expect(Waiting what, int ms)
{
    waiting_ = what;
    timeout_.start(ms);
}

bool Modem::onData(const QByteArray &bytes)
{
    for (const char c : bytes) {
        lastByte_ = static_cast<unsigned char>(c);
        if (lineAtCr_) {
            lineAtCr_ = false;
            lineEnd_.stop();
            takeLine(c == '\n' ? '\n' : '\r');
            if (c == '\n')
                continue;
        }
        if (c == '\r')
            lineAtCr_ = !line_.isEmpty() || lineOverlong_;
        else if (c == '\n')
            takeLine('\n');
        else if (line_.size() < maxResultLine)
            line_ += c;
        else
            lineOverlong_ = true;
    }
    if (lineAtCr_)
        lineEnd_.start();
    // A watcher: the terminal and everyone else still get the data.
    return false;
}

void Modem::takeLine(int lastByte)
{
    const QByteArray line = line_.trimmed();
    const bool overlong = lineOverlong_;
    line_.clear();
    lineOverlong_ = false;
    if (line.isEmpty() || overlong)
        return;
    if (connected_) {
        // In data mode only the modem's own NO CARRIER on a line of its own matters.
        if (line == "NO CARRIER") {
            connected_ = false;
            emit resultText(QString::fromLatin1(line));
            emit carrierLost();
        }
        return;
    }
    if (const auto result = ModemResult::parse(line))
        onResult(*result, QString::fromLatin1(line), lastByte);
}

void Modem::onResult(const ModemResult &result, const QString &line, int lastByte)
{
    // A numeric code is shown as the words it stands for.
    if (result.numeric)
        emit resultText(
            result.speed ? QStringLiteral("%1 %2").arg(result.text).arg(result.speed) : result.text);
    else
        emit resultText(line);
    // The modem's answer to "+++" is no command's result.
    if (hangupStep_ != HangupStep::None)
        return;
    if (result.kind == ModemResult::Kind::Ring) {
        if (answerRings_ > 0 && waiting_ == Waiting::Nothing && ++ringsSeen_ >= answerRings_) {
            put(commands_.answer);
            expect(Waiting::Answer, callTimeoutMs_);
        }
        return;
    }
    if (result.kind == ModemResult::Kind::Connect) {
        onConnect(result, lastByte);
        return;
    }
    switch (waiting_) {
    case Waiting::Dial:
        waiting_ = Waiting::Nothing;
        timeout_.stop();
        emit connectFailed(result.text);
        break;
    case Waiting::Answer:
        // The caller went away before the call came up: wait for the next one.
        waiting_ = Waiting::Nothing;
        timeout_.stop();
        ringsSeen_ = 0;
        break;
    case Waiting::CancelledDial:
        waiting_ = Waiting::Nothing;
        timeout_.stop();
        break;
    case Waiting::Command:
        finishCommand(lastByte);
        break;
    case Waiting::Nothing:
        break;
    }
}

void Modem::onConnect(const ModemResult &result, int lastByte)
{
    const Waiting was = waiting_;
    waiting_ = Waiting::Nothing;
    timeout_.stop();
    lastConnect_ = result;
    connected_ = true;
    if (was == Waiting::CancelledDial) {
        // The call came up as the user cancelled it.
        hangup();
        return;
    }
    answerRings_ = 0;
    if (result.speed > 0)
        emit lineSpeed(result.speed);
    emit connected();
    if (was != Waiting::Dial)
        emit isConnectedEvent();
    if (was == Waiting::Command)
        emit commandProcessed(lastByte);
}

void Modem::finishCommand(int lastByte)
{
    waiting_ = Waiting::Nothing;
    timeout_.stop();
    emit commandProcessed(lastByte);
}

void Modem::onTimeout()
{
    const Waiting was = waiting_;
    waiting_ = Waiting::Nothing;
    switch (was) {
    case Waiting::Command:
        emit commandFailed(tr("No answer from the modem to %1").arg(lastSent_));
        emit commandProcessed(0);
        break;
    case Waiting::Dial:
        emit commandFailed(tr("No result from the modem for the dial"));
        put(commands_.dialCancel);
        emit connectFailed(QString());
        break;
    case Waiting::Answer:
        emit commandFailed(tr("No connection after answering"));
        put(commands_.dialCancel);
        ringsSeen_ = 0;
        break;
    case Waiting::CancelledDial:
    case Waiting::Nothing:
        break;
    }
}
