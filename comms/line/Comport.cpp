#include "comms/line/Comport.h"

#include "comms/events/NestedLoop.h"
#include "comms/line/SerialLine.h"
#include "comms/line/SocketLine.h"
#include "comms/line/TextMatcher.h"
#include "shell/Ticks.h"

#include <QDeadlineTimer>
#include <QPointer>
#include <QScopeGuard>

#ifdef Q_OS_UNIX
#include <netdb.h>
#endif

namespace {

// Most bytes handed to the device at once; the rest waits in the port's own
// queue, where a flush can still reach it.
constexpr qint64 deviceChunk = 4096;
constexpr int modemPollMs = 100;

qint64 defaultFull()
{
    return Comport::bufferSize * 9 / 10;
}

qint64 defaultResume()
{
    return Comport::bufferSize * 8 / 10;
}

} // namespace

Comport::Comport(QObject *parent)
    : QObject(parent)
    , bufferFull_(defaultFull())
    , bufferResume_(defaultResume())
    , log_(QStringLiteral("Comport.Log"))
    , trace_(QStringLiteral("Comport.Trc"))
{
    breakTimer_.setSingleShot(true);
    breakTimer_.setTimerType(Qt::PreciseTimer);
    connect(&breakTimer_, &QTimer::timeout, this, &Comport::releaseBreak);
    modemPoll_.setInterval(modemPollMs);
    connect(&modemPoll_, &QTimer::timeout, this, &Comport::pollModemLines);
    connect(&triggers_, &TriggerTable::timerFired, this, [this](int handle) {
        post({EventType::Trigger, TriggerKind::Timer, handle, {}, {}}, false);
    });
    events_.setFailureReport([this](const QString &reason) {
        fail(ComportCode::HandlerFailed,
            reason.isEmpty() ? tr("An event handler failed") : tr("An event handler failed: %1").arg(reason));
    });
}

Comport::~Comport()
{
    if (device_) {
        device_->disconnect(this);
        device_->close();
    }
}

// ---- configuration ----

void Comport::setComNumber(int number)
{
    comNumber_ = number;
    devicePath_.clear();
}

QString Comport::devicePath() const
{
    return devicePath_.isEmpty() ? ComDevices::devicePath(comNumber_, deviceOverride_) : devicePath_;
}

void Comport::applySerial()
{
    if (serialLine_)
        serialLine_->setSettings(serial_);
}

void Comport::setBaud(qint32 value)
{
    serial_.baud = value;
    applySerial();
}

void Comport::setParity(int value)
{
    serial_.parity = value;
    applySerial();
}

void Comport::setDataBits(int value)
{
    serial_.dataBits = value;
    applySerial();
}

void Comport::setStopBits(int value)
{
    serial_.stopBits = value;
    applySerial();
}

void Comport::setHardwareFlow(int value)
{
    serial_.hardwareFlow = value;
    applySerial();
}

void Comport::setSoftwareFlow(SoftwareFlow value)
{
    serial_.softwareFlow = value;
    applySerial();
}

void Comport::setXonChar(char value)
{
    serial_.xon = value;
    applySerial();
}

void Comport::setXoffChar(char value)
{
    serial_.xoff = value;
    applySerial();
}

void Comport::setBufferFull(qint64 level)
{
    bufferFull_ = level > 0 ? qMin(level, bufferSize) : defaultFull();
}

void Comport::setBufferResume(qint64 level)
{
    bufferResume_ = level > 0 ? qMin(level, bufferSize) : defaultResume();
}

void Comport::setTerminalType(const QByteArray &name)
{
    terminalType_ = name;
    if (socketLine_)
        socketLine_->setTerminalType(name);
}

void Comport::setWindowSize(int columns, int rows)
{
    columns_ = columns;
    rows_ = rows;
    if (socketLine_)
        socketLine_->setWindowSize(columns, rows);
}

quint16 Comport::listeningPort() const
{
    return socketLine_ ? socketLine_->listeningPort() : 0;
}

QString Comport::peerAddress() const
{
    return socketLine_ ? socketLine_->peerAddress() : QString();
}

quint16 Comport::peerPort() const
{
    return socketLine_ ? socketLine_->peerPort() : 0;
}

