// modem-fixture: a Hayes modem on one end of a pseudo-terminal pair, for
// tests of dialling. Calls are TCP connections (see HayesModem.h). A pty
// has no DTR: the program under test hangs up with "+++" and ATH.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "CallTable.h"
#include "HayesModem.h"

namespace {

void writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd wait{fd, POLLOUT, 0};
            ::poll(&wait, 1, 1000);
        } else {
            qWarning("modem: write to the line failed: %s", strerror(errno));
            return;
        }
    }
}

int openLine(const QString &path)
{
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return -1;
    termios tio{};
    if (::tcgetattr(fd, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(fd, TCSANOW, &tio);
    }
    return fd;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Hayes modem emulator on a pseudo-terminal; calls are "
                                                    "TCP.\nA pty has no DTR: hang up with +++ and ATH."));
    parser.addHelpOption();
    parser.addPositionalArgument(
        QStringLiteral("line"), QStringLiteral("The pseudo-terminal the modem sits on."));
    const QCommandLineOption table(
        QStringLiteral("table"), QStringLiteral("Call table file."), QStringLiteral("file"));
    const QCommandLineOption speed(QStringLiteral("speed"), QStringLiteral("Speed in CONNECT."),
        QStringLiteral("bps"), QStringLiteral("33600"));
    const QCommandLineOption suffix(QStringLiteral("connect-suffix"),
        QStringLiteral("Text after the CONNECT speed."), QStringLiteral("text"));
    const QCommandLineOption guard(QStringLiteral("guard-ms"), QStringLiteral("Escape guard time (S12)."),
        QStringLiteral("ms"), QStringLiteral("1000"));
    const QCommandLineOption listen(QStringLiteral("listen"),
        QStringLiteral("Take incoming calls on this TCP port (0: any)."), QStringLiteral("port"));
    const QCommandLineOption ringMs(QStringLiteral("ring-ms"), QStringLiteral("Time between RINGs."),
        QStringLiteral("ms"), QStringLiteral("2000"));
    const QCommandLineOption mute(QStringLiteral("mute"), QStringLiteral("Read everything, never answer."));
    const QCommandLineOption garbage(
        QStringLiteral("garbage"), QStringLiteral("Answer every command with garbage."));
    parser.addOptions({table, speed, suffix, guard, listen, ringMs, mute, garbage});
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(2);

    ModemOptions options;
    options.speed = parser.value(speed).toInt();
    options.connectSuffix = parser.value(suffix);
    options.guardMs = parser.value(guard).toInt();
    options.ringMs = std::max(10, parser.value(ringMs).toInt());
    options.mute = parser.isSet(mute);
    options.garbage = parser.isSet(garbage);

    CallTable calls;
    QString error;
    if (parser.isSet(table) && !calls.load(parser.value(table), &error)) {
        qCritical("modem: %s", qPrintable(error));
        return 2;
    }
    const QString path = parser.positionalArguments().constFirst();
    const int fd = openLine(path);
    if (fd < 0) {
        qCritical("modem: cannot open %s: %s", qPrintable(path), strerror(errno));
        return 2;
    }

    HayesModem modem(options, &calls, [fd](const QByteArray &bytes) { writeAll(fd, bytes); });
    QSocketNotifier readable(fd, QSocketNotifier::Read);
    QObject::connect(&readable, &QSocketNotifier::activated, &app, [&] {
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n > 0) {
                modem.fromTerminal(QByteArray(buffer, n));
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                return;
            // The pty pair is gone.
            qInfo("modem: line closed");
            readable.setEnabled(false);
            app.quit();
            return;
        }
    });

    QTcpServer server;
    if (parser.isSet(listen)) {
        if (!server.listen(QHostAddress::LocalHost, static_cast<quint16>(parser.value(listen).toUInt()))) {
            qCritical("modem: cannot listen: %s", qPrintable(server.errorString()));
            return 2;
        }
        std::printf("LISTEN %u\n", server.serverPort());
        std::fflush(stdout);
        QObject::connect(&server, &QTcpServer::newConnection, &app, [&] {
            while (QTcpSocket *caller = server.nextPendingConnection())
                modem.incoming(caller);
        });
    }
    qInfo("modem: ready on %s", qPrintable(path));
    const int status = app.exec();
    ::close(fd);
    return status;
}
