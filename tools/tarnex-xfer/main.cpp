#include "XferCommandLine.h"
#include "XferSession.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

int main(int argc, char *argv[])
{
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarnex-xfer"));

    XferRequest request;
    QString error;
    if (!parseXferCommandLine(QCoreApplication::arguments(), &request, &error)) {
        if (error.isEmpty())
            return 0;
        std::fprintf(stderr, "tarnex-xfer: %s (code %d)\n", qPrintable(error), usageErrorStatus);
        return usageErrorStatus;
    }
    XferSession session(request);
    QObject::connect(&session, &XferSession::done, &app, [](int status) { QCoreApplication::exit(status); });
    session.start();
    return app.exec();
}
