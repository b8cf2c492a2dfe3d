#include "BPlusPair.h"

#include "comms/transfer/bplus/BPlusHost.h"

#include <QDeadlineTimer>
#include <QTest>

QString BPlusHostFiles::nextFileToSend()
{
    return std::exchange(sendPath, QString());
}

ReceivePolicy BPlusHostFiles::receivePolicy() const
{
    ReceivePolicy policy;
    policy.destinationDir = dir;
    return policy;
}

BPlusPair::BPlusPair(
    ByteLink *terminalLink, ByteLink *hostLink, const QString &terminalDir, const QString &hostDir)
    : hostLink_(hostLink)
{
    terminal.setProtocolType(ProtocolType::BPlus);
    terminal.options().handshakeWaitTicks = 364;
    terminal.setLink(terminalLink);
    terminal.setDestinationDirectory(terminalDir);
    hostFiles.dir = hostDir;
    terminal.events().finish.add(HandlerStage::Watchers, [this](int code) {
        terminalCode = code;
        return false;
    });
}

BPlusPair::~BPlusPair() = default;

void BPlusPair::startHost(bool sending)
{
    TransferEngine::Context context;
    context.link = hostLink_;
    context.host = &hostFiles;
    context.type = ProtocolType::BPlus;
    context.options.bplusHost = true;
    context.options.handshakeWaitTicks = 364;
    host = std::make_unique<BPlusHost>(context);
    host->setParameters(hostParams);
    QObject::connect(host.get(), &TransferEngine::finished, [this](int code) { hostCode = code; });
    if (sending)
        host->startSend();
    else
        host->startReceive();
}

void BPlusPair::download(const QString &path)
{
    terminal.startReceive();
    hostFiles.sendPath = path;
    startHost(true);
}

void BPlusPair::upload(const QString &path, const QString &name)
{
    terminal.setFileName(path);
    if (path.isEmpty())
        terminal.setFileMask(QString());
    terminal.startTransmit();
    hostFiles.askName = name;
    startHost(false);
}

bool BPlusPair::wait(int seconds)
{
    const QDeadlineTimer deadline(seconds * 1000);
    while ((terminalCode < 0 || hostCode < 0) && !deadline.hasExpired())
        QTest::qWait(20);
    return terminalCode >= 0 && hostCode >= 0;
}