bool Comport::remoteEchoes() const
{
    return socketLine_ && socketLine_->remoteEchoes();
}

bool Comport::telnetBinary() const
{
    return socketLine_ && socketLine_->binary();
}

quint16 Comport::resolvePort() const
{
    bool numeric = false;
    const uint number = socketPort_.trimmed().toUInt(&numeric);
    if (numeric && number <= 65535)
        return static_cast<quint16>(number);
#ifdef Q_OS_UNIX
    if (const servent *service = getservbyname(socketPort_.trimmed().toLatin1().constData(), "tcp"))
        return ntohs(static_cast<uint16_t>(service->s_port));
#endif
    if (socketPort_.trimmed().compare(QLatin1String("telnet"), Qt::CaseInsensitive) == 0)
        return 23;
    throw ComportError(ComportCode::BadSetting, tr("Unknown socket port or service: %1").arg(socketPort_));
}

// ---- open and close ----

std::unique_ptr<LineDevice> Comport::makeDevice()
{
    if (layer_ == DeviceLayer::Socket) {
        const quint16 port = resolvePort();
        auto line = std::make_unique<SocketLine>();
        line->setAddress(socketAddress_.trimmed());
        line->setPort(port);
        line->setMode(socketMode_);
        line->setTelnet(telnet_);
        line->setTerminalType(terminalType_);
        line->setWindowSize(columns_, rows_);
        socketLine_ = line.get();
        return line;
    }
    auto line = std::make_unique<SerialLine>();
    line->setDevicePath(devicePath());
    line->setSettings(serial_);
    serialLine_ = line.get();
    return line;
}

void Comport::open()
{
    close();
    std::unique_ptr<LineDevice> device;
    try {
        device = makeDevice();
        device->open();
    } catch (const ComportError &error) {
        serialLine_ = nullptr;
        socketLine_ = nullptr;
        lastErrorCode_ = error.code();
        lastError_ = error.message();
        log_.note(QStringLiteral("Open failed (%1): %2").arg(error.code()).arg(error.message()));
        throw;
    }
    device_ = std::move(device);
    device_->setParent(this);
    connect(device_.get(), &LineDevice::readyRead, this, &Comport::readDevice);
    connect(device_.get(), &LineDevice::bytesWritten, this, &Comport::onBytesWritten);
    connect(device_.get(), &LineDevice::connected, this, [this] {
        post({EventType::Connected, {}, 0, {}, {}}, true);
        pollModemLines();
    });
    connect(device_.get(), &LineDevice::accepted, this, [this] {
        post({EventType::Accepted, {}, 0, {}, {}}, true);
        pollModemLines();
        readDevice();
    });
    if (socketLine_)
        connect(socketLine_, &SocketLine::negotiated, this, [this] {
            post({EventType::Negotiated, {}, 0, {}, {}}, false);
        });
    connect(device_.get(), &LineDevice::disconnected, this, &Comport::onDeviceGone);
    connect(device_.get(), &LineDevice::failed, this, [this](int code, const QString &message) {
        fail(code, message);
        post({EventType::Error, {}, code, {}, message}, true);
    });
    lastModemLines_ = device_->modemLines().value_or(0);
    log_.note(layer_ == DeviceLayer::Socket
            ? QStringLiteral("Open socket %1:%2").arg(socketAddress_, socketPort_)
            : QStringLiteral("Open %1 at %2 baud").arg(devicePath()).arg(serial_.baud));
    updateModemPolling();
    emit openChanged(true);
}

void Comport::close()
{
    if (!device_)
        return;
    std::unique_ptr<LineDevice> device = std::move(device_);
    serialLine_ = nullptr;
    socketLine_ = nullptr;
    device->disconnect(this);
    device->close();
    device.release()->deleteLater();
    clearOutput();
    breakTimer_.stop();
    modemPoll_.stop();
    readingStopped_ = false;
    log_.note(QStringLiteral("Close"));
    emit openChanged(false);
}

bool Comport::isOpen() const
{
    return device_ && device_->isOpen();
}

bool Comport::requireOpen()
{
    return isOpen() || fail(ComportCode::NotOpen, tr("The port is not open"));
}

