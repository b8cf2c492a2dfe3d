#pragma once

#include <QString>

class Comport;
class ProtLog;
class SettingsStore;
class TLog;

// The three logging switches: the application log, the transfer history and
// the port's log and trace. The port flags take effect at the next
// StartLogging; StopLogging writes what the port collected.
class LoggingOptions {
public:
    // Points the application log at ProgramDir + "tarnexlog.txt" and the
    // port's log and trace files at ProgramDir.
    LoggingOptions(TLog &log, Comport &port, const QString &programDir);

    // Reads AppLog, LogProt, Logcom and TraceCom; call before the first log line.
    void load(SettingsStore &store);
    void save(SettingsStore &store) const;

    void setApplicationLogging(bool on);
    bool applicationLogging() const;

    // On: the history is ProgramDir + "prot.txt"; off: no history.
    void setProtocolLogging(bool on);
    bool protocolLogging() const { return !historyFile_.isEmpty(); }
    QString historyFile() const { return historyFile_; }
    // The transfer engine's history follows the switch from now on.
    void attachHistory(ProtLog *history);

    // Sets both the port logging and the port tracing flag.
    void setComportLogging(bool on);
    bool comportLogging() const { return portLogging_; }
    bool comportTracing() const { return portTracing_; }

    // A connection was opened: collection on or off as the flags say.
    void StartLogging();
    // The connection ended: the collected log and trace go to their files.
    void StopLogging();

private:
    void applyHistory();

    TLog &log_;
    Comport &port_;
    QString programDir_;
    QString historyFile_;
    ProtLog *history_ = nullptr;
    bool portLogging_ = false;
    bool portTracing_ = false;
};
