#include "XferSession.h"

#include "comms/line/Comport.h"
#include "comms/line/ComportLink.h"
#include "comms/link/FdLink.h"
#include "comms/transfer/IncomingFile.h"
#include "comms/transfer/PrintableName.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

constexpr int drainLimitMs = 30000;
constexpr int negotiationLimitMs = 3000;
// After a cancel: time for the engine to tell the other side, then for
// that to leave.
constexpr int cancelLimitMs = 5000;
constexpr int cancelDrainMs = 2000;
// How long a connection stays open after our last byte has left, unless the
// peer closes it first: a telnet server hangs up its side as soon as we
// close, and the program behind it may not have read that byte yet. When
// the peer spoke last, it has what it needs and we close at once.
constexpr int lingerMs = 2000;
// After a cancel on a terminal: what the other side sent before it heard us
// is read and dropped until the line is quiet, so that none of it reaches
// the terminal once it is cooked again.
constexpr int quietMs = 300;

void message(const QString &text)
{
    std::fprintf(stderr, "tarnex-xfer: %s\n", qPrintable(text));
    std::fflush(stderr);
}

QString signalName(int number)
{
    switch (number) {
    case SIGINT:
        return QStringLiteral("SIGINT");
    case SIGTERM:
        return QStringLiteral("SIGTERM");
    case SIGHUP:
        return QStringLiteral("SIGHUP");
    default:
        return QStringLiteral("signal %1").arg(number);
    }
}

// Why a file to send cannot be read, or empty when it can.
QString unreadable(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("no such file");
    if (info.isDir())
        return QStringLiteral("it is a folder, not a file");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    return {};
}

// Why no file can be written in folder, or empty when one can.
QString unwritable(const QString &folder)
{
    QFileInfo info(folder);
    while (!info.exists() && !info.isRoot() && info.absolutePath() != info.absoluteFilePath())
        info = QFileInfo(info.absolutePath());
    if (!info.isDir())
        return QStringLiteral("%1 is not a folder").arg(info.filePath());
    QTemporaryFile probe(QDir(info.absoluteFilePath()).filePath(QStringLiteral(".tarnex-xfer-XXXXXX")));
    if (!probe.open())
        return probe.errorString();
    return {};
}

} // namespace

XferSession::XferSession(const XferRequest &request, QObject *parent)
    : QObject(parent)
    , request_(request)
    , signals_({SIGINT, SIGTERM, SIGHUP})
    , queue_(request.files)
{
    stopLimit_.setSingleShot(true);
    connect(&signals_, &SignalPipe::caught, this, &XferSession::interrupted);
}

XferSession::~XferSession() = default;

void XferSession::start()
{
    openLine();
}

void XferSession::openLine()
{
    if (request_.line.kind == LineSpec::Kind::None) {
        useStandardIo();
        return;
    }
    try {
        port_ = ::openLine(request_.line);
    } catch (const ComportError &error) {
        exitWith(TransferResult::NotReady, error.message());
        return;
    }
    if (request_.line.kind == LineSpec::Kind::Serial) {
        runTransfer(new ComportLink(port_.get(), this));
        return;
    }
    startWhenConnected();
}

void XferSession::useStandardIo()
{
    if (!terminal_.enter()) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        terminal_.restore();
        exitWith(
            TransferResult::NotReady, QStringLiteral("cannot put the terminal in raw mode: %1").arg(reason));
        return;
    }
    runTransfer(new FdLink(STDIN_FILENO, STDOUT_FILENO, this));
}

void XferSession::startWhenConnected()
{
    Comport *port = port_.get();
    // Over telnet the transfer starts once BINARY is settled, so no data
    // crosses the change of mode; a peer that never answers gets it after
    // a while.
    auto *negotiation = new QTimer(this);
    negotiation->setSingleShot(true);
    const auto begin = [this, port, negotiation] {
        if (link_ || exiting_)
            return;
        negotiation->stop();
        if (port->telnet() && !port->telnetBinary())
            message(QStringLiteral("the telnet peer did not agree to binary mode; 8-bit data may not pass"));
        runTransfer(new ComportLink(port, this));
    };
    const auto connected = [this, begin, negotiation] {
        if (request_.line.telnet)
            negotiation->start(negotiationLimitMs);
        else
            begin();
    };
    connect(negotiation, &QTimer::timeout, this, begin);
    connect(port, &Comport::telnetNegotiated, this, begin);
    const auto onConnect = [connected] {
        connected();
        return false;
    };
    port->events().connected.add(HandlerStage::Window, onConnect);
    port->events().accepted.add(HandlerStage::Window, onConnect);
    connect(port, &Comport::received, this, [this] { peerSpokeLast_ = true; });
    connect(port, &Comport::sent, this, [this] { peerSpokeLast_ = false; });
    port->events().error.add(HandlerStage::Window, [this](int, const QString &text) {
        if (!link_)
            connectFailed(text);
        return false;
    });
    port->events().disconnected.add(HandlerStage::Window, [this](bool) {
        if (!link_)
            connectFailed(QStringLiteral("the connection closed"));
        return false;
    });
    if (request_.line.kind == LineSpec::Kind::Listen)
        message(QStringLiteral("waiting for a connection on port %1").arg(port->listeningPort()));
}

