// One main window with a label: shown, then closed right after the event
// loop has run once, printing the time since the process started as
// tarnex --measure-startup does.
#include "shell/ProcessClock.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QTextStream>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setCentralWidget(new QLabel(QStringLiteral("minimal"), &window));
    window.resize(652, 412);
    window.show();
    QTimer::singleShot(0, &window, [&window] {
        QTextStream(stdout) << "startup-ms " << msSinceProcessStart() << '\n';
        window.close();
    });
    return app.exec();
}
