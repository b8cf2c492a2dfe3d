#include "XferSession.h"

#include "comms/line/Comport.h"
#include "comms/line/ComportLink.h"
#include "comms/link/FdLink.h"
#include "comms/link/IoDeviceLink.h"

#include <QSerialPort>
#include <QTcpServer>
#include <QTcpSocket>

#include <cstdio>
#include <unistd.h>

namespace {

constexpr int drainLimitMs = 30000;
constexpr int negotiationLimitMs = 3000;

void message(const QString &text)
{
    std::fprintf(stderr, "tarnex-xfer: %s\n", qPrintable(text));
    std::fflush(stderr);
}

} // namespace

XferSession::XferSession(const XferRequest &request, QObject *parent)
    : QObject(parent)
    , request_(request)
    , queue_(request.files)
{
    drainLimit_.setSingleShot(true);
    connect(&drainLimit_, &QTimer::timeout, this, [this] { emit done(result_); });
}

void XferSession::start()
{
    openLine();
}

void XferSession::openLine()
{
    switch (request_.line) {
    case XferRequest::Line::Stdio:
        runTransfer(new FdLink(STDIN_FILENO, STDOUT_FILENO, this));
        return;
    case XferRequest::Line::Serial: {
        auto *port = new QSerialPort(request_.device, this);
        port->setBaudRate(request_.baud);
        port->setDataBits(QSerialPort::Data8);
        port->setParity(QSerialPort::NoParity);
        port->setStopBits(QSerialPort::OneStop);
        port->setFlowControl(QSerialPort::NoFlowControl);
        if (!port->open(QIODevice::ReadWrite)) {
            exitWith(TransferResult::NotReady,
                QStringLiteral("cannot open %1: %2").arg(request_.device, port->errorString()));
            return;
        }
        // A vanished device floods errors until it is closed.
        connect(port, &QSerialPort::errorOccurred, this, [port](QSerialPort::SerialPortError error) {
            if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError)
                port->close();
        });
        useDevice(port);
        return;
    }
    case XferRequest::Line::Tcp:
    case XferRequest::Line::Listen:
        if (request_.raw)
            openRawSocket();
        else
            openTelnet();
        return;
    }
}

void XferSession::openRawSocket()
{
    if (request_.line == XferRequest::Line::Tcp) {
        auto *socket = new QTcpSocket(this);
        connect(socket, &QTcpSocket::connected, this, [this, socket] { useDevice(socket); });
        connect(socket, &QTcpSocket::errorOccurred, this, [this, socket] {
            if (!link_)
                connectFailed(socket->errorString());
        });
        socket->connectToHost(request_.host, request_.port);
        return;
    }
    auto *server = new QTcpServer(this);
    if (!server->listen(QHostAddress::Any, request_.port)) {
        exitWith(TransferResult::NotReady,
            QStringLiteral("cannot listen on port %1: %2").arg(request_.port).arg(server->errorString()));
        return;
    }
    listening(server->serverPort());
    connect(server, &QTcpServer::newConnection, this, [this, server] {
        QTcpSocket *socket = server->nextPendingConnection();
        server->close();
        socket->setParent(this);
        useDevice(socket);
    });
}

