#include "comms/transfer/OutputPace.h"

namespace {

// A busy stretch this long makes one measurement.
constexpr qint64 sampleNs = 100 * 1000 * 1000;
// What the bytes that emptied the link are counted over at least.
constexpr qint64 leastLookNs = 10 * 1000 * 1000;
// Until the line has been measured: little enough to cost nothing on a slow
// line, and gone at once on a fast one, which drains it between two looks.
constexpr qint64 unmeasuredLimit = 4096;
// Never less than this, whatever the rate: the sender adds a subpacket at a time.
constexpr qint64 leastLimit = 256;
// The lead time: where it starts and stays on a line that drains evenly,
// the most a bursty reader can make of it, and how it grows and shrinks.
constexpr double shortestLeadMs = 50;
constexpr double longestLeadMs = 1000;
constexpr double leadGrowth = 2;
constexpr double leadShrink = 0.97;

} // namespace

OutputPace::OutputPace()
    : leadMs_(shortestLeadMs)
{
    clock_.start();
}

void OutputPace::observe(qint64 left, qint64 unsent)
{
    const qint64 now = clock_.nsecsElapsed();
    if (busy_) {
        const qint64 elapsed = now - busySinceNs_;
        const qint64 moved = left - leftWhenBusy_;
        if (unsent <= 0) {
            // A reader that takes in bursts can empty the link just after a
            // look: count at least a moment for what it moved.
            const double rate = double(moved) * 1e9 / double(qMax(elapsed, leastLookNs));
            bytesPerSecond_ = qMax(bytesPerSecond_, rate);
            busy_ = false;
            return;
        }
        if (elapsed < sampleNs)
            return;
        // Only a stretch watched closely was surely busy throughout; a line
        // that moved nothing is stopped (flow control), which says nothing
        // about its speed.
        if (elapsed <= 2 * sampleNs && moved > 0) {
            const double rate = double(moved) * 1e9 / double(elapsed);
            bytesPerSecond_ = bytesPerSecond_ > 0 ? (bytesPerSecond_ + rate) / 2 : rate;
            leadMs_ = qMax(shortestLeadMs, leadMs_ * leadShrink);
        }
    }
    busy_ = unsent > 0;
    busySinceNs_ = now;
    leftWhenBusy_ = left;
}

qint64 OutputPace::room(qint64 left, qint64 unsent)
{
    observe(left, unsent);
    // Everything it held has gone (not been discarded) before this look.
    if (full_ && unsent <= 0 && left - leftWhenFull_ >= unsentWhenFull_)
        leadMs_ = qMin(longestLeadMs, leadMs_ * leadGrowth);
    const qint64 room = limit() - unsent;
    full_ = room <= 0;
    leftWhenFull_ = left;
    unsentWhenFull_ = unsent;
    return room;
}

qint64 OutputPace::limit() const
{
    if (bytesPerSecond_ <= 0)
        return unmeasuredLimit;
    return qMax(leastLimit, qint64(bytesPerSecond_ * leadMs_ / 1000));
}
