// Throughput of the line: bytes per second through Comport over a socat
// pseudo-terminal pair and over a telnet connection in binary mode on
// loopback, each direction measured separately.
//   line_bench [megabytes]
#include "comms/line/Comport.h"
#include "support/LinePeers.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSerialPort>
#include <QTimer>

#include <cstdio>

namespace {

QByteArray payload(qsizetype size)
{
    QByteArray out(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        out[i] = static_cast<char>(i * 31 + (i >> 8));
    return out;
}

// Runs the event loop until done() or a minute passes; returns seconds taken.
template <typename Done> double runUntil(Done done)
{
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done() || clock.elapsed() > 60000)
            loop.quit();
    });
    check.start(1);
    loop.exec();
    return done() ? static_cast<double>(clock.nsecsElapsed()) / 1e9 : -1;
}

void report(const char *what, qsizetype bytes, double seconds)
{
    if (seconds < 0)
        std::printf("%-32s did not finish within a minute\n", what);
    else
        std::printf("%-32s %8.2f MB/s (%lld bytes in %.3f s)\n", what,
            static_cast<double>(bytes) / seconds / 1e6, static_cast<long long>(bytes), seconds);
}

void serialBench(qsizetype size)
{
    PtyPair pty;
    if (!pty.start()) {
        std::printf("socat pseudo-terminals unavailable\n");
        return;
    }
    Comport port;
    port.setDevicePath(pty.near());
    port.setBaud(115200);
    port.open();
    QSerialPort far;
    far.setPortName(pty.far());
    far.open(QIODevice::ReadWrite);
    const QByteArray data = payload(size);

    qsizetype got = 0;
    port.events().data.add(HandlerStage::Window, [&](const QByteArray &, qint64 n) {
        got += port.getBlock(n).size();
        return false;
    });
    far.write(data);
    report("pty, far end to Comport", size, runUntil([&] { return got == size; }));

    qsizetype farGot = 0;
    QObject::connect(&far, &QSerialPort::readyRead, [&] { farGot += far.readAll().size(); });
    port.putBlock(data);
    report("pty, Comport to far end", size, runUntil([&] { return farGot == size; }));
}

void telnetBench(qsizetype size)
{
    Comport server;
    server.setDeviceLayer(DeviceLayer::Socket);
    server.setSocketMode(SocketMode::Server);
    server.setSocketAddress(QStringLiteral("127.0.0.1"));
    server.setSocketPort(QStringLiteral("0"));
    server.open();
    Comport client;
    client.setDeviceLayer(DeviceLayer::Socket);
    client.setSocketAddress(QStringLiteral("127.0.0.1"));
    client.setSocketPort(QString::number(server.listeningPort()));
    bool up = false;
    server.events().accepted.add(HandlerStage::Window, [&] {
        up = true;
        return false;
    });
    client.open();
    runUntil([&] { return up; });
    QEventLoop settle; // let negotiation finish
    QTimer::singleShot(300, &settle, &QEventLoop::quit);
    settle.exec();
    const QByteArray data = payload(size); // every byte value, IAC included

    qsizetype got = 0;
    server.events().data.add(HandlerStage::Window, [&](const QByteArray &, qint64 n) {
        got += server.getBlock(n).size();
        return false;
    });
    client.putBlock(data);
    report("telnet binary, client to server", size, runUntil([&] { return got == size; }));

    qsizetype back = 0;
    client.events().data.add(HandlerStage::Window, [&](const QByteArray &, qint64 n) {
        back += client.getBlock(n).size();
        return false;
    });
    server.putBlock(data);
    report("telnet binary, server to client", size, runUntil([&] { return back == size; }));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const qsizetype megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 8;
    const qsizetype size = qMax<qsizetype>(1, megabytes) * 1000 * 1000;
    serialBench(size);
    telnetBench(size);
    return 0;
}
