#include "ScriptRun.h"

#include "StdioFileSender.h"
#include "StdioPrompt.h"
#include "StdioTerminal.h"

#include "comms/line/Comport.h"
#include "comms/transfer/ProtocolEngine.h"
#include "script/ScriptError.h"
#include "script/ScriptTables.h"
#include "script/TScript.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <optional>

namespace {

constexpr int usageStatus = 2;
// A script that ends without any condition set.
constexpr int noConditionStatus = 1;

struct RunOptions {
    QString file;
    QString host;
    QString port;
    bool raw = false;
    bool listen = false;
    QString serial;
    qint32 baud = 57600;
    QString dir;
    QStringList vars;
    bool quiet = false;
};

std::optional<RunOptions> parse(QStringList args, QString &error)
{
    RunOptions options;
    while (!args.isEmpty()) {
        const QString arg = args.takeFirst();
        const bool hasValue = !args.isEmpty();
        if (arg == QLatin1String("--raw")) {
            options.raw = true;
        } else if (arg == QLatin1String("--quiet")) {
            options.quiet = true;
        } else if (arg == QLatin1String("--tcp") && hasValue) {
            const QString value = args.takeFirst();
            const qsizetype colon = value.lastIndexOf(QLatin1Char(':'));
            if (colon <= 0) {
                error = QStringLiteral("--tcp wants HOST:PORT");
                return std::nullopt;
            }
            options.host = value.left(colon);
            options.port = value.mid(colon + 1);
        } else if (arg == QLatin1String("--listen") && hasValue) {
            options.listen = true;
            options.port = args.takeFirst();
        } else if (arg == QLatin1String("--serial") && hasValue) {
            options.serial = args.takeFirst();
        } else if (arg == QLatin1String("--baud") && hasValue) {
            options.baud = args.takeFirst().toInt();
        } else if (arg == QLatin1String("--dir") && hasValue) {
            options.dir = args.takeFirst();
        } else if (arg == QLatin1String("--var") && hasValue) {
            options.vars << args.takeFirst();
        } else if (!arg.startsWith(QLatin1String("--")) && options.file.isEmpty()) {
            options.file = arg;
        } else {
            error = QStringLiteral("unknown or incomplete option %1").arg(arg);
            return std::nullopt;
        }
    }
    const int lines = int(!options.host.isEmpty()) + int(options.listen) + int(!options.serial.isEmpty());
    if (options.file.isEmpty())
        error = QStringLiteral("run takes a script file");
    else if (lines > 1)
        error = QStringLiteral("choose one of --tcp, --listen and --serial");
    else if (options.raw && options.host.isEmpty())
        error = QStringLiteral("--raw goes with --tcp");
    else if (options.baud <= 0)
        error = QStringLiteral("--baud wants a number");
    return error.isEmpty() ? std::optional(options) : std::nullopt;
}

QString conditionName(int code)
{
    using namespace ScriptTables;
    switch (code) {
    case Success:
        return QStringLiteral("SUCCESS");
    case Timeout:
        return QStringLiteral("TIMEOUT");
    case Fail:
        return QStringLiteral("FAIL");
    case Connected:
        return QStringLiteral("CONNECTED");
    case Disconnected:
        return QStringLiteral("DISCONNECTED");
    case Error:
        return QStringLiteral("ERROR");
    case Accepted:
        return QStringLiteral("ACCEPTED");
    case Equal:
        return QStringLiteral("EQUAL");
    case NotEqual:
        return QStringLiteral("NOTEQUAL");
    default:
        return QStringLiteral("condition");
    }
}

void configureLine(Comport &port, const RunOptions &options)
{
    if (!options.serial.isEmpty()) {
        port.setDeviceLayer(DeviceLayer::Serial);
        port.setDevicePath(options.serial);
        port.setBaud(options.baud);
    } else if (options.listen || !options.host.isEmpty()) {
        port.setDeviceLayer(DeviceLayer::Socket);
        port.setSocketMode(options.listen ? SocketMode::Server : SocketMode::Client);
        port.setSocketAddress(options.listen ? QStringLiteral("0") : options.host);
        port.setSocketPort(options.port);
        port.setTelnet(!options.raw);
    }
}

} // namespace