bool Comport::fail(int code, const QString &message)
{
    lastErrorCode_ = code;
    lastError_ = message;
    log_.note(QStringLiteral("Error %1: %2").arg(code).arg(message));
    emit errorOccurred(code, message);
    return false;
}

template <typename Call> void Comport::guarded(Call &&call)
{
    try {
        call();
    } catch (const std::exception &error) {
        fail(ComportCode::HandlerFailed,
            tr("An event handler failed: %1").arg(QString::fromLocal8Bit(error.what())));
    } catch (...) {
        fail(ComportCode::HandlerFailed, tr("An event handler failed"));
    }
}

void Comport::onDeviceGone()
{
    // Keep every byte the device received. A server goes on listening for
    // the next client; any other device has closed itself.
    bool closed = true;
    if (device_) {
        while (device_->hasInput() && !pull(bufferSize).isEmpty()) { }
        closed = !device_->isOpen();
        if (closed) {
            device_->disconnect(this);
            device_.release()->deleteLater();
            serialLine_ = nullptr;
            socketLine_ = nullptr;
        }
    }
    clearOutput();
    breakTimer_.stop();
    modemPoll_.stop();
    log_.note(QStringLiteral("Disconnected"));
    for (int handle : triggers_.modemLinesChanged(0))
        queue_.push_back({EventType::Trigger, TriggerKind::Status, handle, {}, {}});
    lastModemLines_ = 0;
    post({EventType::Disconnected, {}, closed ? 1 : 0, {}, {}}, true);
}

// ---- modem lines ----

bool Comport::setDtr(bool on)
{
    if (!requireOpen())
        return false;
    return device_->setDtr(on) || fail(ComportCode::Unsupported, device_->lastError());
}

bool Comport::setRts(bool on)
{
    if (!requireOpen())
        return false;
    return device_->setRts(on) || fail(ComportCode::Unsupported, device_->lastError());
}

std::optional<int> Comport::modemLines() const
{
    return device_ ? device_->modemLines() : std::nullopt;
}

bool Comport::dcd() const
{
    return modemLines().value_or(0) & ModemLine::Dcd;
}

void Comport::updateModemPolling()
{
    // Serial lines are polled only while a status trigger watches them;
    // a socket reports its carrier by connecting and disconnecting.
    if (serialLine_ && triggers_.watchesModemLines())
        modemPoll_.start();
    else
        modemPoll_.stop();
}

void Comport::pollModemLines()
{
    if (!device_)
        return;
    const int lines = device_->modemLines().value_or(lastModemLines_);
    if (lines == lastModemLines_)
        return;
    lastModemLines_ = lines;
    for (int handle : triggers_.modemLinesChanged(lines))
        post({EventType::Trigger, TriggerKind::Status, handle, {}, {}}, true);
    updateModemPolling();
}

// ---- output ----

bool Comport::putString(const QString &text)
{
    return putBlock(text.toLatin1());
}

bool Comport::putBlock(const QByteArray &bytes)
{
    if (isOpen() && outBuffUsed() >= bufferSize)
        return fail(ComportCode::OutputFull, tr("The output buffer is full: the other side is not reading"));
    return queueBlock(bytes);
}

bool Comport::queueBlock(const QByteArray &bytes)
{
    if (!requireOpen())
        return false;
    if (bytes.isEmpty())
        return true;
    log_.record(PortRecorder::Direction::Sent, bytes);
    trace_.record(PortRecorder::Direction::Sent, bytes);
    output_.append(bytes);
    emit sent(bytes);
    pumpOutput();
    return true;
}

qint64 Comport::outBuffUsed() const
{
    return output_.size() - outputHead_ + (device_ ? device_->bytesToWrite() : 0);
}

void Comport::clearOutput()
{
    output_.clear();
    outputHead_ = 0;
}

void Comport::pumpOutput()
{
    if (!device_ || inBreak() || outputHead_ == output_.size())
        return;
    const qint64 room = deviceChunk - device_->bytesToWrite();
    if (room <= 0)
        return;
    const QByteArray chunk = output_.mid(outputHead_, room);
    outputHead_ += chunk.size();
    // The sent part is dropped when it is all gone or outweighs the rest,
    // so a large block is not copied again for every chunk.
    if (outputHead_ == output_.size())
        clearOutput();
    else if (outputHead_ > output_.size() / 2) {
        output_.remove(0, outputHead_);
        outputHead_ = 0;
    }
    device_->write(chunk);
}

