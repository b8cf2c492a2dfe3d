#include "sessions/LoggingOptions.h"

#include "comms/line/Comport.h"
#include "comms/transfer/ProtLog.h"
#include "shell/TLog.h"
#include "shell/settings/SettingsStore.h"
#include "shell/settings/SettingsTable.h"

LoggingOptions::LoggingOptions(TLog &log, Comport &port, const QString &programDir)
    : log_(log)
    , port_(port)
    , programDir_(programDir)
{
    log_.setFileName(programDir_ + QStringLiteral("tarnexlog.txt"));
    port_.setLogFolder(programDir_);
}

void LoggingOptions::load(SettingsStore &store)
{
    // The log is off while the switch is read, so a disabled log is never opened.
    log_.setEnabled(false);
    const bool appLog = store.read(Setting::AppLog);
    setProtocolLogging(store.read(Setting::LogProt));
    portLogging_ = store.read(Setting::LogCom);
    portTracing_ = store.read(Setting::TraceCom);
    log_.setEnabled(appLog);
}

void LoggingOptions::save(SettingsStore &store) const
{
    store.write(Setting::AppLog, applicationLogging());
    store.write(Setting::LogProt, protocolLogging());
    store.write(Setting::LogCom, portLogging_);
    store.write(Setting::TraceCom, portTracing_);
}

void LoggingOptions::setApplicationLogging(bool on)
{
    log_.setEnabled(on);
}

bool LoggingOptions::applicationLogging() const
{
    return log_.enabled();
}

void LoggingOptions::setProtocolLogging(bool on)
{
    historyFile_ = on ? programDir_ + QStringLiteral("prot.txt") : QString();
    applyHistory();
}

void LoggingOptions::attachHistory(ProtLog *history)
{
    history_ = history;
    applyHistory();
}

void LoggingOptions::applyHistory()
{
    if (history_)
        history_->setFileName(historyFile_);
}

void LoggingOptions::setComportLogging(bool on)
{
    portLogging_ = on;
    portTracing_ = on;
}

void LoggingOptions::StartLogging()
{
    port_.setLogging(portLogging_ ? LogState::On : LogState::Off);
    port_.setTracing(portTracing_ ? LogState::On : LogState::Off);
}

void LoggingOptions::StopLogging()
{
    port_.setLogging(LogState::Dump);
    port_.setTracing(LogState::Dump);
}