int runScript(const QStringList &arguments)
{
    QString error;
    const std::optional<RunOptions> parsed = parse(arguments, error);
    if (!parsed) {
        std::fprintf(stderr, "tarnex-script: %s\n", qPrintable(error));
        return usageStatus;
    }
    const RunOptions &options = *parsed;
    if (!QFileInfo(options.file).isFile()) {
        std::fprintf(stderr, "tarnex-script: cannot read %s\n", qPrintable(options.file));
        return usageStatus;
    }

    Comport port;
    ProtocolEngine protocol;
    // Without a mask an UPLOAD sends the file named by SET FILENAME.
    protocol.setFileMask(QString());
    protocol.setDestinationDirectory(options.dir.isEmpty() ? QDir::currentPath() : options.dir);
    StdioPrompt prompt;
    StdioTerminal terminal(options.quiet);
    TScript script;
    // DISPLAY comes out once, through OnScriptDisplay.
    script.DisplayToTerminal = false;
    script.setTerminal(&terminal);
    script.setComPort(&port);
    script.setProtocol(&protocol);
    script.setPrompt(&prompt);
    StdioFileSender fileSender(port);
    script.setFileSender(&fileSender);
    for (const QString &assignment : options.vars) {
        const qsizetype equals = assignment.indexOf(QLatin1Char('='));
        if (equals <= 0) {
            std::fprintf(stderr, "tarnex-script: --var wants NAME=VALUE\n");
            return usageStatus;
        }
        script.vars().add(assignment.left(equals).toUpper()).Value = assignment.mid(equals + 1);
    }
    try {
        script.setScriptFile(options.file);
        script.PrepareScript();
    } catch (const EScriptBadStatement &) {
        std::fprintf(stderr, "Error in line number %u - %s\n", unsigned(script.ErrLineNum()),
            qPrintable(script.ErrDesc().replace(QLatin1Char('\r'), QLatin1Char(' '))));
        return noConditionStatus;
    } catch (const EScriptFileError &) {
        std::fprintf(stderr, "tarnex-script: cannot read %s\n", qPrintable(options.file));
        return usageStatus;
    }

    // Relative names in the script (SET FILENAME, masks, CHDIR) start from the transfer folder.
    if (!options.dir.isEmpty() && !QDir::setCurrent(options.dir)) {
        std::fprintf(stderr, "tarnex-script: cannot use the folder %s\n", qPrintable(options.dir));
        return usageStatus;
    }

    // The terminal of the tool: what arrives is shown and taken out of the input buffer.
    const HandlerRegistration shown
        = port.events().data.attach(HandlerStage::Window, [&port, &options](const QByteArray &, qint64) {
              const QByteArray bytes = port.getBlock(port.charReady());
              if (!options.quiet) {
                  std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
                  std::fflush(stdout);
              }
              return false;
          });
    QObject::connect(&script, &TScript::OnScriptDisplay, [](TScript *, const QString &text) {
        std::fprintf(stdout, "%s\n", qPrintable(text));
        std::fflush(stdout);
    });
    int status = 0;
    QObject::connect(&script, &TScript::OnScriptFinish, [&status, &script](TScript *, int condition) {
        if (condition != ScriptTables::Success) {
            std::fprintf(stderr, "tarnex-script: ended with %s (%d) at line %d\n",
                qPrintable(conditionName(condition)), condition, script.currentLine());
            status = condition % 256 == 0 ? noConditionStatus : condition % 256;
        }
        QCoreApplication::exit(status);
    });

    const bool lineWanted = !options.serial.isEmpty() || options.listen || !options.host.isEmpty();
    const bool socket = options.listen || !options.host.isEmpty();
    HandlerRegistration connected;
    HandlerRegistration failed;
    if (lineWanted) {
        configureLine(port, options);
        try {
            port.open();
        } catch (const ComportError &openError) {
            std::fprintf(stderr, "tarnex-script: %s\n", openError.what());
            return usageStatus;
        }
    }
    if (socket) {
        // The script starts once the connection stands.
        const auto start = [&script] {
            if (!script.running())
                script.StartScript();
            return false;
        };
        connected = port.events().connected.attach(HandlerStage::Window, start);
        // Until the script runs, a failed connection ends the tool; afterwards it is the script's.
        failed = port.events().error.attach(HandlerStage::Window, [&script](int, const QString &message) {
            if (!script.running() && script.currentLine() == 0) {
                std::fprintf(stderr, "tarnex-script: %s\n", qPrintable(message));
                QCoreApplication::exit(usageStatus);
            }
            return false;
        });
        if (options.listen)
            connected = port.events().accepted.attach(HandlerStage::Window, start);
    } else {
        QMetaObject::invokeMethod(
            &script, [&script] { script.StartScript(); }, Qt::QueuedConnection);
    }
    const int exitStatus = QCoreApplication::exec();
    script.CancelScript();
    return exitStatus;
}
