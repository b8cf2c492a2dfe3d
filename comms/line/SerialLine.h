#pragma once

#include "comms/line/LineDevice.h"
#include "comms/line/SerialSettings.h"

#include <QSerialPort>

// The serial device layer over QSerialPort.
class SerialLine : public LineDevice {
    Q_OBJECT
public:
    explicit SerialLine(QObject *parent = nullptr);

    void setDevicePath(const QString &path) { path_ = path; }
    // Applied at once when open.
    void setSettings(const SerialSettings &settings);

    void open() override;
    void close() override;
    bool isOpen() const override { return port_.isOpen(); }
    QByteArray read(qint64 maxBytes) override { return port_.read(maxBytes); }
    bool hasInput() const override { return port_.bytesAvailable() > 0; }
    bool waitForInput(int ms) override;
    void write(const QByteArray &data) override { port_.write(data); }
    qint64 bytesToWrite() const override { return port_.bytesToWrite(); }
    void discardOutput() override { port_.clear(QSerialPort::Output); }
    void discardInput() override { port_.clear(QSerialPort::Input); }
    bool setBreak(bool on) override;
    std::optional<int> modemLines() const override;
    bool setDtr(bool on) override;
    bool setRts(bool on) override;

private:
    void apply();
    bool applySoftwareFlow();
    void onError(QSerialPort::SerialPortError error);
    bool unsupported(const char *what);

    QSerialPort port_;
    QString path_;
    SerialSettings settings_;
    bool closing_ = false;
};