void Comport::onBytesWritten()
{
    pumpOutput();
    checkOutputFree();
}

void Comport::checkOutputFree()
{
    for (int handle : triggers_.outputFree(outBuffFree()))
        post({EventType::OutputFree, TriggerKind::Status, handle, {}, {}}, true);
    if (outBuffUsed() == 0)
        post({EventType::Drained, {}, 0, {}, {}}, true);
}

void Comport::flushOutBuffer()
{
    clearOutput();
    if (device_)
        device_->discardOutput();
    QMetaObject::invokeMethod(this, &Comport::checkOutputFree, Qt::QueuedConnection);
}

// ---- break ----

bool Comport::sendBreak(qint64 ticks, bool yield)
{
    if (!requireOpen())
        return false;
    if (!device_->setBreak(true))
        return fail(ComportCode::Unsupported, device_->lastError());
    log_.note(QStringLiteral("Break for %1 ticks").arg(ticks));
    breakTimer_.start(static_cast<int>(qMax<qint64>(1, Ticks::toMs(ticks))));
    if (yield) {
        NestedLoop loop(this);
        loop.quitOn(&breakTimer_, &QTimer::timeout);
        loop.quitOn(this, &Comport::openChanged);
        loop.run(-1);
    }
    return true;
}

void Comport::releaseBreak()
{
    if (device_)
        device_->setBreak(false);
    pumpOutput();
}

// ---- input ----

QByteArray Comport::pull(qint64 budget)
{
    if (!device_ || budget <= 0)
        return {};
    QByteArray bytes = device_->read(budget);
    if (bytes.isEmpty())
        return bytes;
    log_.record(PortRecorder::Direction::Received, bytes);
    trace_.record(PortRecorder::Direction::Received, bytes);
    if (waiter_ && !waiter_->matched && waiter_->matcher.findIn(bytes) >= 0) {
        waiter_->matched = true;
        if (waiter_->loop)
            waiter_->loop->quit();
    }
    queuedInput_ += bytes.size();
    queue_.push_back({EventType::Data, {}, 0, bytes, {}});
    return bytes;
}

qint64 Comport::inputRoom() const
{
    if (events_.data.holds(HandlerStage::Claim))
        return bufferSize;
    const qint64 waiting = input_.size() + queuedInput_;
    return waiting >= bufferFull_ ? 0 : bufferSize - waiting;
}

void Comport::readDevice()
{
    // Reading stops while the buffer is over its full level, so the device
    // (and through it the sender) holds data back instead of losing it.
    while (device_ && device_->hasInput()) {
        if (inputRoom() <= 0) {
            readingStopped_ = true;
            break;
        }
        if (pull(inputRoom()).isEmpty())
            break;
    }
    dispatch();
}

void Comport::inputConsumed()
{
    if (readingStopped_ && input_.size() + queuedInput_ <= bufferResume_) {
        readingStopped_ = false;
        QMetaObject::invokeMethod(this, &Comport::readDevice, Qt::QueuedConnection);
    }
}

int Comport::getChar()
{
    if (input_.isEmpty())
        return -1;
    const auto byte = static_cast<unsigned char>(input_.front());
    input_.remove(0, 1);
    inputConsumed();
    return byte;
}

int Comport::peekChar(qint64 n) const
{
    if (n < 1 || n > input_.size())
        return -1;
    return static_cast<unsigned char>(input_.at(n - 1));
}

QByteArray Comport::getBlock(qint64 maxBytes)
{
    const QByteArray bytes = input_.left(qMax<qint64>(0, maxBytes));
    input_.remove(0, bytes.size());
    inputConsumed();
    return bytes;
}

void Comport::flushInBuffer()
{
    input_.clear();
    inputConsumed();
}

HandlerToken Comport::claimInput(InputClaim claim)
{
    const HandlerToken token
        = events_.data.add(HandlerStage::Claim, [claim](const QByteArray &bytes, qint64) {
              claim(bytes);
              return true;
          });
    if (!token) {
        fail(ComportCode::InputClaimed, tr("The input is already claimed by another transfer"));
        return 0;
    }
    // Bytes not yet read by anyone belong to the new owner, ahead of newer ones.
    QMetaObject::invokeMethod(this, &Comport::readDevice, Qt::QueuedConnection);
    return token;
}

