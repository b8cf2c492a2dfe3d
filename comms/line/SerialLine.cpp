#include "comms/line/SerialLine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <termios.h>
#endif

namespace {

QSerialPort::Parity toParity(int parity)
{
    switch (parity) {
    case 1:
        return QSerialPort::OddParity;
    case 2:
        return QSerialPort::EvenParity;
    case 3:
        return QSerialPort::MarkParity;
    case 4:
        return QSerialPort::SpaceParity;
    default:
        return QSerialPort::NoParity;
    }
}

// Who holds the device, from a lock file that names it: QSerialPort's own
// (path with "/" as "_") or a UUCP-style one (the device name). The first
// line is the process number, the second the program when it says.
QString lockHolder(const QString &path)
{
    const QStringList folders{QStringLiteral("/var/lock"), QStringLiteral("/run/lock"),
        QStringLiteral("/etc/locks"), QStringLiteral("/var/spool/locks"), QStringLiteral("/var/spool/uucp"),
        QDir::tempPath()};
    const QStringList names{
        QStringLiteral("LCK..") + QString(path).replace(QLatin1Char('/'), QLatin1Char('_')),
        QStringLiteral("LCK..") + QFileInfo(path).fileName()};
    for (const QString &folder : folders) {
        for (const QString &name : names) {
            QFile lock(QDir(folder).filePath(name));
            if (!lock.open(QIODevice::ReadOnly))
                continue;
            const QList<QByteArray> lines = lock.read(1024).split('\n');
            bool ok = false;
            const qint64 pid = lines.value(0).trimmed().toLongLong(&ok);
            if (!ok || pid <= 0)
                continue;
            const QString program = QString::fromLocal8Bit(lines.value(1).trimmed());
            return program.isEmpty() ? SerialLine::tr("process %1").arg(pid)
                                     : SerialLine::tr("process %1 (%2)").arg(pid).arg(program);
        }
    }
    return {};
}

} // namespace

SerialLine::SerialLine(QObject *parent)
    : LineDevice(parent)
{
    // Data waits in the device until the port has room for it, so a full
    // input buffer holds the sender back instead of losing bytes.
    port_.setReadBufferSize(4096);
    connect(&port_, &QSerialPort::readyRead, this, &LineDevice::readyRead);
    connect(&port_, &QSerialPort::bytesWritten, this, &LineDevice::bytesWritten);
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialLine::onError);
}

void SerialLine::setSettings(const SerialSettings &settings)
{
    settings_ = settings;
    if (port_.isOpen())
        apply();
}

void SerialLine::open()
{
    if (path_.isEmpty())
        throw ComportError(ComportCode::DeviceMissing, tr("No serial device is set for this port"));
    port_.setPortName(path_);
    if (!port_.open(QIODevice::ReadWrite)) {
        const auto error = port_.error();
        port_.clearError();
        const QFileInfo info(path_);
        if (error == QSerialPort::DeviceNotFoundError || !info.exists())
            throw ComportError(ComportCode::DeviceMissing, tr("Serial device %1 does not exist").arg(path_));
        if (!info.isReadable() || !info.isWritable())
            throw ComportError(ComportCode::PermissionDenied,
                tr("Permission denied opening %1; you may need to be a member of the "
                   "dialout group")
                    .arg(path_));
        if (error == QSerialPort::PermissionError) {
            const QString holder = lockHolder(path_);
            throw ComportError(ComportCode::InUse,
                holder.isEmpty() ? tr("Serial device %1 is in use").arg(path_)
                                 : tr("Serial device %1 is in use by %2").arg(path_, holder));
        }
        throw ComportError(
            ComportCode::IoError, tr("Cannot open serial device %1: %2").arg(path_, port_.errorString()));
    }
    closing_ = false;
    apply();
    if (settings_.hardwareFlow & HardwareFlow::UseDtr)
        setDtr(true);
}

void SerialLine::close()
{
    closing_ = true;
    if (port_.isOpen())
        port_.close();
    port_.clearError();
}

