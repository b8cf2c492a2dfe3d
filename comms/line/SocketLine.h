#pragma once

#include "comms/line/ComportTypes.h"
#include "comms/line/LineDevice.h"
#include "comms/line/TelnetCodec.h"

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>

// The socket device layer: a TCP client, or a server that listens and takes
// one client at a time; telnet on top unless raw mode is chosen.
class SocketLine : public LineDevice {
    Q_OBJECT
public:
    explicit SocketLine(QObject *parent = nullptr);
    ~SocketLine() override;

    void setAddress(const QString &address) { address_ = address; }
    void setPort(quint16 port) { port_ = port; }
    void setMode(SocketMode mode) { mode_ = mode; }
    void setTelnet(bool on) { telnet_ = on; }
    void setTerminalType(const QByteArray &name);
    void setWindowSize(int columns, int rows);

    void open() override;
    void close() override;
    bool isOpen() const override;
    bool isConnected() const;
    QString peerAddress() const;
    quint16 peerPort() const;
    // Port the server listens on (useful when asked for port 0).
    quint16 listeningPort() const { return server_ ? server_->serverPort() : 0; }
    bool remoteEchoes() const { return codec_ && codec_->remoteEchoes(); }
    // Telnet with BINARY agreed in both directions.
    bool binary() const { return codec_ && codec_->sendsBinary() && codec_->receivesBinary(); }

    QByteArray read(qint64 maxBytes) override;
    // Past this much unsent data (our telnet answers to a peer that does not
    // read) the socket is not read until it drains, so a peer cannot make
    // us queue without end.
    static constexpr qint64 maxUnsent = 64 * 1024;

    bool hasInput() const override
    {
        return !leftover_.isEmpty() || (socket_ && socket_->bytesAvailable() > 0 && !outputBacklogged());
    }
    bool waitForInput(int ms) override;
    void write(const QByteArray &data) override;
    qint64 bytesToWrite() const override { return socket_ ? socket_->bytesToWrite() : 0; }
    void discardOutput() override { }
    void discardInput() override;
    bool setBreak(bool on) override;
    std::optional<int> modemLines() const override;
    bool setDtr(bool) override { return notSerial(); }
    bool setRts(bool) override { return notSerial(); }

    static int errorCode(QAbstractSocket::SocketError error);

signals:
    // The other side has answered every telnet option we asked for.
    void negotiated();

private:
    bool outputBacklogged() const { return socket_ && socket_->bytesToWrite() > maxUnsent; }
    void adopt(QTcpSocket *socket);
    void onNewConnection();
    void onSocketError(QAbstractSocket::SocketError error);
    void onSocketDisconnected();
    void writeRaw(const QByteArray &bytes);
    QByteArray decodeFrom(const QByteArray &raw);
    bool notSerial();

    QString address_;
    quint16 port_ = 23;
    SocketMode mode_ = SocketMode::Client;
    bool telnet_ = true;
    QByteArray terminalType_ = "ANSI";
    int columns_ = 80;
    int rows_ = 24;
    std::unique_ptr<QTcpServer> server_;
    QPointer<QTcpSocket> socket_;
    std::unique_ptr<TelnetCodec> codec_;
    QByteArray leftover_;
    // In waitForInput: its time-out is not an error.
    bool waiting_ = false;
    bool negotiated_ = false;
};
