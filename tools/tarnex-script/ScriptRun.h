#pragma once

#include <QStringList>

// tarnex-script run: runs a script on a TCP connection, a listening socket or a serial
// device without a window. The answer is the process exit status.
int runScript(const QStringList &arguments);
