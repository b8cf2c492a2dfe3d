#pragma once

#include "comms/transfer/ProtocolEngine.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "support/TestFiles.h"

// Runs our engine against a peer program (gkermit, kermit) that talks over
// its standard input and output, or over a pseudo-terminal it opens itself.
struct PeerOutcome {
    int engineCode = -1; // -1: the engine never finished
    int exitCode = -1; // -1: the peer did not exit by itself
    QByteArray peerOutput; // the peer's standard error (and output for pty runs)
};

// Starts the engine sending or receiving once the peer has started; waits
// (generously) for both to end; kills the peer if it hangs.
PeerOutcome runOverPipes(ProtocolEngine &engine, bool sending, const QString &program,
    const QStringList &arguments, const QString &workDir, int timeoutMs = 120000);

// The same over a socat pseudo-terminal pair: our side opens one end as a
// serial port; the peer command gets the other end's path in place of "%PTY%".
PeerOutcome runOverPty(ProtocolEngine &engine, bool sending, const QString &program,
    const QStringList &arguments, const QString &workDir, int timeoutMs = 120000);

// Result code, our last recorded problem and the peer's messages, for failures.
QString describe(const ProtocolEngine &engine, const PeerOutcome &outcome);
