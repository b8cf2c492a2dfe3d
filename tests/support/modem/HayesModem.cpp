#include "HayesModem.h"

#include <QDebug>
#include <QRandomGenerator>
#include <QTcpSocket>

#include <cctype>

namespace {

const char *resultText(int code)
{
    switch (code) {
    case 0:
        return "OK";
    case 1:
        return "CONNECT";
    case 2:
        return "RING";
    case 3:
        return "NO CARRIER";
    case 4:
        return "ERROR";
    case 6:
        return "NO DIALTONE";
    case 7:
        return "BUSY";
    default:
        return "NO ANSWER";
    }
}

// Identification texts for I0..I4.
const char *identification(int n)
{
    static const char *const texts[]
        = {"33600", "000", "OK", "Tarnex test modem 1.0", "Hayes AT emulator on TCP"};
    return texts[n];
}

// Reads a decimal number at *i; 0 when there is none.
int numberAt(const QByteArray &text, qsizetype *i)
{
    int value = 0;
    while (*i < text.size() && std::isdigit(static_cast<unsigned char>(text.at(*i))) && value < 100000)
        value = value * 10 + (text.at((*i)++) - '0');
    return value;
}

} // namespace

HayesModem::HayesModem(const ModemOptions &options, CallTable *table, Writer toTerminal)
    : options_(options)
    , table_(table)
    , toTerminal_(std::move(toTerminal))
{
    reset();
    ringTimer_.setInterval(options_.ringMs);
    connect(&ringTimer_, &QTimer::timeout, this, &HayesModem::ring);
    dialTimer_.setSingleShot(true);
    connect(&dialTimer_, &QTimer::timeout, this, [this] { endDial(dialResult_); });
    guardTimer_.setSingleShot(true);
    connect(&guardTimer_, &QTimer::timeout, this, [this] {
        if (plusCount_ != 3)
            return;
        plusCount_ = 0;
        state_ = State::OnlineCommand;
        log(QStringLiteral("escape: command mode, call kept"));
        result(Ok);
    });
}

void HayesModem::reset()
{
    echo_ = true;
    quiet_ = false;
    verbose_ = true;
    resultLevel_ = 4;
    sreg_.fill(0);
    sreg_[2] = '+';
    sreg_[3] = '\r';
    sreg_[4] = '\n';
    sreg_[5] = '\b';
    sreg_[6] = 2;
    sreg_[7] = 3;
    sreg_[8] = 2;
    sreg_[10] = 14;
    sreg_[12] = std::max(1, options_.guardMs / 20);
}

void HayesModem::log(const QString &text) const
{
    qInfo().noquote() << "modem:" << text;
}

void HayesModem::fromTerminal(const QByteArray &bytes)
{
    if (options_.mute) {
        log(QStringLiteral("mute, ignored: ") + QString::fromLatin1(bytes.toHex(' ')));
        return;
    }
    if (options_.garbage) {
        for (const char c : bytes)
            if (c == '\r')
                sendGarbage();
        return;
    }
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        switch (state_) {
        case State::Online:
            onlineBytes(bytes.mid(i));
            return;
        case State::Dialling:
            if (bytes.at(i) == static_cast<char>(sreg_[4]))
                break; // the line feed after the dial command's CR
            log(QStringLiteral("dial cancelled by a key"));
            endDial(NoCarrier);
            return; // the key itself is consumed
        case State::Command:
        case State::OnlineCommand:
            commandByte(bytes.at(i));
            break;
        }
    }
}

void HayesModem::commandByte(char c)
{
    if (c == static_cast<char>(sreg_[5])) {
        if (!line_.isEmpty()) {
            line_.chop(1);
            if (echo_)
                toTerminal_(QByteArray("\b \b"));
        }
        return;
    }
    if (echo_)
        toTerminal_(QByteArray(1, c));
    if (c == static_cast<char>(sreg_[3])) {
        const QByteArray line = line_;
        line_.clear();
        execute(line);
        return;
    }
    if (c == static_cast<char>(sreg_[4]) && line_.isEmpty())
        return;
    line_.append(c);
    if (line_.toUpper() == "A/") {
        line_.clear();
        log(QStringLiteral("repeat: ") + QString::fromLatin1(lastLine_));
        execute(lastLine_);
    }
}

void HayesModem::execute(const QByteArray &line)
{
    const qsizetype at = line.toUpper().indexOf("AT");
    if (at < 0)
        return; // not a command: a modem ignores it
    lastLine_ = line.mid(at);
    log(QStringLiteral("command: ") + QString::fromLatin1(lastLine_));
    QByteArray info;
    switch (runCommands(lastLine_.mid(2), &info)) {
    case LineEnd::Ok:
        toTerminal_(info);
        result(Ok);
        return;
    case LineEnd::Error:
        result(Error);
        return;
    case LineEnd::Handled:
        return;
    }
}

