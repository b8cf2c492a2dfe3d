#include "support/XferTool.h"

#include <QDir>
#include <QFile>

namespace XferTool {

QString path()
{
    return qEnvironmentVariable("TARNEX_BUILD_DIR") + QStringLiteral("/tools/tarnex-xfer/tarnex-xfer");
}

bool finished(QProcess &process, int ms)
{
    if (process.waitForFinished(ms))
        return true;
    process.kill();
    process.waitForFinished(5000);
    return false;
}

QString outcome(QProcess &process)
{
    return QStringLiteral("exit %1: %2")
        .arg(process.exitCode())
        .arg(QString::fromLocal8Bit(process.readAllStandardError()));
}

QString terminalSettings(const QString &device)
{
    QProcess stty;
    stty.start(QStringLiteral("stty"), {QStringLiteral("-a"), QStringLiteral("-F"), device});
    if (!stty.waitForFinished(10000) || stty.exitCode() != 0)
        return {};
    return QString::fromLocal8Bit(stty.readAllStandardOutput());
}

QString script(const QString &dir, const QString &name, const QByteArray &body)
{
    const QString file = QDir(dir).filePath(name);
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return {};
    out.write("#!/bin/sh\n" + body + "\n");
    out.close();
    out.setPermissions(out.permissions() | QFileDevice::ExeOwner);
    return file;
}

} // namespace XferTool
