#include "XferCommandLine.h"

#include <QCommandLineParser>

#include <cstdio>

namespace {

const char *const description
    = R"HELP(Runs one file transfer over standard input and output, a serial line or TCP.

  tarnex-xfer send    --protocol P [options] FILE...
  tarnex-xfer receive --protocol P [options] [--dir DIR] [--file NAME]

Protocols (name or number): xmodem 1, xmodem-crc 2, xmodem-1k 3, xmodem-1kg 4,
ymodem 5, ymodem-g 6, zmodem 7, kermit 8, ascii 9, bplus 10.

The line is standard input and output unless --serial, --tcp or --listen is
given; then nothing but protocol bytes goes to standard output and messages go
to standard error. Where standard input or output is a terminal, it is put in
raw mode for the transfer and its settings are restored afterwards. A serial
line runs at 115200 bit/s, 8 data bits, no parity, 1 stop bit and no flow
control unless told otherwise.

--tcp and --listen speak telnet: the binary option is negotiated before the
transfer starts and IAC and CR are escaped as telnet requires, so every byte
value passes. --raw gives plain TCP for peers that do not speak telnet.
--listen 0 takes any free port; the port is reported on standard error.

A --dir that does not exist is created, with its parent folders.

Xmodem (types 1-4) cannot carry a file's length: a received file ends with the
last block as it came, SUB (0x1A) bytes included, unless --xmodem-strip-padding
says that trailing SUB bytes are padding (right for text files).

Write-fail actions (--write-fail, not for Zmodem): 0 none, 1 reject, 2 rename,
3 overwrite. Zmodem file options (--zmodem-file-option): 0 none, 1 newer or
longer, 2 CRC different, 3 append, 4 overwrite, 5 newer, 6 different, 7 reject.
ASCII CR and LF translations (--ascii-cr, --ascii-lf): 0 none, 1 strip (CRs or
LFs), 2 add CR before LF, 3 add LF after CR; they apply to what is sent and to
what is received. An ASCII receive ends after --ascii-eof-timeout ticks of
silence (default 364, about 20 s).

B+ (bplus) has two sides. By default tarnex-xfer is the terminal: it waits for
the host's ENQ; "receive" takes the file the host sends, "send" offers FILE when
the host asks for an upload. With --bplus-host it is the host: "send" sends
FILE to the terminal, "receive --file NAME" asks the terminal for NAME.

Ctrl-C, SIGTERM and SIGHUP cancel the transfer: the other side is told, a
partly received file is removed (kept for a resume with --zmodem-recover, and
always by B+, which resumes downloads), and the exit status is 1.

Exit status 0 when every file was transferred; otherwise the result code, with
one line "tarnex-xfer: <message> (code N)" on standard error: 1 cancelled here,
2 cancelled by the other side, 3 timed out, 4 too many errors, 5 file not
found or unreadable, 6 cannot create a file, 7 cannot write a file, 8 disk
full, 9 line lost, 10 skipped, 11 protocol error, 12 file rejected, 13 line
not ready or protocol unavailable; 64 when the command line is wrong.)HELP";

struct IntOption {
    const char *name;
    int low;
    int high;
};

bool readInt(const QCommandLineParser &parser, const IntOption &spec, int *value, QString *error)
{
    const QString name = QString::fromLatin1(spec.name);
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    const int number = parser.value(name).toInt(&ok);
    if (!ok || number < spec.low || number > spec.high) {
        *error = QStringLiteral("--%1 wants a number from %2 to %3, not \"%4\"")
                     .arg(name)
                     .arg(spec.low)
                     .arg(spec.high)
                     .arg(parser.value(name));
        return false;
    }
    *value = number;
    return true;
}

