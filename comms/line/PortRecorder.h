#pragma once

#include "comms/line/ComportTypes.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <deque>

// Collects the port's traffic in memory while on and writes it to a file when
// told to dump: each record has the time, the direction and the bytes in hex
// and as text. Memory is bounded, counting each record's own cost: the
// oldest records go first, and traffic that follows closely in one direction
// joins the record before it.
class PortRecorder {
public:
    enum class Direction { Received, Sent, Note };

    explicit PortRecorder(QString fileName, qsizetype capacity = 4 * 1024 * 1024);

    // The program's folder unless set.
    void setFolder(const QString &folder) { folder_ = folder; }
    QString filePath() const;
    LogState state() const { return state_; }
    // Dump writes what was collected (replacing the file) and switches off.
    // Returns false with error() set when the file cannot be written.
    bool setState(LogState state);
    QString error() const { return error_; }

    void record(Direction direction, const QByteArray &bytes);
    void note(const QString &text);

    static QString format(const QDateTime &time, Direction direction, const QByteArray &bytes);

private:
    struct Record {
        QDateTime time;
        Direction direction;
        QByteArray bytes;
    };
    bool dump();
    void trim();

    QString fileName_;
    QString folder_;
    qsizetype capacity_;
    qsizetype held_ = 0;
    qsizetype dropped_ = 0;
    LogState state_ = LogState::Off;
    std::deque<Record> records_;
    QString error_;
};
