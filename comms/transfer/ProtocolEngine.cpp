#include "comms/transfer/ProtocolEngine.h"

#include "comms/link/ByteLink.h"
#include "comms/transfer/EngineFactory.h"
#include "shell/Ticks.h"

#include <QDir>
#include <QFileInfo>

#include <utility>

ProtocolEngine::ProtocolEngine(QObject *parent)
    : QObject(parent)
{
    connect(&statusTimer_, &QTimer::timeout, this, [this] { emit statusChanged(status()); });
    // The transfer goes on whatever a handler does; a failure is reported.
    const auto report
        = [](const QString &reason) { qWarning("A transfer event handler failed: %s", qPrintable(reason)); };
    events_.nextFile.setFailureReport(report);
    events_.accept.setFailureReport(report);
    events_.finish.setFailureReport(report);
}

ProtocolEngine::~ProtocolEngine()
{
    if (engine_)
        disconnect(engine_.get(), nullptr, this, nullptr);
}

const TransferStatus &ProtocolEngine::status() const
{
    return engine_ ? engine_->status() : idleStatus_;
}

bool ProtocolEngine::startTransmit()
{
    return start(true, {});
}

bool ProtocolEngine::startReceive()
{
    return start(false, {});
}

bool ProtocolEngine::startTransmit(const QByteArray &alreadyReceived)
{
    return start(true, alreadyReceived);
}

bool ProtocolEngine::startReceive(const QByteArray &alreadyReceived)
{
    return start(false, alreadyReceived);
}

bool ProtocolEngine::start(bool sending, const QByteArray &alreadyReceived)
{
    if (engine_ || !link_ || !link_->isConnected() || type_ == ProtocolType::None) {
        failToStart();
        return false;
    }
    TransferEngine::Context context;
    context.link = link_;
    context.host = this;
    context.options = options_;
    context.type = type_;
    engine_ = createTransferEngine(context);
    if (!engine_) {
        failToStart();
        return false;
    }
    sendQueue_.clear();
    if (sending && events_.nextFile.isEmpty()) {
        if (!fileName_.isEmpty())
            sendQueue_ << fileName_;
        else
            sendQueue_ = filesFromMask();
    }
    connect(engine_.get(), &TransferEngine::finished, this, &ProtocolEngine::engineFinished,
        Qt::QueuedConnection);
    statusTimer_.start(static_cast<int>(qMax<qint64>(1, Ticks::toMs(options_.statusIntervalTicks))));
    if (sending)
        engine_->startSend();
    else
        engine_->startReceive();
    engine_->feed(alreadyReceived);
    emit statusChanged(status());
    return true;
}

void ProtocolEngine::failToStart()
{
    QTimer::singleShot(0, this, [this] {
        emit error(TransferResult::NotReady);
        events_.finish.dispatch(TransferResult::NotReady);
    });
}

void ProtocolEngine::cancel()
{
    if (engine_ && !engine_->isFinished())
        engine_->cancel();
}

void ProtocolEngine::engineFinished(int code)
{
    statusTimer_.stop();
    if (engine_) {
        idleStatus_ = engine_->status();
        engine_.release()->deleteLater();
    }
    emit statusChanged(idleStatus_);
    if (code != TransferResult::Success)
        emit error(code);
    events_.finish.dispatch(code);
}

QStringList ProtocolEngine::filesFromMask() const
{
    if (fileMask_.isEmpty())
        return {};
    const QDir base(destinationDir_.isEmpty() ? QDir::currentPath() : destinationDir_);
    const QFileInfo mask(base.absoluteFilePath(fileMask_));
    const QString pattern = mask.fileName();
    if (!pattern.contains(QLatin1Char('*')) && !pattern.contains(QLatin1Char('?')))
        return {mask.filePath()};
    QStringList files;
    const QDir dir(mask.absolutePath());
    // "*.*" matches names without a dot too, as users of the mask expect.
    const QStringList filters{pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern};
    for (const QFileInfo &info : dir.entryInfoList(filters, QDir::Files, QDir::Name))
        files << info.absoluteFilePath();
    return files;
}

QString ProtocolEngine::nextFileToSend()
{
    QString path;
    if (events_.nextFile.dispatch(path))
        return path.left(255);
    if (sendQueue_.isEmpty())
        return {};
    return sendQueue_.takeFirst();
}

bool ProtocolEngine::acceptIncoming(const QString &localPath)
{
    bool ok = true;
    events_.accept.dispatch(localPath, ok);
    if (ok) {
        acceptedFileName_ = localPath;
        storedName_ = QDir(destinationDir_.isEmpty() ? QDir::currentPath() : destinationDir_)
                          .relativeFilePath(localPath);
        emit accepted(localPath);
    }
    return ok;
}

ReceivePolicy ProtocolEngine::receivePolicy() const
{
    ReceivePolicy policy;
    policy.destinationDir = destinationDir_;
    policy.honorDirectory = options_.honorDirectory;
    policy.writeFailAction = options_.writeFailAction;
    policy.zmodemOption = options_.zmodemFileOption;
    policy.skipNoFile = options_.zmodemSkipNoFile;
    policy.recover = options_.zmodemRecover;
    policy.keepExecute = options_.keepRemoteExecute;
    policy.zmodemManagement = type_ == ProtocolType::Zmodem;
    return policy;
}

QString ProtocolEngine::requestedFileName() const
{
    return fileName_;
}

void ProtocolEngine::fileFinished(const FileOutcome &outcome)
{
    FileOutcome recorded = outcome;
    if (!outcome.sending)
        recorded.storedName = std::exchange(storedName_, QString());
    history_.record(type_, recorded);
}
