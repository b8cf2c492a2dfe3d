// A Zmodem download in the real window against tarnex-xfer, both over telnet
// to inetutils telnetd running sz on the same file.
//   window_download_bench [megabytes]   (default 100)
// Prints both throughputs, their ratio and the longest stretch without a
// paint on the main window and on the status window during the download.
// Exits non-zero when a received file differs from the sent one.
#include "PaintGaps.h"

#include "shell/RecordingPrompt.h"
#include "shell/main/Application.h"
#include "support/LinePeers.h"
#include "support/PageText.h"
#include "support/RecordingHelp.h"
#include "support/RecordingSoundPlayer.h"
#include "support/TelnetEntry.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

constexpr int transferTimeoutMs = 600000;

bool writeRandomFile(const QString &path, qint64 size)
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    quint32 state = 1;
    for (qint64 written = 0; written < size; written += chunk.size()) {
        for (char &byte : chunk) {
            state = state * 1664525u + 1013904223u;
            byte = char(state >> 24);
        }
        const qint64 length = qMin<qint64>(chunk.size(), size - written);
        if (out.write(chunk.constData(), length) != length)
            return false;
    }
    return true;
}

bool sameContent(const QString &one, const QString &other)
{
    QFile a(one);
    QFile b(other);
    if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly) || a.size() != b.size())
        return false;
    while (!a.atEnd())
        if (a.read(1 << 20) != b.read(1 << 20))
            return false;
    return true;
}

