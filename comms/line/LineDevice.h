#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <optional>

// One device layer under the port: a serial device or a socket. Reads return
// application data (telnet already removed); writes take application data.
class LineDevice : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~LineDevice() override = default;

    // Throws ComportError when the device cannot be opened.
    virtual void open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    virtual QByteArray read(qint64 maxBytes) = 0;
    virtual bool hasInput() const = 0;
    // Blocks up to ms for input without running the event loop.
    virtual bool waitForInput(int ms) = 0;
    virtual void write(const QByteArray &data) = 0;
    virtual qint64 bytesToWrite() const = 0;
    virtual void discardOutput() = 0;
    virtual void discardInput() = 0;

    // Break state of the line; false when the layer cannot hold one.
    virtual bool setBreak(bool on) = 0;
    // Modem-status lines as a ModemLine mask, or nothing when the device
    // cannot report them.
    virtual std::optional<int> modemLines() const = 0;
    // False with lastError() set when the device cannot drive the line.
    virtual bool setDtr(bool on) = 0;
    virtual bool setRts(bool on) = 0;
    QString lastError() const { return lastError_; }

signals:
    void readyRead();
    void bytesWritten();
    void connected();
    void accepted();
    // The other side went away; the device has closed itself.
    void disconnected();
    void failed(int code, const QString &message);

protected:
    QString lastError_;
};