void Comport::releaseInput(HandlerToken token)
{
    events_.data.remove(token);
}

void Comport::handInUnread()
{
    if (input_.isEmpty() || !events_.data.holds(HandlerStage::Claim))
        return;
    const QByteArray unread = std::exchange(input_, {});
    inputConsumed();
    events_.data.dispatchStages(HandlerStage::Claim, HandlerStage::Claim, unread, 0);
}

// ---- events ----

void Comport::post(Event event, bool now)
{
    queue_.push_back(std::move(event));
    if (now)
        dispatch();
    else
        scheduleDispatch();
}

void Comport::scheduleDispatch()
{
    if (dispatchPosted_)
        return;
    dispatchPosted_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            dispatchPosted_ = false;
            dispatch();
        },
        Qt::QueuedConnection);
}

void Comport::dispatch()
{
    if (dispatching_ || holdEvents_)
        return;
    QPointer<Comport> alive(this);
    // Cleared on every way out, unless a handler destroyed the port.
    const auto clear = qScopeGuard([this, alive] {
        if (alive)
            dispatching_ = false;
    });
    dispatching_ = true;
    handInUnread();
    if (!alive)
        return;
    while (!queue_.empty() && !holdEvents_) {
        Event event = std::move(queue_.front());
        queue_.pop_front();
        deliver(event);
        if (!alive)
            return;
    }
}

void Comport::deliver(Event &event)
{
    switch (event.type) {
    case EventType::Data:
        queuedInput_ -= event.bytes.size();
        deliverData(event.bytes);
        break;
    case EventType::Trigger:
        if (triggers_.contains(event.handle))
            fireTrigger(event.kind, event.handle);
        break;
    case EventType::OutputFree:
        if (triggers_.contains(event.handle))
            fireTrigger(TriggerKind::Status, event.handle);
        break;
    case EventType::Drained:
        if (outBuffUsed() == 0)
            guarded([&] { emit outputDrained(); });
        break;
    case EventType::Connected:
        events_.connected.dispatch();
        break;
    case EventType::Accepted:
        events_.accepted.dispatch();
        break;
    case EventType::Negotiated:
        guarded([&] { emit telnetNegotiated(); });
        break;
    case EventType::Disconnected: {
        QPointer<Comport> alive(this);
        if (event.handle)
            guarded([&] { emit openChanged(false); });
        if (alive)
            events_.disconnected.dispatch(event.handle != 0);
        break;
    }
    case EventType::Error:
        events_.error.dispatch(event.handle, event.message);
        break;
    }
}

// Data up to each trigger match is stored before the trigger fires, so a
// handler that claims the input (an automatic download) gets what follows.
void Comport::deliverData(const QByteArray &bytes)
{
    QPointer<Comport> alive(this);
    qsizetype from = 0;
    while (from < bytes.size()) {
        std::vector<int> fired;
        qsizetype end = from;
        if (!triggers_.hasDataTriggers())
            end = bytes.size();
        while (end < bytes.size() && fired.empty())
            fired = triggers_.feed(bytes[end++]);
        store(bytes.mid(from, end - from));
        if (!alive)
            return;
        from = end;
        for (int handle : fired) {
            if (triggers_.contains(handle))
                fireTrigger(TriggerKind::Data, handle);
            if (!alive)
                return;
        }
    }
}

void Comport::store(const QByteArray &bytes)
{
    QPointer<Comport> alive(this);
    guarded([&] { emit received(bytes); });
    if (!alive)
        return;
    if (events_.data.dispatchStages(HandlerStage::Claim, HandlerStage::Claim, bytes, input_.size())) {
        if (alive)
            events_.data.dispatchStages(HandlerStage::Watchers, HandlerStage::Watchers, bytes, input_.size());
        return;
    }
    input_.append(bytes);
    events_.data.dispatchStages(HandlerStage::Waits, HandlerStage::Watchers, bytes, input_.size());
}

void Comport::fireTrigger(TriggerKind kind, int handle)
{
    if (kind == TriggerKind::Data)
        events_.dataTrigger.dispatch(handle);
    else if (kind == TriggerKind::Timer)
        events_.timerTrigger.dispatch(handle);
    else
        events_.statusTrigger.dispatch(handle);
}

