#pragma once

#include "comms/line/ComDevices.h"
#include "comms/line/ComportEvents.h"
#include "comms/line/ComportTypes.h"
#include "comms/line/PortRecorder.h"
#include "comms/line/SerialSettings.h"
#include "comms/line/TextMatcher.h"
#include "comms/line/TriggerTable.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>
#include <optional>

class LineDevice;
class SerialLine;
class SocketLine;
class NestedLoop;

// The line: one port that is a serial device or a TCP socket (telnet or raw),
// with an ordered output queue, an input buffer, triggers, log and trace.
// Every event is delivered on the thread that owns the port, one at a time,
// through the chains of events(): an event raised while a handler runs waits
// until that handler returns.
//
// Received data goes into the input buffer and is announced on the data
// chain; a consumer that claims the input (a transfer running over the line)
// gets the bytes instead, in order, and the buffer stays empty.
class Comport : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 bufferSize = 16384;
    using InputClaim = std::function<void(const QByteArray &bytes)>;

    explicit Comport(QObject *parent = nullptr);
    ~Comport() override;

    // Serial device: a COM number (mapped through ComDevices) or a device path.
    void setComNumber(int number);
    int comNumber() const { return comNumber_; }
    void setDevicePath(const QString &path) { devicePath_ = path; }
    void setDeviceOverride(ComDevices::Override override) { deviceOverride_ = std::move(override); }
    QString devicePath() const;

    // Line settings take effect at once when the serial port is open.
    void setBaud(qint32 baud);
    void setParity(int parity);
    void setDataBits(int bits);
    void setStopBits(int bits);
    void setHardwareFlow(int bits);
    void setSoftwareFlow(SoftwareFlow flow);
    void setXonChar(char c);
    void setXoffChar(char c);
    const SerialSettings &serialSettings() const { return serial_; }
    // Input-buffer levels at which reading stops and resumes; 0 restores the default.
    void setBufferFull(qint64 level);
    void setBufferResume(qint64 level);
    qint64 bufferFull() const { return bufferFull_; }
    qint64 bufferResume() const { return bufferResume_; }

    void setDeviceLayer(DeviceLayer layer) { layer_ = layer; }
    DeviceLayer deviceLayer() const { return layer_; }
    void setTapiMode(bool automatic) { tapiMode_ = automatic; }
    bool tapiMode() const { return tapiMode_; }

    // "0" clears the address; "0.0.0.0" means no address could be resolved.
    void setSocketAddress(const QString &address) { socketAddress_ = address; }
    QString socketAddress() const { return socketAddress_; }
    // A number or a service name ("telnet" is 23).
    void setSocketPort(const QString &port) { socketPort_ = port; }
    QString socketPort() const { return socketPort_; }
    void setSocketMode(SocketMode mode) { socketMode_ = mode; }
    SocketMode socketMode() const { return socketMode_; }
    // Off gives a raw TCP connection for hosts that do not speak telnet.
    void setTelnet(bool on) { telnet_ = on; }
    bool telnet() const { return telnet_; }
    void setTerminalType(const QByteArray &name);
    void setWindowSize(int columns, int rows);
    // The server's listening port, the peer of a socket connection.
    quint16 listeningPort() const;
    QString peerAddress() const;
    quint16 peerPort() const;
    bool remoteEchoes() const;
    // Telnet with BINARY agreed both ways: every byte value passes as it is.
    bool telnetBinary() const;

    // Throws ComportError when the device cannot be opened.
    void open();
    void close();
    bool isOpen() const;

    // Only open() throws. Every other operation that can fail returns false
    // (0 for a trigger handle), records lastErrorCode and lastError, and
    // emits errorOccurred.
    // False when the device has no such line, as on a pseudo-terminal.
    bool setDtr(bool on);
    bool setRts(bool on);
    bool dcd() const;
    std::optional<int> modemLines() const;
    QString lastError() const { return lastError_; }
    int lastErrorCode() const { return lastErrorCode_; }

    // Queued for sending in order. False when the port is closed, or when
    // the output buffer already holds bufferSize bytes (a peer that does not
    // read): the caller sees the back-pressure instead of memory growing.
    bool putString(const QString &text);
    bool putBlock(const QByteArray &bytes);
    // Queued without the output-buffer limit, for a transfer engine that
    // paces its own output by what is pending.
    bool queueBlock(const QByteArray &bytes);
    qint64 outBuffUsed() const;
    qint64 outBuffFree() const { return qMax<qint64>(0, bufferSize - outBuffUsed()); }
    void flushOutBuffer();

    // Non-blocking reads of the input buffer.
    int getChar();
    // The n-th waiting byte (1 is the next), or -1.
    int peekChar(qint64 n) const;
    QByteArray getBlock(qint64 maxBytes);
    qint64 charReady() const { return input_.size(); }
    void flushInBuffer();

    // Holds the line in break state for the ticks; output waits meanwhile.
    // With yield the call returns when the break is over, running the event loop.
    bool sendBreak(qint64 ticks, bool yield);
    bool inBreak() const { return breakTimer_.isActive(); }

    int addDataTrigger(const QByteArray &text, bool ignoreCase);
    int addTimerTrigger();
    int addStatusTrigger(StatusTriggerType type);
    bool setTimerTrigger(int handle, qint64 ticks, bool active);
    // ModemStatus: value is a ModemLine mask; OutputFree: free bytes wanted.
    bool setStatusTrigger(int handle, int value, bool active);
    void removeTrigger(int handle);

    ComportEvents &events() { return events_; }

    // Searches data as it arrives; true when the text came within the ticks.
    // Without yield no other event of the program is handled meanwhile.
    bool waitForString(const QByteArray &text, qint64 ticks, bool yield, bool ignoreCase);
    // Reads what the device holds and delivers collected events now.
    void processCommunications();

    // While claimed, received bytes go to the claim instead of the buffer,
    // starting with those already waiting. The claim is the Claim stage of
    // the data chain: while one is held another is refused (0, InputClaimed).
    HandlerToken claimInput(InputClaim claim);
    void releaseInput(HandlerToken token);
    // Bytes a claim took but did not use (what followed the end of a
    // transfer) go back on the line ahead of newer ones, for the next
    // reader; triggers and watchers have seen them already.
    void returnInput(const QByteArray &bytes);

    void setLogFolder(const QString &folder);
    bool setLogging(LogState state);
    bool setTracing(LogState state);
    LogState logging() const { return log_.state(); }
    LogState tracing() const { return trace_.state(); }
    QString logPath() const { return log_.filePath(); }
    QString tracePath() const { return trace_.filePath(); }

