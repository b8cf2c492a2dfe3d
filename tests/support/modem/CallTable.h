#pragma once

#include <QHash>
#include <QList>
#include <QString>

// What happens when a number is dialled: one outcome per dial, read from a
// file of lines "<number> <outcome>[,<outcome>...]"; the last outcome repeats.
struct CallOutcome {
    enum Kind { Connect, Busy, NoCarrier, NoDialtone, NoAnswer, Error, Silent, Garbage };
    Kind kind = NoAnswer;
    QString host; // Connect only
    quint16 port = 0;
};

class CallTable {
public:
    // Fails with a message naming the bad line.
    bool load(const QString &path, QString *error);
    // The outcome of the next dial of a number; NoAnswer for numbers not listed.
    CallOutcome dial(const QString &dialString);
    // Digits as matched: without spaces, dashes, commas and W.
    static QString normalised(const QString &dialString);

private:
    struct Entry {
        QList<CallOutcome> outcomes;
        int dials = 0;
    };
    QHash<QString, Entry> entries_;
};