void XferSession::openTelnet()
{
    auto *port = new Comport(this);
    port->setDeviceLayer(DeviceLayer::Socket);
    const bool server = request_.line == XferRequest::Line::Listen;
    port->setSocketMode(server ? SocketMode::Server : SocketMode::Client);
    port->setSocketAddress(server ? QStringLiteral("0") : request_.host);
    port->setSocketPort(QString::number(request_.port));
    // The transfer starts once BINARY is settled, so no data crosses the
    // change of mode; a peer that never answers gets it after a while.
    auto *negotiation = new QTimer(this);
    negotiation->setSingleShot(true);
    const auto begin = [this, port, negotiation] {
        if (link_)
            return;
        negotiation->stop();
        if (!port->telnetBinary())
            message(QStringLiteral("the telnet peer did not agree to binary mode; 8-bit data may not pass"));
        runTransfer(new ComportLink(port, this));
    };
    connect(negotiation, &QTimer::timeout, this, begin);
    connect(port, &Comport::telnetNegotiated, this, begin);
    connect(port, &Comport::socketConnected, negotiation,
        [negotiation] { negotiation->start(negotiationLimitMs); });
    connect(port, &Comport::socketAccepted, negotiation,
        [negotiation] { negotiation->start(negotiationLimitMs); });
    connect(port, &Comport::socketError, this, [this](int, const QString &text) {
        if (!link_)
            connectFailed(text);
    });
    connect(port, &Comport::disconnected, this, [this] {
        if (!link_)
            connectFailed(QStringLiteral("the connection closed"));
    });
    try {
        port->open();
    } catch (const ComportError &error) {
        exitWith(TransferResult::NotReady, error.message());
        return;
    }
    if (server)
        listening(port->listeningPort());
}

void XferSession::listening(quint16 port)
{
    message(QStringLiteral("waiting for a connection on port %1").arg(port));
}

void XferSession::connectFailed(const QString &reason)
{
    exitWith(TransferResult::NotReady,
        request_.line == XferRequest::Line::Listen
            ? QStringLiteral("the connection on port %1 failed: %2").arg(request_.port).arg(reason)
            : QStringLiteral("cannot connect to %1:%2: %3")
                  .arg(request_.host)
                  .arg(request_.port)
                  .arg(reason));
}

void XferSession::useDevice(QIODevice *device)
{
    runTransfer(new IoDeviceLink(device, this));
}

void XferSession::runTransfer(ByteLink *link)
{
    link_ = link;
    engine_.setLink(link);
    engine_.setProtocolType(request_.protocol);
    engine_.setOptions(request_.options);
    engine_.setDestinationDirectory(request_.directory);
    engine_.setFileName(request_.fileName);
    engine_.history().setFileName(request_.historyFile);
    engine_.setNextFileHandler([this] { return queue_.isEmpty() ? QString() : queue_.takeFirst(); });
    connect(&engine_, &ProtocolEngine::finished, this, &XferSession::transferFinished);
    if (request_.progress)
        connect(&engine_, &ProtocolEngine::statusChanged, this, &XferSession::showProgress);
    if (request_.sending)
        engine_.startTransmit();
    else
        engine_.startReceive();
}

void XferSession::showProgress(const TransferStatus &status)
{
    if (status.fileName.isEmpty())
        return;
    QString line
        = QStringLiteral("%1 %2: %3")
              .arg(status.sending ? QStringLiteral("send") : QStringLiteral("receive"), status.fileName)
              .arg(status.bytesDone);
    if (status.fileSize >= 0)
        line += QStringLiteral(" of %1").arg(status.fileSize);
    line += QStringLiteral(" bytes, %1 bytes/s, %2 errors").arg(status.bytesPerSecond).arg(status.errorCount);
    if (line == lastProgress_)
        return;
    lastProgress_ = line;
    std::fprintf(stderr, "%s\n", qPrintable(line));
    std::fflush(stderr);
}

void XferSession::transferFinished(int code)
{
    QString text;
    if (code == TransferResult::NotReady)
        text = QStringLiteral("the %1 protocol is not available").arg(protocolName(request_.protocol));
    else if (code != TransferResult::Success)
        text = transferResultText(code);
    exitWith(code, text);
}

void XferSession::exitWith(int code, const QString &text)
{
    if (exiting_)
        return;
    exiting_ = true;
    result_ = code;
    if (code != TransferResult::Success)
        message(QStringLiteral("%1 (code %2)").arg(text).arg(code));
    if (!link_ || !link_->isConnected() || link_->pendingOutput() == 0) {
        QTimer::singleShot(0, this, [this] { emit done(result_); });
        return;
    }
    // Let the last answer reach the other side before leaving.
    connect(link_, &ByteLink::outputDrained, this, [this] { emit done(result_); });
    connect(link_, &ByteLink::disconnected, this, [this] { emit done(result_); });
    drainLimit_.start(drainLimitMs);
}