void SerialLine::apply()
{
    bool ok = port_.setBaudRate(settings_.baud);
    ok = port_.setDataBits(static_cast<QSerialPort::DataBits>(qBound(5, settings_.dataBits, 8))) && ok;
    ok = port_.setParity(toParity(settings_.parity)) && ok;
    ok = port_.setStopBits(settings_.stopBits >= 2 ? QSerialPort::TwoStop : QSerialPort::OneStop) && ok;
    const bool rtsCts = settings_.hardwareFlow & (HardwareFlow::UseRts | HardwareFlow::RequireCts);
    ok = port_.setFlowControl(rtsCts ? QSerialPort::HardwareControl : QSerialPort::NoFlowControl) && ok;
    ok = applySoftwareFlow() && ok;
    if (!ok) {
        lastError_ = tr("Some line settings could not be applied to %1: %2").arg(path_, port_.errorString());
        port_.clearError();
    }
}

// XON/XOFF with the chosen characters, in either direction alone or both.
bool SerialLine::applySoftwareFlow()
{
#ifdef Q_OS_UNIX
    termios tio{};
    const int fd = static_cast<int>(port_.handle());
    if (tcgetattr(fd, &tio) != 0)
        return false;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    const SoftwareFlow flow = settings_.softwareFlow;
    if (flow == SoftwareFlow::Transmit || flow == SoftwareFlow::Both)
        tio.c_iflag |= IXON;
    if (flow == SoftwareFlow::Receive || flow == SoftwareFlow::Both)
        tio.c_iflag |= IXOFF;
    tio.c_cc[VSTART] = static_cast<cc_t>(settings_.xon);
    tio.c_cc[VSTOP] = static_cast<cc_t>(settings_.xoff);
    return tcsetattr(fd, TCSANOW, &tio) == 0;
#else
    return port_.setFlowControl(
        settings_.softwareFlow == SoftwareFlow::None ? port_.flowControl() : QSerialPort::SoftwareControl);
#endif
}

bool SerialLine::waitForInput(int ms)
{
    return port_.bytesAvailable() > 0 || port_.waitForReadyRead(ms);
}

bool SerialLine::unsupported(const char *what)
{
    lastError_
        = tr("%1 is not supported by %2: %3").arg(QString::fromLatin1(what), path_, port_.errorString());
    port_.clearError();
    return false;
}

bool SerialLine::setBreak(bool on)
{
    return port_.isOpen() && (port_.setBreakEnabled(on) || unsupported("Break"));
}

std::optional<int> SerialLine::modemLines() const
{
    if (!port_.isOpen())
        return std::nullopt;
    auto &port = const_cast<QSerialPort &>(port_);
    const auto signalsNow = port.pinoutSignals();
    if (port.error() != QSerialPort::NoError) {
        port.clearError();
        return std::nullopt;
    }
    int mask = 0;
    if (signalsNow & QSerialPort::ClearToSendSignal)
        mask |= ModemLine::Cts;
    if (signalsNow & QSerialPort::DataSetReadySignal)
        mask |= ModemLine::Dsr;
    if (signalsNow & QSerialPort::RingIndicatorSignal)
        mask |= ModemLine::Ring;
    if (signalsNow & QSerialPort::DataCarrierDetectSignal)
        mask |= ModemLine::Dcd;
    return mask;
}

bool SerialLine::setDtr(bool on)
{
    return port_.isOpen() && (port_.setDataTerminalReady(on) || unsupported("DTR"));
}

bool SerialLine::setRts(bool on)
{
    return port_.isOpen() && (port_.setRequestToSend(on) || unsupported("RTS"));
}

void SerialLine::onError(QSerialPort::SerialPortError error)
{
    // When the far end goes away the device reports errors without end until
    // it is closed: close at the first and report the loss once.
    if (closing_ || !port_.isOpen())
        return;
    if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError) {
        const QString message = port_.errorString();
        closing_ = true;
        port_.close();
        port_.clearError();
        emit failed(ComportCode::DeviceGone, tr("Serial device %1 went away: %2").arg(path_, message));
        emit disconnected();
    }
}
