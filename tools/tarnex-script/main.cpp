// tarnex-script: checks and runs script files.
#include "RecordDump.h"
#include "ScriptRun.h"

#include "script/ScriptError.h"
#include "script/TCustomScript.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

namespace {

constexpr int usageStatus = 2;

const char usage[] = "Usage: tarnex-script check [--dump] FILE\n"
                     "\n"
                     "  check FILE         parse the script; exit 0 silently when it parses, otherwise\n"
                     "                     exit 1 with \"Error in line number <n> - <message>\" on stderr\n"
                     "  check --dump FILE  also print every parsed record as one JSON object a line\n"
                     "\n"
                     "Usage: tarnex-script run FILE [--tcp HOST:PORT [--raw] | --listen PORT |\n"
                     "                               --serial DEVICE [--baud N]] [--dir DIR]\n"
                     "                               [--var NAME=VALUE]... [--quiet]\n"
                     "\n"
                     "  run FILE           run the script on the line: a telnet connection (--raw: plain\n"
                     "                     TCP), the first caller on a listening port, or a serial device;\n"
                     "                     without a line the script can open one (OPENCLIENT, INITPORT).\n"
                     "                     DISPLAY texts and received data go to stdout (--quiet: only\n"
                     "                     DISPLAY); INPUT reads a line from stdin; transfers receive into\n"
                     "                     and send from DIR (default: the current folder); --var sets a\n"
                     "                     script variable first. Exit 0 when the script ends with\n"
                     "                     SUCCESS, otherwise the final condition code modulo 256 (1 when\n"
                     "                     no condition was set) and one line on stderr naming the\n"
                     "                     condition and the script line; 2 for a usage error\n"
                     "  --help             show this text\n";

int usageError(const char *message)
{
    std::fprintf(stderr, "tarnex-script: %s\n%s", message, usage);
    return usageStatus;
}

int check(const QString &fileName, bool dump)
{
    if (!QFileInfo(fileName).isFile())
        return usageError(qPrintable(QStringLiteral("cannot read %1").arg(fileName)));
    TCustomScript script;
    int status = 0;
    try {
        script.setScriptFile(fileName);
        script.PrepareScript();
    } catch (const EScriptBadStatement &) {
        const QString desc = script.ErrDesc().replace(QLatin1Char('\r'), QLatin1Char(' '));
        std::fprintf(
            stderr, "Error in line number %u - %s\n", unsigned(script.ErrLineNum()), qPrintable(desc));
        status = 1;
    } catch (const EScriptFileError &) {
        return usageError(qPrintable(QStringLiteral("cannot read %1").arg(fileName)));
    }
    if (dump)
        std::fputs(dumpScriptRecords(script).constData(), stdout);
    return status;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarnex-script"));
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
        std::fputs(usage, stdout);
        return 0;
    }
    const QString command = args.isEmpty() ? QString() : args.takeFirst();
    if (command == QLatin1String("run"))
        return runScript(args);
    if (command != QLatin1String("check"))
        return usageError("unknown command");
    const bool dump = args.removeAll(QLatin1String("--dump")) > 0;
    if (args.size() != 1)
        return usageError("check takes one script file");
    return check(args.first(), dump);
}
