#include <QCoreApplication>
#include <QTextStream>

#include "comms/keyboard/DefaultKeyMap.h"
#include "shell/ProgramDir.h"
#include "shell/Version.h"

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
    return true;
}

} // namespace

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
    if (!prepareProgramDir())
        return 1;
    QTextStream(stderr) << "tarnex: the main window is not built yet; try --version\n";
    return 1;
}