bool parseOptions(const QCommandLineParser &parser, ProtocolOptions *options, QString *error)
{
    options->zmodem8K = parser.isSet(QStringLiteral("zmodem-8k"));
    options->zmodemRecover = parser.isSet(QStringLiteral("zmodem-recover"));
    options->zmodemOptionOverride = parser.isSet(QStringLiteral("zmodem-override"));
    options->zmodemSkipNoFile = parser.isSet(QStringLiteral("zmodem-skip-no-file"));
    options->honorDirectory = parser.isSet(QStringLiteral("honor-dir"));
    options->includeDirectory = parser.isSet(QStringLiteral("include-dir"));
    options->xmodemStripPadding = parser.isSet(QStringLiteral("xmodem-strip-padding"));
    options->keepRemoteExecute = parser.isSet(QStringLiteral("keep-exec"));
    int fileOption = static_cast<int>(options->zmodemFileOption);
    int writeFail = static_cast<int>(options->writeFailAction);
    int cr = static_cast<int>(options->asciiCr);
    int lf = static_cast<int>(options->asciiLf);
    if (!readInt(parser, {"zmodem-file-option", 0, 7}, &fileOption, error)
        || !readInt(parser, {"write-fail", 0, 3}, &writeFail, error)
        || !readInt(parser, {"ascii-char-delay", 0, 60000}, &options->asciiCharDelayMs, error)
        || !readInt(parser, {"ascii-line-delay", 0, 60000}, &options->asciiLineDelayMs, error)
        || !readInt(parser, {"ascii-cr", 0, 3}, &cr, error)
        || !readInt(parser, {"ascii-lf", 0, 3}, &lf, error)
        || !readInt(parser, {"ascii-eof-timeout", 1, 1000000}, &options->asciiEofTimeoutTicks, error)
        || !readInt(parser, {"kermit-max-len", 20, 9024}, &options->kermitMaxLen, error)
        || !readInt(parser, {"kermit-windows", 0, 27}, &options->kermitMaxWindows, error)
        || !readInt(parser, {"kermit-timeout", 1, 94}, &options->kermitTimeoutSecs, error))
        return false;
    options->kermitStreaming = !parser.isSet(QStringLiteral("kermit-no-streaming"));
    options->bplusHost = parser.isSet(QStringLiteral("bplus-host"));
    options->zmodemFileOption = static_cast<ZmodemFileOption>(fileOption);
    options->writeFailAction = static_cast<WriteFailAction>(writeFail);
    options->asciiCr = static_cast<AsciiTranslation>(cr);
    options->asciiLf = static_cast<AsciiTranslation>(lf);
    return true;
}

} // namespace