// ---- triggers ----

int Comport::addDataTrigger(const QByteArray &text, bool ignoreCase)
{
    try {
        return triggers_.addData(text, ignoreCase);
    } catch (const ComportError &error) {
        fail(error.code(), error.message());
        return 0;
    }
}

int Comport::addTimerTrigger()
{
    try {
        return triggers_.addTimer();
    } catch (const ComportError &error) {
        fail(error.code(), error.message());
        return 0;
    }
}

int Comport::addStatusTrigger(StatusTriggerType type)
{
    try {
        return triggers_.addStatus(type);
    } catch (const ComportError &error) {
        fail(error.code(), error.message());
        return 0;
    }
}

bool Comport::setTimerTrigger(int handle, qint64 ticks, bool active)
{
    return triggers_.setTimer(handle, ticks, active)
        || fail(ComportCode::BadSetting, tr("%1 is not a timer trigger").arg(handle));
}

bool Comport::setStatusTrigger(int handle, int value, bool active)
{
    if (!triggers_.setStatus(handle, value, active, device_ ? device_->modemLines().value_or(0) : 0))
        return fail(ComportCode::BadSetting, tr("%1 is not a status trigger").arg(handle));
    lastModemLines_ = device_ ? device_->modemLines().value_or(0) : 0;
    updateModemPolling();
    // An output-free trigger armed while there is room already fires.
    QMetaObject::invokeMethod(
        this,
        [this] {
            for (int fired : triggers_.outputFree(outBuffFree()))
                post({EventType::OutputFree, TriggerKind::Status, fired, {}, {}}, true);
        },
        Qt::QueuedConnection);
    return true;
}

void Comport::removeTrigger(int handle)
{
    triggers_.remove(handle);
    updateModemPolling();
}

// ---- waiting ----

bool Comport::waitForString(const QByteArray &text, qint64 ticks, bool yield, bool ignoreCase)
{
    if (!isOpen() || text.isEmpty())
        return false;
    Waiter waiter{TextMatcher(text, ignoreCase)};
    Waiter *outer = std::exchange(waiter_, &waiter);
    QPointer<Comport> alive(this);
    const int held = holdEvents_;
    // The wait's state is put back on every way out, unless the port is gone.
    const auto restore = qScopeGuard([this, alive, outer, held] {
        if (alive) {
            waiter_ = outer;
            holdEvents_ = held;
        }
    });
    QDeadlineTimer deadline(Ticks::toMs(ticks), Qt::PreciseTimer);
    if (yield) {
        NestedLoop loop(this);
        waiter.loop = &loop;
        loop.quitOn(this, &Comport::openChanged);
        if (!loop.run(qMax<qint64>(0, deadline.remainingTime())))
            return waiter.matched;
    } else {
        // No event loop: the device is read directly and events are held
        // until the wait is over.
        // The input-buffer limit holds here too: once the buffer is full
        // nothing more can be read, and the wait is over.
        ++holdEvents_;
        while (!waiter.matched && !deadline.hasExpired() && device_ && inputRoom() > 0) {
            if (device_->waitForInput(static_cast<int>(qMax<qint64>(1, deadline.remainingTime()))))
                while (device_ && device_->hasInput() && inputRoom() > 0 && !pull(inputRoom()).isEmpty()) { }
            pumpOutput();
        }
        readingStopped_ = readingStopped_ || inputRoom() <= 0;
        --holdEvents_;
        scheduleDispatch();
    }
    return waiter.matched;
}

void Comport::processCommunications()
{
    if (device_ && device_->waitForInput(0))
        readDevice();
    else
        dispatch();
}

// ---- log and trace ----

void Comport::setLogFolder(const QString &folder)
{
    log_.setFolder(folder);
    trace_.setFolder(folder);
}

bool Comport::setLogging(LogState state)
{
    const bool ok = log_.setState(state);
    if (!ok)
        lastError_ = log_.error();
    return ok;
}

bool Comport::setTracing(LogState state)
{
    const bool ok = trace_.setState(state);
    if (!ok)
        lastError_ = trace_.error();
    return ok;
}
