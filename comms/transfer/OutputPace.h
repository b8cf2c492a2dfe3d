#pragma once

#include <QElapsedTimer>
#include <QtGlobal>

// How much a streaming sender may keep unsent on its link: what the line
// carries in a short lead time, at the rate it has been seen to take bytes.
// A deep pipe or output queue then holds a moment of the line's time, not
// seconds of it, so data resent after an error is not stuck behind data the
// receiver will throw away.
//
// The rate is measured from the sender's side: room() is told, before each
// refill, how many bytes have left the link so far and how many are still
// unsent. Stretches where the link stayed busy give the rate; a link found
// empty moved at least what left, so that only ever raises it. A link that
// was full and has since sent all of it before the sender looked was kept
// too short (a reader that takes in bursts): the lead grows, and shrinks
// back slowly while the link stays busy.
class OutputPace {
public:
    OutputPace();

    // Bytes that may be added now; none when zero or less.
    qint64 room(qint64 left, qint64 unsent);

private:
    QElapsedTimer clock_;
    bool busy_ = false;
    qint64 busySinceNs_ = 0;
    qint64 leftWhenBusy_ = 0;
    double bytesPerSecond_ = 0;
    double leadMs_;
    // Where the link stood when it last had no room.
    bool full_ = false;
    qint64 leftWhenFull_ = 0;
    qint64 unsentWhenFull_ = 0;

    void observe(qint64 left, qint64 unsent);
    qint64 limit() const;
};