bool parseXferCommandLine(const QStringList &arguments, XferRequest *request, QString *error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(description));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("send or receive"));
    parser.addPositionalArgument(
        QStringLiteral("FILE"), QStringLiteral("Files to send."), QStringLiteral("[FILE...]"));
    const QList<QCommandLineOption> options{
        {QStringLiteral("protocol"), QStringLiteral("Transfer protocol, by name or number."),
            QStringLiteral("P")},
        {QStringLiteral("dir"),
            QStringLiteral("Folder that receives the files, created if missing (default: the current one)."),
            QStringLiteral("DIR")},
        {QStringLiteral("file"), QStringLiteral("Name to store a file under when the protocol carries none."),
            QStringLiteral("NAME")},
        {QStringLiteral("zmodem-8k"), QStringLiteral("Zmodem: 8K data subpackets.")},
        {QStringLiteral("zmodem-recover"), QStringLiteral("Zmodem: resume interrupted files.")},
        {QStringLiteral("zmodem-override"),
            QStringLiteral("Zmodem: our file option overrides the sender's.")},
        {QStringLiteral("zmodem-skip-no-file"), QStringLiteral("Zmodem: skip files that do not exist here.")},
        {QStringLiteral("zmodem-file-option"), QStringLiteral("Zmodem file management, 0-7 (default 4)."),
            QStringLiteral("N")},
        {QStringLiteral("write-fail"), QStringLiteral("When a received name exists, 0-3 (default 3)."),
            QStringLiteral("N")},
        {QStringLiteral("honor-dir"), QStringLiteral("Keep the folder names of received files.")},
        {QStringLiteral("include-dir"), QStringLiteral("Send folder names with the files.")},
        {QStringLiteral("keep-exec"),
            QStringLiteral("Received files keep the sender's execute permission (umask applies).")},
        {QStringLiteral("xmodem-strip-padding"),
            QStringLiteral("Xmodem: drop trailing SUB (0x1A) bytes of a received file.")},
        {QStringLiteral("ascii-char-delay"), QStringLiteral("ASCII: milliseconds between characters."),
            QStringLiteral("MS")},
        {QStringLiteral("ascii-line-delay"), QStringLiteral("ASCII: milliseconds between lines."),
            QStringLiteral("MS")},
        {QStringLiteral("ascii-cr"), QStringLiteral("ASCII: CR translation, 0-3."), QStringLiteral("N")},
        {QStringLiteral("ascii-lf"), QStringLiteral("ASCII: LF translation, 0-3."), QStringLiteral("N")},
        {QStringLiteral("ascii-eof-timeout"),
            QStringLiteral("ASCII: ticks (1/18.2 s) of silence that end a receive."),
            QStringLiteral("TICKS")},
        {QStringLiteral("kermit-max-len"),
            QStringLiteral("Kermit: largest packet, 20-9024 (default 80; above 94 long packets)."),
            QStringLiteral("N")},
        {QStringLiteral("kermit-windows"),
            QStringLiteral("Kermit: sliding window size, 1-27, or 0 for none (default 0)."),
            QStringLiteral("N")},
        {QStringLiteral("kermit-timeout"),
            QStringLiteral("Kermit: seconds to wait for a packet (default 5)."), QStringLiteral("S")},
        {QStringLiteral("kermit-no-streaming"),
            QStringLiteral("Kermit: do not stream even if the other side offers it.")},
        {QStringLiteral("bplus-host"), QStringLiteral("B+: be the host side instead of the terminal.")},
        {QStringLiteral("history"), QStringLiteral("Append one line per file to FILE."),
            QStringLiteral("FILE")},
        {QStringLiteral("progress"), QStringLiteral("Progress lines on standard error.")},
    };
    parser.addOptions(options);
    LineOptions::add(parser);
    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return false;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        error->clear();
        return false;
    }
    QStringList positional = parser.positionalArguments();
    const QString command = positional.isEmpty() ? QString() : positional.takeFirst();
    if (command != QLatin1String("send") && command != QLatin1String("receive")) {
        *error = QStringLiteral("say send or receive (see --help)");
        return false;
    }
    request->sending = command == QLatin1String("send");
    if (!parser.isSet(QStringLiteral("protocol"))) {
        *error = QStringLiteral("--protocol is required");
        return false;
    }
    if (!parseProtocolName(parser.value(QStringLiteral("protocol")), &request->protocol)) {
        *error = QStringLiteral("unknown protocol \"%1\"").arg(parser.value(QStringLiteral("protocol")));
        return false;
    }
    if (request->sending) {
        request->files = positional;
        if (request->files.isEmpty()) {
            *error = QStringLiteral("no file to send");
            return false;
        }
        if (request->files.size() > 1 && !isBatchProtocol(request->protocol)) {
            *error = QStringLiteral("%1 sends one file at a time").arg(protocolName(request->protocol));
            return false;
        }
    } else if (!positional.isEmpty()) {
        *error = QStringLiteral("receive takes no file arguments; use --dir and --file");
        return false;
    }
    request->directory = parser.value(QStringLiteral("dir"));
    request->fileName = parser.value(QStringLiteral("file"));
    // A B+ terminal is told the name by the host; the host must name the file.
    const bool namedByPeer = isBatchProtocol(request->protocol)
        || (request->protocol == ProtocolType::BPlus && !parser.isSet(QStringLiteral("bplus-host")));
    if (!request->sending && !namedByPeer && request->fileName.isEmpty()) {
        *error = QStringLiteral("%1 carries no file name; give one with --file")
                     .arg(protocolName(request->protocol));
        return false;
    }
    request->historyFile = parser.value(QStringLiteral("history"));
    request->progress = parser.isSet(QStringLiteral("progress"));
    return LineOptions::read(parser, &request->line, error) && parseOptions(parser, &request->options, error);
}
