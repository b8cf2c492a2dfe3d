#pragma once

#include "comms/line/TextMatcher.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTimer>

class Comport;

// Watches the port's received data for a packet: it starts at a start string
// (or with any data) and ends at an end string or when it reaches its size.
// A start seen without an end within the time-out, or within maxPacketBytes,
// drops the partial data and waits for the next start.
class DataPacket : public QObject {
    Q_OBJECT
public:
    // A packet that grows past this without ending is dropped and the
    // detector waits for the next start.
    static constexpr qsizetype maxPacketBytes = 16384;

    enum class StartCondition { String, AnyData };
    enum EndCondition { EndString = 1, EndSize = 2 };

    explicit DataPacket(Comport *port, QObject *parent = nullptr);

    void setName(const QString &name) { name_ = name; }
    QString name() const { return name_; }
    void setStartCondition(StartCondition condition) { startCondition_ = condition; }
    void setStartString(const QByteArray &text) { startString_ = text; }
    // A set of EndCondition flags; the first one met ends the packet.
    void setEndConditions(int conditions) { endConditions_ = conditions; }
    void setEndString(const QByteArray &text) { endString_ = text; }
    void setIncludeStrings(bool on) { includeStrings_ = on; }
    void setIgnoreCase(bool on) { ignoreCase_ = on; }
    // Ticks of 1/18.2 s from the start; 0 waits for ever.
    void setTimeout(qint64 ticks) { timeoutTicks_ = ticks; }
    void setPacketSize(qsizetype size) { packetSize_ = size; }
    // Re-arm after each packet; otherwise one packet per arming.
    void setAutoEnable(bool on) { autoEnable_ = on; }
    void setTag(int tag) { tag_ = tag; }
    int tag() const { return tag_; }

    // Enabling arms the packet; disabling stops it and drops partial data.
    void setEnabled(bool on);
    bool isEnabled() const { return enabled_; }
    // Waits for the next packet again (after one without auto re-arm).
    void arm();
    bool isArmed() const { return armed_; }

signals:
    void packet(const QByteArray &data);
    void timedOut();

private:
    enum class State { Idle, WaitStart, Collecting };
    void feed(const QByteArray &bytes);
    void begin();
    void finish(QByteArray data);
    void onTimeout();

    QPointer<Comport> port_;
    QString name_;
    StartCondition startCondition_ = StartCondition::String;
    QByteArray startString_;
    int endConditions_ = EndString;
    QByteArray endString_;
    bool includeStrings_ = false;
    bool ignoreCase_ = true;
    qint64 timeoutTicks_ = 0;
    qsizetype packetSize_ = 0;
    bool autoEnable_ = false;
    int tag_ = 0;
    bool enabled_ = false;
    bool armed_ = false;

    State state_ = State::Idle;
    TextMatcher startMatcher_;
    TextMatcher endMatcher_;
    QByteArray collected_;
    QByteArray recent_;
    QTimer timer_;
};
