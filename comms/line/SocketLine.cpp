#include "comms/line/SocketLine.h"

#include <QHostAddress>

SocketLine::SocketLine(QObject *parent)
    : LineDevice(parent)
{ }

SocketLine::~SocketLine()
{
    close();
}

void SocketLine::setTerminalType(const QByteArray &name)
{
    terminalType_ = name;
    if (codec_)
        codec_->setTerminalType(name);
}

void SocketLine::setWindowSize(int columns, int rows)
{
    columns_ = columns;
    rows_ = rows;
    if (codec_ && socket_ && socket_->state() == QAbstractSocket::ConnectedState)
        writeRaw(codec_->setWindowSize(columns, rows));
}

int SocketLine::errorCode(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return ComportCode::ConnectionRefused;
    case QAbstractSocket::RemoteHostClosedError:
        return ComportCode::ConnectionReset;
    case QAbstractSocket::HostNotFoundError:
        return ComportCode::HostNotFound;
    case QAbstractSocket::SocketTimeoutError:
        return ComportCode::TimedOut;
    case QAbstractSocket::AddressInUseError:
        return ComportCode::AddressInUse;
    case QAbstractSocket::SocketAddressNotAvailableError:
        return ComportCode::NoAddress;
    case QAbstractSocket::NetworkError:
        return ComportCode::NetworkUnreachable;
    case QAbstractSocket::SocketAccessError:
        return ComportCode::PermissionDenied;
    default:
        return ComportCode::IoError;
    }
}

void SocketLine::open()
{
    close();
    const bool anyAddress = address_.isEmpty() || address_ == QLatin1String("0");
    if (mode_ == SocketMode::Server) {
        server_ = std::make_unique<QTcpServer>();
        server_->setMaxPendingConnections(1);
        const QHostAddress host = anyAddress ? QHostAddress(QHostAddress::Any) : QHostAddress(address_);
        if (!anyAddress && host.isNull())
            throw ComportError(
                ComportCode::NoAddress, tr("%1 is not an address of this machine").arg(address_));
        if (!server_->listen(host, port_)) {
            const int code = errorCode(server_->serverError());
            const QString message = code == ComportCode::AddressInUse
                ? tr("Address in use: port %1 is already taken").arg(port_)
                : tr("Cannot listen on port %1: %2").arg(port_).arg(server_->errorString());
            server_.reset();
            throw ComportError(code, message);
        }
        connect(server_.get(), &QTcpServer::newConnection, this, &SocketLine::onNewConnection);
        return;
    }
    if (anyAddress || address_ == QLatin1String("0.0.0.0"))
        throw ComportError(ComportCode::NoAddress, tr("Cannot connect: no address is set"));
    auto *socket = new QTcpSocket(this);
    adopt(socket);
    connect(socket, &QTcpSocket::connected, this, [this] {
        if (codec_)
            writeRaw(codec_->start());
        emit connected();
    });
    socket->connectToHost(address_, port_);
}

void SocketLine::adopt(QTcpSocket *socket)
{
    socket_ = socket;
    socket->setReadBufferSize(16384);
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    codec_.reset();
    negotiated_ = false;
    if (telnet_) {
        codec_ = std::make_unique<TelnetCodec>(
            mode_ == SocketMode::Client ? TelnetCodec::Side::Client : TelnetCodec::Side::Server);
        codec_->setTerminalType(terminalType_);
        codec_->setWindowSize(columns_, rows_);
    }
    connect(socket, &QTcpSocket::readyRead, this, &LineDevice::readyRead);
    connect(socket, &QTcpSocket::bytesWritten, this, [this] {
        emit bytesWritten();
        // Reading held back for a backlog resumes once it has drained.
        if (socket_ && !outputBacklogged() && socket_->bytesAvailable() > 0)
            emit readyRead();
    });
    connect(socket, &QTcpSocket::errorOccurred, this, &SocketLine::onSocketError);
    connect(socket, &QTcpSocket::disconnected, this, &SocketLine::onSocketDisconnected);
}

