#include <QCoreApplication>
#include <QTextStream>

#include "shell/Version.h"

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tarnex"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(Tarnex::versionText));
    const QStringList args = QCoreApplication::arguments();
    if (args.contains(QStringLiteral("--version"))) {
        QTextStream(stdout) << "Tarnex " << Tarnex::versionText << '\n';
        return 0;
    }
    QTextStream(stderr) << "tarnex: the main window is not built yet; try --version\n";
    return 1;
}
