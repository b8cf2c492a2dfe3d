#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// The built tarnex-xfer, run as a user would, and what it left behind.
namespace XferTool {

QString path();
// Waits for the end; kills a process that runs on past the limit.
bool finished(QProcess &process, int ms = 180000);
// "exit N: <standard error>" for failure messages.
QString outcome(QProcess &process);
// The settings of a terminal as "stty -a" shows them, or empty.
QString terminalSettings(const QString &device);
// Writes an executable shell script and returns its path.
QString script(const QString &dir, const QString &name, const QByteArray &body);

} // namespace XferTool
