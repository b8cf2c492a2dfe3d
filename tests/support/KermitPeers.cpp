#include "support/KermitPeers.h"

#include "comms/link/IoDeviceLink.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Waits for the engine to finish and the peer to exit, up to timeoutMs.
PeerOutcome await(ProtocolEngine &engine, QProcess &peer, int timeoutMs, QIODevice *extraOutput = nullptr)
{
    PeerOutcome outcome;
    const HandlerRegistration finished
        = engine.events().finish.attach(HandlerStage::Watchers, [&outcome](int code) {
              outcome.engineCode = code;
              return false;
          });
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs && (outcome.engineCode < 0 || peer.state() != QProcess::NotRunning)) {
        QTest::qWait(20);
    }
    if (peer.state() != QProcess::NotRunning) {
        peer.kill();
        peer.waitForFinished(5000);
    } else {
        outcome.exitCode = peer.exitStatus() == QProcess::NormalExit ? peer.exitCode() : -1;
    }
    if (peer.processChannelMode() != QProcess::MergedChannels)
        outcome.peerOutput = peer.readAllStandardError();
    if (extraOutput)
        outcome.peerOutput += extraOutput->readAll();
    return outcome;
}

} // namespace

PeerOutcome runOverPipes(ProtocolEngine &engine, bool sending, const QString &program,
    const QStringList &arguments, const QString &workDir, int timeoutMs)
{
    QProcess peer;
    peer.setWorkingDirectory(workDir);
    peer.setProgram(program);
    peer.setArguments(arguments);
    peer.start();
    if (!peer.waitForStarted(30000))
        return {};
    IoDeviceLink link(&peer);
    engine.setLink(&link);
    if (sending)
        engine.startTransmit();
    else
        engine.startReceive();
    PeerOutcome outcome = await(engine, peer, timeoutMs);
    if (engine.inProgress())
        engine.cancel();
    return outcome;
}

PeerOutcome runOverPty(ProtocolEngine &engine, bool sending, const QString &program,
    const QStringList &arguments, const QString &workDir, int timeoutMs)
{
    QTemporaryDir ptys;
    const QString ours = ptys.filePath(QStringLiteral("ours"));
    const QString theirs = ptys.filePath(QStringLiteral("theirs"));
    QProcess socat;
    socat.start(QStringLiteral("socat"),
        {QStringLiteral("pty,raw,echo=0,link=") + ours, QStringLiteral("pty,raw,echo=0,link=") + theirs});
    for (int i = 0; i < 500 && !(QFile::exists(ours) && QFile::exists(theirs)); ++i)
        QTest::qWait(20);
    PeerOutcome outcome;
    QSerialPort port(QFileInfo(ours).symLinkTarget());
    if (port.open(QIODevice::ReadWrite)) {
        port.setBaudRate(115200);
        QStringList args;
        for (const QString &a : arguments)
            args << QString(a).replace(QStringLiteral("%PTY%"), QFileInfo(theirs).symLinkTarget());
        QProcess peer;
        peer.setWorkingDirectory(workDir);
        peer.setProcessChannelMode(QProcess::MergedChannels);
        peer.start(program, args);
        if (peer.waitForStarted(30000)) {
            IoDeviceLink link(&port);
            engine.setLink(&link);
            if (sending)
                engine.startTransmit();
            else
                engine.startReceive();
            outcome = await(engine, peer, timeoutMs, &peer);
            if (engine.inProgress())
                engine.cancel();
        }
        port.close();
    }
    socat.terminate();
    socat.waitForFinished(5000);
    return outcome;
}

QString describe(const ProtocolEngine &engine, const PeerOutcome &outcome)
{
    return QStringLiteral("code %1 (%2), last problem \"%3\", peer exit %4: %5")
        .arg(outcome.engineCode)
        .arg(transferResultText(outcome.engineCode), engine.status().lastError)
        .arg(outcome.exitCode)
        .arg(QString::fromLocal8Bit(outcome.peerOutput.right(600)));
}