void SocketLine::onNewConnection()
{
    while (QTcpSocket *incoming = server_ ? server_->nextPendingConnection() : nullptr) {
        if (socket_) { // one client at a time
            incoming->abort();
            incoming->deleteLater();
            continue;
        }
        incoming->setParent(this);
        adopt(incoming);
        if (codec_)
            writeRaw(codec_->start());
        emit accepted();
    }
}

void SocketLine::onSocketError(QAbstractSocket::SocketError error)
{
    // The far end closing is a disconnect, not a failure.
    if (error == QAbstractSocket::RemoteHostClosedError)
        return;
    if (waiting_ && error == QAbstractSocket::SocketTimeoutError)
        return;
    const QString message = socket_ ? socket_->errorString() : QString();
    emit failed(errorCode(error), message);
    if (socket_ && socket_->state() == QAbstractSocket::UnconnectedState) {
        socket_->deleteLater();
        socket_ = nullptr;
    }
}

void SocketLine::onSocketDisconnected()
{
    if (!socket_)
        return;
    // What arrived before the close is still read after it.
    leftover_ += decodeFrom(socket_->readAll());
    socket_->deleteLater();
    socket_ = nullptr;
    emit disconnected();
}

void SocketLine::close()
{
    if (socket_) {
        QTcpSocket *socket = socket_;
        socket_ = nullptr;
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
    server_.reset();
    codec_.reset();
    leftover_.clear();
}

bool SocketLine::isOpen() const
{
    return server_ != nullptr || socket_ != nullptr;
}

bool SocketLine::isConnected() const
{
    return socket_ && socket_->state() == QAbstractSocket::ConnectedState;
}

QString SocketLine::peerAddress() const
{
    return socket_ ? socket_->peerAddress().toString() : QString();
}

quint16 SocketLine::peerPort() const
{
    return socket_ ? socket_->peerPort() : 0;
}

QByteArray SocketLine::read(qint64 maxBytes)
{
    if (!leftover_.isEmpty()) {
        const QByteArray data = leftover_.left(maxBytes);
        leftover_.remove(0, data.size());
        return data;
    }
    if (!socket_ || outputBacklogged())
        return {};
    return decodeFrom(socket_->read(maxBytes));
}

QByteArray SocketLine::decodeFrom(const QByteArray &raw)
{
    if (!codec_ || raw.isEmpty())
        return raw;
    QByteArray reply;
    QByteArray data = codec_->decode(raw, reply);
    if (!reply.isEmpty())
        writeRaw(reply);
    if (!negotiated_ && codec_->settled()) {
        negotiated_ = true;
        emit negotiated();
    }
    return data;
}

// A wait that runs out is no failure of the connection: QTcpSocket reports
// it as a time-out error, which is kept from the line's error event.
bool SocketLine::waitForInput(int ms)
{
    if (!socket_)
        return false;
    if (socket_->bytesAvailable() > 0)
        return true;
    if (ms <= 0)
        return false;
    waiting_ = true;
    const bool arrived = socket_ && socket_->waitForReadyRead(ms);
    waiting_ = false;
    return arrived;
}

void SocketLine::write(const QByteArray &data)
{
    writeRaw(codec_ ? codec_->encode(data) : data);
}

void SocketLine::writeRaw(const QByteArray &bytes)
{
    if (socket_ && !bytes.isEmpty())
        socket_->write(bytes);
}

void SocketLine::discardInput()
{
    if (socket_)
        read(socket_->bytesAvailable());
}

bool SocketLine::setBreak(bool on)
{
    // Telnet has a break command; a raw connection has nothing to send.
    if (!codec_) {
        lastError_ = tr("A raw network connection cannot send a break");
        return false;
    }
    if (on)
        writeRaw(codec_->breakCommand());
    return true;
}

std::optional<int> SocketLine::modemLines() const
{
    return isConnected() ? ModemLine::Dcd : 0;
}

bool SocketLine::notSerial()
{
    lastError_ = tr("A network connection has no modem-control lines");
    return false;
}
