#pragma once

#include "comms/transfer/TransferTypes.h"

#include <QString>

// Transfer history: one line per file in a text file; an empty file name
// means no history is kept.
class ProtLog {
public:
    void setFileName(const QString &name) { fileName_ = name; }
    QString fileName() const { return fileName_; }

    // Appends: date and time, protocol, direction, file, size, bytes per
    // second, result. Failures to write are silent; the history is advisory.
    void record(ProtocolType type, const FileOutcome &outcome) const;

    static QString formatLine(const QDateTime &when, ProtocolType type, const FileOutcome &outcome);

private:
    QString fileName_;
};