void XferSession::connectFailed(const QString &reason)
{
    const LineSpec &line = request_.line;
    exitWith(TransferResult::NotReady,
        line.kind == LineSpec::Kind::Listen
            ? QStringLiteral("the connection on port %1 failed: %2").arg(line.port).arg(reason)
            : QStringLiteral("cannot connect to %1 port %2: %3").arg(line.host).arg(line.port).arg(reason));
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
    engine_.events().nextFile.add(HandlerStage::Window, [this](QString &path) {
        path = nextFile();
        return true;
    });
    engine_.events().finish.add(HandlerStage::Window, [this](int code) {
        transferFinished(code);
        return false;
    });
    if (request_.progress)
        connect(&engine_, &ProtocolEngine::statusChanged, this, &XferSession::showProgress);
    if (request_.sending)
        engine_.startTransmit();
    else
        engine_.startReceive();
}

QString XferSession::nextFile()
{
    if (queue_.isEmpty())
        return {};
    const QString path = queue_.takeFirst();
    // The engine reports such a file as not found; keep what is wrong with it.
    const QString problem = unreadable(path);
    if (!problem.isEmpty() && sendProblem_.isEmpty())
        sendProblem_ = QStringLiteral("cannot send %1: %2").arg(path, problem);
    return path;
}

void XferSession::showProgress(const TransferStatus &status)
{
    if (status.fileName.isEmpty())
        return;
    QString line = QStringLiteral("%1 %2: %3")
                       .arg(status.sending ? QStringLiteral("send") : QStringLiteral("receive"),
                           printableName(status.fileName))
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
    else if (code == TransferResult::CancelledLocally && signal_ != 0)
        text = QStringLiteral("%1 on %2").arg(transferResultText(code), signalName(signal_));
    else if (code == TransferResult::FileNotFound && !sendProblem_.isEmpty())
        text = sendProblem_;
    else if (code == TransferResult::CannotCreate || code == TransferResult::CannotWrite)
        text = fileProblem(code);
    else if (code != TransferResult::Success)
        text = transferResultText(code);
    exitWith(code, text);
}

// The file that could not be created or written, and why where it shows.
QString XferSession::fileProblem(int code) const
{
    QString path = engine_.acceptedFileName();
    if (code == TransferResult::CannotCreate || path.isEmpty()) {
        const QString name = request_.sending ? QString() : engine_.status().fileName;
        path = name.isEmpty()
            ? request_.directory
            : IncomingFile::confinedPath(request_.directory, name, request_.options.honorDirectory);
    }
    const QString shown = path.isEmpty() ? QDir::currentPath() : printableName(path);
    const QFileInfo info(path.isEmpty() ? QDir::currentPath() : path);
    QString reason = unwritable(info.isDir() && path == request_.directory ? path : info.absolutePath());
    if (reason.isEmpty() && info.isDir() && path != request_.directory)
        reason = QStringLiteral("a folder of that name is in the way");
    const QString text = QStringLiteral("%1 %2").arg(transferResultText(code), shown);
    return reason.isEmpty() ? text : QStringLiteral("%1: %2").arg(text, reason);
}

void XferSession::interrupted(int signalNumber)
{
    if (exiting_) {
        // Asked again while the last bytes leave: leave now.
        leave();
        return;
    }
    if (signal_ != 0)
        return;
    signal_ = signalNumber;
    if (!engine_.inProgress()) {
        exitWith(TransferResult::CancelledLocally,
            QStringLiteral("%1 on %2")
                .arg(transferResultText(TransferResult::CancelledLocally), signalName(signalNumber)));
        return;
    }
    // The engine tells the other side in its protocol's way, then finishes.
    connect(&stopLimit_, &QTimer::timeout, this, [this] {
        exitWith(TransferResult::CancelledLocally,
            QStringLiteral("%1 on %2")
                .arg(transferResultText(TransferResult::CancelledLocally), signalName(signal_)));
    });
    stopLimit_.start(cancelLimitMs);
    engine_.cancel();
}

void XferSession::exitWith(int code, const QString &text)
{
    if (exiting_)
        return;
    exiting_ = true;
    result_ = code;
    stopLimit_.stop();
    stopLimit_.disconnect(this);
    if (code != TransferResult::Success)
        message(QStringLiteral("%1 (code %2)").arg(text).arg(code));
    connect(&stopLimit_, &QTimer::timeout, this, &XferSession::leave);
    if (!link_ || !link_->isConnected() || link_->pendingOutput() == 0) {
        QTimer::singleShot(0, this, &XferSession::linger);
        return;
    }
    // Let the last answer reach the other side before leaving.
    connect(link_, &ByteLink::outputDrained, this, &XferSession::linger);
    connect(link_, &ByteLink::disconnected, this, &XferSession::leave);
    stopLimit_.start(signal_ != 0 ? cancelDrainMs : drainLimitMs);
}

void XferSession::linger()
{
    if (lingering_ || left_)
        return;
    lingering_ = true;
    if (!link_ || !link_->isConnected()) {
        leave();
        return;
    }
    if (port_ && port_->deviceLayer() == DeviceLayer::Socket && !peerSpokeLast_) {
        connect(link_, &ByteLink::disconnected, this, &XferSession::leave, Qt::UniqueConnection);
        stopLimit_.start(lingerMs);
        return;
    }
    if (signal_ != 0 && terminal_.active()) {
        auto *quiet = new QTimer(this);
        quiet->setSingleShot(true);
        connect(quiet, &QTimer::timeout, this, &XferSession::leave);
        connect(link_, &ByteLink::received, quiet, [quiet] { quiet->start(quietMs); });
        connect(link_, &ByteLink::disconnected, this, &XferSession::leave, Qt::UniqueConnection);
        quiet->start(quietMs);
        stopLimit_.start(cancelDrainMs);
        return;
    }
    leave();
}

void XferSession::leave()
{
    if (left_)
        return;
    left_ = true;
    stopLimit_.stop();
    terminal_.restore();
    QTimer::singleShot(0, this, [this] { emit done(result_); });
}
