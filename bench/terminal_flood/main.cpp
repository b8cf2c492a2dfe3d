// Time for a visible terminal to take in and show a flood received over a loopback socket.
//   terminal_flood [megabytes]   (default 100)
// A sender thread writes a mixed stream (text, colour changes, cursor motion, scrolling) to a
// loopback TCP connection; the terminal receives it on the event loop as the line would deliver it.
#include "bench/MixedAnsiStream.h"
#include "comms/ui/Terminal.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <arpa/inet.h>
#include <cstdio>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

void sendFlood(quint16 port, qint64 total)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        std::perror("connect");
        std::exit(1);
    }
    MixedAnsiStream stream;
    std::string chunk;
    for (qint64 sent = 0; sent < total;) {
        if (chunk.empty())
            chunk = stream.next();
        const ssize_t n = ::write(fd, chunk.data(), size_t(qMin<qint64>(qint64(chunk.size()), total - sent)));
        if (n <= 0)
            break;
        sent += n;
        chunk.erase(0, size_t(n));
    }
    ::close(fd);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const qint64 total = (argc > 1 ? QByteArray(argv[1]).toLongLong() : 100) * 1000 * 1000;

    Terminal terminal;
    terminal.setActive(true);
    terminal.show();

    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    std::thread sender(sendFlood, server.serverPort(), total);

    QElapsedTimer clock;
    qint64 received = 0;
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        QTcpSocket *socket = server.nextPendingConnection();
        clock.start();
        QObject::connect(socket, &QTcpSocket::readyRead, [&, socket] {
            const QByteArray bytes = socket->readAll();
            received += bytes.size();
            terminal.receive(bytes);
        });
        QObject::connect(socket, &QTcpSocket::disconnected, [&, socket] {
            const QByteArray rest = socket->readAll();
            received += rest.size();
            terminal.receive(rest);
            terminal.repaintNow();
            const double seconds = clock.nsecsElapsed() / 1e9;
            std::printf("bytes %lld seconds %.3f MB/s %.1f\n", static_cast<long long>(received), seconds,
                received / 1e6 / seconds);
            app.quit();
        });
    });
    const int code = app.exec();
    sender.join();
    return code;
}