// Runs the event loop until done() holds or the time is up.
bool waitFor(const std::function<bool()> &done, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

double megabytesPerSecond(qint64 bytes, qint64 ns)
{
    return ns > 0 ? bytes / 1e6 / (ns / 1e9) : 0;
}

struct WindowRun {
    bool ok = false;
    qint64 ns = 0;
    long mainPaints = 0;
    long statusPaints = 0;
    double mainGapMs = 0;
    double statusGapMs = 0;
    double eitherGapMs = 0;
};

// The board's "get <file>" typed in the window; the download starts by
// itself and goes to $TARNEX_HOME/Download/.
WindowRun windowDownload(const QString &home, const QString &board, const QString &file)
{
    WindowRun run;
    SocketExec telnetd;
    if (!telnetd.start(QStringLiteral("/usr/sbin/telnetd -h -E ") + board)) {
        std::fprintf(stderr, "window_download_bench: telnetd did not start\n");
        return run;
    }
    addTelnetEntry(
        home, QStringLiteral("Board"), telnetd.port(), {{PhoneField::Protocol, QStringLiteral("7")}});
    RecordingPrompt prompt;
    RecordingHelp help;
    RecordingSoundPlayer sounds;
    Application app;
    app.setPrompt(&prompt);
    app.setHelp(&help);
    app.setSoundPlayer(&sounds);
    app.start({QStringLiteral("-START"), QStringLiteral("Board")});
    Terminal *terminal = app.window().terminal();
    if (!waitFor([&] { return pageText(terminal).contains(QStringLiteral("Board>")); }, 30000)) {
        std::fprintf(stderr, "window_download_bench: no board prompt\n");
        return run;
    }

    PaintGaps mainPaints({&app.window()});
    std::unique_ptr<PaintGaps> statusPaints;
    std::unique_ptr<PaintGaps> eitherPaints;
    QElapsedTimer clock;
    QObject::connect(&app.transfers(), &TransferController::transferStarted, &app, [&] {
        clock.start();
        statusPaints = std::make_unique<PaintGaps>(QList<QWidget *>{&app.protocolStatus()});
        eitherPaints = std::make_unique<PaintGaps>(QList<QWidget *>{&app.window(), &app.protocolStatus()});
        mainPaints.start();
        statusPaints->start();
        eitherPaints->start();
    });
    app.port().putBlock("get " + file.toLocal8Bit() + "\r");
    if (!waitFor([&] { return clock.isValid() && !app.transfers().isTransferring(); }, transferTimeoutMs)) {
        std::fprintf(stderr, "window_download_bench: the download did not finish\n");
        return run;
    }
    run.ns = clock.nsecsElapsed();
    mainPaints.stop();
    statusPaints->stop();
    eitherPaints->stop();
    run.mainPaints = mainPaints.paints();
    run.statusPaints = statusPaints->paints();
    run.mainGapMs = mainPaints.longestGapMs();
    run.statusGapMs = statusPaints->longestGapMs();
    run.eitherGapMs = eitherPaints->longestGapMs();
    const QString received = home + QStringLiteral("Download/") + QFileInfo(file).fileName();
    run.ok = sameContent(file, received);
    if (!run.ok)
        std::fprintf(stderr, "window_download_bench: %s differs from the sent file\n", qPrintable(received));
    return run;
}

// tarnex-xfer receiving from sz behind telnetd; -1 when it failed.
qint64 xferDownload(const QString &scratch, const QString &file)
{
    const QString sender = TestFiles::writeScript(
        scratch, QStringLiteral("sz-file.sh"), "#!/bin/sh\nexec sz -q '" + file.toLocal8Bit() + "'\n");
    SocketExec telnetd;
    if (sender.isEmpty() || !telnetd.start(QStringLiteral("/usr/sbin/telnetd -h -E ") + sender))
        return -1;
    const QString into = QDir(scratch).filePath(QStringLiteral("xfer"));
    QDir().mkpath(into);
    QProcess xfer;
    xfer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    xfer.start(QStringLiteral(TARNEX_XFER),
        {QStringLiteral("receive"), QStringLiteral("--protocol"), QStringLiteral("zmodem"),
            QStringLiteral("--dir"), into, QStringLiteral("--tcp"),
            QStringLiteral("127.0.0.1:%1").arg(telnetd.port())});
    if (!xfer.waitForFinished(transferTimeoutMs) || xfer.exitStatus() != QProcess::NormalExit
        || xfer.exitCode() != 0) {
        std::fprintf(stderr, "window_download_bench: tarnex-xfer failed\n");
        return -1;
    }
    const qint64 ns = clock.nsecsElapsed();
    const QString received = QDir(into).filePath(QFileInfo(file).fileName());
    if (!sameContent(file, received)) {
        std::fprintf(stderr, "window_download_bench: %s differs from the sent file\n", qPrintable(received));
        return -1;
    }
    return ns;
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return 1;
    const QString home = scratch.filePath(QStringLiteral("home")) + QLatin1Char('/');
    QDir().mkpath(home);
    qputenv("TARNEX_HOME", home.toLocal8Bit());
    qputenv("TARNEX_CONFIG_HOME", scratch.filePath(QStringLiteral("config")).toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qtApp(argc, argv);
    const qint64 size = (argc > 1 ? QByteArray(argv[1]).toLongLong() : 100) * 1000 * 1000;

    const QString file = scratch.filePath(QStringLiteral("download.bin"));
    const QString board = TestFiles::writeScript(scratch.path(), QStringLiteral("board.sh"),
        "#!/bin/sh\n"
        "printf 'Board> '\n"
        "while read -r cmd arg; do\n"
        "  case \"$cmd\" in\n"
        "    get) sz -q \"$arg\" ;;\n"
        "  esac\n"
        "  printf 'Board> '\n"
        "done\n");
    if (board.isEmpty() || !writeRandomFile(file, size)) {
        std::fprintf(stderr, "window_download_bench: cannot write the board's files\n");
        return 1;
    }

    const WindowRun window = windowDownload(home, board, file);
    if (!window.ok)
        return 1;
    const qint64 xferNs = xferDownload(scratch.path(), file);
    if (xferNs < 0)
        return 1;

    const double windowRate = megabytesPerSecond(size, window.ns);
    const double xferRate = megabytesPerSecond(size, xferNs);
    std::printf("file                 %.0f MB\n", size / 1e6);
    std::printf("window               %.2f s  %.2f MB/s\n", window.ns / 1e9, windowRate);
    std::printf("tarnex-xfer          %.2f s  %.2f MB/s\n", xferNs / 1e9, xferRate);
    std::printf("window/xfer          %.2f\n", windowRate / xferRate);
    std::printf("main window paints   %ld, longest gap %.0f ms\n", window.mainPaints, window.mainGapMs);
    std::printf("status window paints %ld, longest gap %.0f ms\n", window.statusPaints, window.statusGapMs);
    std::printf("longest paint gap    %.0f ms (either window)\n", window.eitherGapMs);
    return 0;
}
