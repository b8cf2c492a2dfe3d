#include "transfer/BinaryReceive.h"

#include "comms/line/Comport.h"
#include "shell/MainView.h"

BinaryReceive::BinaryReceive(Comport &port, MainView &view, QObject *parent)
    : QObject(parent)
    , port_(port)
    , view_(view)
{ }

BinaryReceive::~BinaryReceive()
{
    handler_.reset();
}

bool BinaryReceive::begin(const QString &path)
{
    if (isReceiving())
        return true;
    file_.setFileName(path);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        view_.DisplayTerm(tr("Cannot create %1: %2").arg(path, file_.errorString()));
        return false;
    }
    view_.DisplayTerm(QStringLiteral("Binary Receive mode. (Terminal output is suppressed)"));
    view_.setTerminalActive(false);
    // Ahead of the terminal's own reader in the window stage, so it never
    // sees the bytes.
    handler_ = port_.events().data.attach(
        HandlerStage::Window, [this](const QByteArray &, qint64 waiting) { return onData(waiting); });
    emit receivingChanged(true);
    return true;
}

void BinaryReceive::end()
{
    if (!isReceiving())
        return;
    stop();
    view_.DisplayTerm(QStringLiteral("Binary download complete."));
}

// Each chunk is flushed as it comes, so a failed write loses nothing that
// was written before it.
bool BinaryReceive::onData(qint64 waiting)
{
    const QByteArray bytes = port_.getBlock(waiting);
    if (file_.write(bytes) != bytes.size() || !file_.flush()) {
        view_.DisplayTerm(QStringLiteral("Error receiving binary."));
        stop();
    }
    return true;
}

void BinaryReceive::stop()
{
    handler_.reset();
    file_.close();
    view_.setTerminalActive(true);
    emit receivingChanged(false);
}