// Runs the commands after "AT"; Error for any it does not know. A dial, an
// answer or a return to data mode ends the line and gives its own result.
HayesModem::LineEnd HayesModem::runCommands(const QByteArray &commands, QByteArray *info)
{
    const QByteArray text = commands.toUpper();
    qsizetype i = 0;
    while (i < text.size()) {
        const char command = text.at(i++);
        if (command == ' ')
            continue;
        if (command == 'D') {
            if (call_)
                return LineEnd::Error;
            QString number = QString::fromLatin1(text.mid(i)).trimmed();
            if (number.startsWith(QLatin1Char('T')) || number.startsWith(QLatin1Char('P')))
                number.remove(0, 1);
            if (number.endsWith(QLatin1Char(';')))
                number.chop(1);
            dial(number);
            return LineEnd::Handled;
        }
        if (command == 'A') {
            answer();
            return LineEnd::Handled;
        }
        if (command == '&') {
            if (i >= text.size())
                return LineEnd::Error;
            const char which = text.at(i++);
            numberAt(text, &i);
            if (which == 'F') {
                hangUp();
                reset();
            } else if (!QByteArray("CDKSW").contains(which)) {
                return LineEnd::Error;
            }
            continue;
        }
        if (command == 'S') {
            const int reg = numberAt(text, &i);
            if (reg > 255 || i >= text.size())
                return LineEnd::Error;
            const char op = text.at(i++);
            if (op == '?') {
                *info += QByteArray("\r\n") + QByteArray::number(sreg_[reg]).rightJustified(3, '0') + "\r\n";
            } else if (op == '=') {
                const int value = numberAt(text, &i);
                if (value > 255)
                    return LineEnd::Error;
                sreg_[reg] = value;
                log(QStringLiteral("S%1=%2").arg(reg).arg(value));
            } else {
                return LineEnd::Error;
            }
            continue;
        }
        const int value = numberAt(text, &i);
        switch (command) {
        case 'E':
        case 'Q':
        case 'V':
            if (value > 1)
                return LineEnd::Error;
            (command == 'E' ? echo_ : command == 'Q' ? quiet_ : verbose_) = value == 1;
            break;
        case 'X':
            if (value > 4)
                return LineEnd::Error;
            resultLevel_ = value;
            break;
        case 'L':
        case 'M':
            if (value > 3)
                return LineEnd::Error;
            break;
        case 'H':
            if (value > 1)
                return LineEnd::Error;
            if (value == 0)
                hangUp();
            break;
        case 'Z':
            hangUp();
            reset();
            break;
        case 'I':
            if (value > 4)
                return LineEnd::Error;
            *info += QByteArray("\r\n") + identification(value) + "\r\n";
            break;
        case 'O':
            if (call_ && !ringing_)
                goOnline();
            else
                result(NoCarrier);
            return LineEnd::Handled;
        default:
            return LineEnd::Error;
        }
    }
    return LineEnd::Ok;
}

void HayesModem::result(Result code)
{
    // Lower result levels hide what the modem could not tell apart.
    if (resultLevel_ == 0 && code == NoAnswer)
        code = NoCarrier;
    if ((code == Busy && resultLevel_ < 3) || (code == NoDialtone && (resultLevel_ < 2 || resultLevel_ == 3)))
        code = NoCarrier;
    QByteArray text = resultText(code);
    if (code == Connect && resultLevel_ > 0)
        text += ' ' + QByteArray::number(options_.speed) + options_.connectSuffix.toLatin1();
    log(QStringLiteral("result: ") + QString::fromLatin1(text)
        + (quiet_ ? QStringLiteral(" (quiet)") : QString()));
    if (quiet_)
        return;
    toTerminal_(verbose_ ? QByteArray("\r\n") + text + "\r\n" : QByteArray::number(code) + '\r');
}

