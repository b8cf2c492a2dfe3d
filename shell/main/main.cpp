#include <QApplication>
#include <QTextStream>

#include "comms/keyboard/DefaultKeyMap.h"
#include "extras/ShippedSounds.h"
#include "shell/ProcessClock.h"
#include "shell/ProgramDir.h"
#include "shell/SignalPipe.h"
#include "shell/Version.h"
#include "shell/main/Application.h"
#include "shell/main/AutomationBus.h"

#include <csignal>
#include <cstring>

namespace {

// The program folder is created and seeded with the shipped files at first start.
bool prepareProgramDir()
{
    const QString dir = ProgramDir::resolve();
    QString error;
    if (!DefaultKeyMap::install(dir, &error)) {
        QTextStream(stderr) << "tarnex: " << error << '\n';
        return false;
    }
    // Without its sounds the program still runs, silently.
    if (!ShippedSounds::install(dir + QStringLiteral("sounds"), &error))
        QTextStream(stderr) << "tarnex: " << error << '\n';
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    // Answered before any window system is needed.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            QTextStream(stdout) << "Tarnex " << Tarnex::versionText << '\n';
            return 0;
        }
    }
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tarnex"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(Tarnex::versionText));
    if (!prepareProgramDir())
        return 1;
    Application application;
    // SIGTERM, SIGINT and SIGHUP take the usual close path, without a question.
    SignalPipe stopSignals({SIGTERM, SIGINT, SIGHUP});
    QObject::connect(&stopSignals, &SignalPipe::caught, &application, &Application::closeWithoutAsking);
    // Other processes post the window's messages over D-Bus.
    AutomationBus bus(application.log());
    QObject::connect(&bus, &AutomationBus::messagePosted, &application, &Application::postMessage);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    // Start-up as usual, then the usual close, and how long the start took.
    if (arguments.removeAll(QStringLiteral("--measure-startup")) > 0) {
        QObject::connect(&application, &Application::startupFinished, &application, [&application] {
            QTextStream(stdout) << "startup-ms " << msSinceProcessStart() << '\n';
            application.closeWithoutAsking();
        });
    }
    application.start(arguments);
    return app.exec();
}
