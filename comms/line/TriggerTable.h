#pragma once

#include "comms/line/ComportTypes.h"
#include "comms/line/TextMatcher.h"

#include <QObject>
#include <QTimer>

#include <map>
#include <memory>
#include <vector>

// The port's triggers: data (text seen), timer (ticks elapsed, once per
// arming) and status (modem lines changed, or output buffer free). Handles
// are small positive numbers unique among live triggers.
class TriggerTable : public QObject {
    Q_OBJECT
public:
    static constexpr int maxTriggers = 1000;
    static constexpr int maxDataLength = 255;

    explicit TriggerTable(QObject *parent = nullptr);

    // Each throws ComportError when the trigger cannot be added.
    int addData(const QByteArray &text, bool ignoreCase);
    int addTimer();
    int addStatus(StatusTriggerType type);
    // False when the handle is not a live trigger of that kind.
    bool setTimer(int handle, qint64 ticks, bool active);
    bool setStatus(int handle, int value, bool active, int currentLines);
    bool remove(int handle);
    void clear();
    bool contains(int handle) const { return entries_.count(handle) != 0; }

    // Feeds one received byte; returns the handles of data triggers it completes.
    std::vector<int> feed(char byte);
    // Status triggers watching modem lines whose masked bits differ now.
    std::vector<int> modemLinesChanged(int lines);
    // Output-free triggers satisfied by this much free space; they disarm.
    std::vector<int> outputFree(qint64 freeBytes);
    bool watchesModemLines() const;
    bool hasDataTriggers() const;

signals:
    void timerFired(int handle);

private:
    struct Entry {
        TriggerKind kind = TriggerKind::Data;
        StatusTriggerType statusType = StatusTriggerType::ModemStatus;
        TextMatcher matcher;
        std::unique_ptr<QTimer> timer;
        bool armed = false;
        int value = 0; // line mask or free-byte threshold
        int lastLines = 0;
    };
    int add(Entry entry);
    Entry *find(int handle, TriggerKind kind);

    std::map<int, Entry> entries_;
    int nextHandle_ = 1;
};