void HayesModem::dial(const QString &number)
{
    const CallOutcome outcome = table_->dial(number);
    log(QStringLiteral("dialling \"%1\"").arg(number));
    state_ = State::Dialling;
    const int waitMs = sreg_[7] * 1000;
    switch (outcome.kind) {
    case CallOutcome::Connect: {
        log(QStringLiteral("calling %1:%2").arg(outcome.host).arg(outcome.port));
        auto *socket = new QTcpSocket(this);
        attachCall(socket);
        connect(socket, &QTcpSocket::connected, this, [this] {
            dialTimer_.stop();
            goOnline();
        });
        dialResult_ = NoCarrier;
        dialTimer_.start(waitMs);
        socket->connectToHost(outcome.host, outcome.port);
        return;
    }
    case CallOutcome::NoAnswer:
        dialResult_ = NoAnswer;
        dialTimer_.start(waitMs);
        return;
    case CallOutcome::Silent:
        log(QStringLiteral("silent: no result until a key is pressed"));
        return;
    case CallOutcome::Garbage:
        state_ = State::Command;
        sendGarbage();
        return;
    case CallOutcome::Busy:
        dialResult_ = Busy;
        break;
    case CallOutcome::NoCarrier:
        dialResult_ = NoCarrier;
        break;
    case CallOutcome::NoDialtone:
        dialResult_ = NoDialtone;
        break;
    case CallOutcome::Error:
        dialResult_ = Error;
        break;
    }
    dialTimer_.start(100);
}

void HayesModem::endDial(Result code)
{
    dialTimer_.stop();
    hangUp();
    result(code);
}

void HayesModem::attachCall(QTcpSocket *socket)
{
    socket->setParent(this);
    call_ = socket;
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
        if (state_ == State::Online)
            toTerminal_(socket->readAll()); // otherwise kept for ATO
    });
    connect(socket, &QTcpSocket::disconnected, this, &HayesModem::callClosed);
    connect(socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        if (error == QAbstractSocket::RemoteHostClosedError)
            return; // disconnected follows
        log(QStringLiteral("call failed: ") + call_->errorString());
        if (state_ == State::Dialling)
            endDial(NoCarrier);
    });
}

void HayesModem::goOnline()
{
    state_ = State::Online;
    plusCount_ = 0;
    sinceTerminalData_.restart();
    log(QStringLiteral("online"));
    result(Connect);
    if (call_->bytesAvailable() > 0)
        toTerminal_(call_->readAll());
}

void HayesModem::hangUp()
{
    ringTimer_.stop();
    guardTimer_.stop();
    ringing_ = false;
    state_ = State::Command;
    if (!call_)
        return;
    log(QStringLiteral("hang up"));
    QTcpSocket *socket = call_;
    call_ = nullptr;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

void HayesModem::incoming(QTcpSocket *caller)
{
    if (call_ || state_ != State::Command || options_.mute || options_.garbage) {
        log(QStringLiteral("incoming call refused: line busy"));
        caller->abort();
        caller->deleteLater();
        return;
    }
    log(QStringLiteral("incoming call from ") + caller->peerAddress().toString());
    attachCall(caller);
    ringing_ = true;
    sreg_[1] = 0;
    ringTimer_.start();
    ring();
}

void HayesModem::ring()
{
    ++sreg_[1];
    result(Ring);
    if (sreg_[0] > 0 && sreg_[1] >= sreg_[0]) {
        log(QStringLiteral("auto-answer after %1 rings").arg(sreg_[1]));
        answer();
    }
}

void HayesModem::answer()
{
    if (!ringing_) {
        log(QStringLiteral("answer: no call"));
        result(NoCarrier);
        return;
    }
    ringing_ = false;
    ringTimer_.stop();
    goOnline();
}

// Data for the far end; "+++" alone between two guard times returns to
// command mode.
void HayesModem::onlineBytes(const QByteArray &bytes)
{
    const int guard = guardMs();
    for (const char c : bytes) {
        const bool quietBefore = sinceTerminalData_.elapsed() >= guard;
        sinceTerminalData_.restart();
        if (c != static_cast<char>(sreg_[2]))
            plusCount_ = 0;
        else if (plusCount_ > 0 && plusCount_ < 3 && (guard == 0 || !quietBefore))
            ++plusCount_;
        else
            plusCount_ = quietBefore ? 1 : 0;
        if (plusCount_ == 3)
            guardTimer_.start(guard);
        else
            guardTimer_.stop();
    }
    call_->write(bytes);
}

void HayesModem::callClosed()
{
    if (state_ == State::Dialling)
        return; // the dial's own error reports it
    if (ringing_) {
        log(QStringLiteral("caller hung up before the answer"));
        hangUp();
        return;
    }
    log(QStringLiteral("far end closed"));
    hangUp();
    result(NoCarrier);
}

// High bytes only, so that no result code can appear by chance.
void HayesModem::sendGarbage()
{
    QByteArray bytes(32, '\0');
    for (char &b : bytes)
        b = static_cast<char>(0x80 + QRandomGenerator::global()->bounded(0x80));
    log(QStringLiteral("garbage sent"));
    toTerminal_(bytes);
}
