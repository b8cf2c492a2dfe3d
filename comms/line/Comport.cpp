#include "comms/line/Comport.h"

#include "comms/line/SerialLine.h"
#include "comms/line/SocketLine.h"
#include "shell/Ticks.h"

#ifdef Q_OS_UNIX
#include <netdb.h>
#endif

namespace {

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