signals:
    // Notices for watchers; the events a handler may consume or wrap come
    // through events().
    // The output queue has emptied.
    void outputDrained();
    // The telnet peer has answered every option we offered at connect time.
    void telnetNegotiated();
    // Every received and sent byte, for watchers (data packets, lights).
    void received(const QByteArray &bytes);
    void sent(const QByteArray &bytes);
    void openChanged(bool open);
    // An operation failed or a handler threw; also in lastErrorCode/lastError.
    // A socket failure also comes through events().error.
    void errorOccurred(int code, const QString &message);

private:
    enum class EventType {
        Data,
        Trigger,
        OutputFree,
        Drained,
        Connected,
        Accepted,
        Negotiated,
        Disconnected,
        Error
    };
    // The handle of a data event that carries returned input.
    static constexpr int returnedInput = 1;
    struct Event {
        EventType type;
        TriggerKind kind = TriggerKind::Data;
        int handle = 0;
        QByteArray bytes;
        QString message;
    };

    std::unique_ptr<LineDevice> makeDevice();
    void applySerial();
    void post(Event event, bool now);
    void scheduleDispatch();
    void dispatch();
    void deliver(Event &event);
    void deliverData(const QByteArray &bytes);
    void deliverReturned(const QByteArray &bytes);
    void store(const QByteArray &bytes);
    void fireTrigger(TriggerKind kind, int handle);
    void handInUnread();
    void readDevice();
    // How much more may be read from the device now (0 while the buffer is full).
    qint64 inputRoom() const;
    QByteArray pull(qint64 budget);
    void pumpOutput();
    void clearOutput();
    void onBytesWritten();
    void checkOutputFree();
    void pollModemLines();
    void updateModemPolling();
    void onDeviceGone();
    void releaseBreak();
    void inputConsumed();
    quint16 resolvePort() const;
    bool requireOpen();
    bool fail(int code, const QString &message);
    // Runs a handler; an exception it throws is recorded, not passed on, so
    // the line goes on delivering events.
    template <typename Call> void guarded(Call &&call);

    int comNumber_ = 1;
    QString devicePath_;
    ComDevices::Override deviceOverride_;
    SerialSettings serial_;
    qint64 bufferFull_ = 0;
    qint64 bufferResume_ = 0;
    DeviceLayer layer_ = DeviceLayer::Serial;
    bool tapiMode_ = false;
    QString socketAddress_ = QStringLiteral("0");
    QString socketPort_ = QStringLiteral("telnet");
    SocketMode socketMode_ = SocketMode::Client;
    bool telnet_ = true;
    QByteArray terminalType_ = "ANSI";
    int columns_ = 80;
    int rows_ = 24;

    std::unique_ptr<LineDevice> device_;
    SerialLine *serialLine_ = nullptr;
    SocketLine *socketLine_ = nullptr;
    QByteArray input_;
    QByteArray output_;
    qsizetype outputHead_ = 0; // bytes of output_ already handed to the device
    qint64 queuedInput_ = 0;
    bool readingStopped_ = false;
    std::deque<Event> queue_;
    bool dispatching_ = false;
    bool dispatchPosted_ = false;
    int holdEvents_ = 0;
    struct Waiter {
        TextMatcher matcher;
        bool matched = false;
        NestedLoop *loop = nullptr;
    };
    Waiter *waiter_ = nullptr;

    TriggerTable triggers_;
    ComportEvents events_;
    QTimer breakTimer_;
    QTimer modemPoll_;
    int lastModemLines_ = 0;
    PortRecorder log_;
    PortRecorder trace_;
    QString lastError_;
    int lastErrorCode_ = 0;
};
