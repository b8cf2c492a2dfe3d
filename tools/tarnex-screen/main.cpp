// tarnex-screen: feeds a byte stream to the screen emulator and prints the
// resulting screen, or measures the emulator's throughput.

#include "comms/screen/ScreenText.h"
#include "comms/screen/Termemu.h"

#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char kUsage[]
    = "usage: tarnex-screen [--emulation none|ansi|vt52|vt100|ansibbs|vt220] [--rows N] [--cols N]\n"
      "                     [--attrs] [--responses FILE] [--bench N] [FILE]\n"
      "\n"
      "Feeds FILE (or standard input) to the screen emulator and prints each visible row\n"
      "in UTF-8 without trailing blanks, then \"CURSOR <row> <col>\" (0-based).\n"
      "\n"
      "  --emulation E    terminal to emulate (default vt100)\n"
      "  --rows N         page rows, 1-500 (default 24)\n"
      "  --cols N         columns, 1-512 (default 80)\n"
      "  --responses FILE write the bytes the terminal sends back (reports, answerback) to FILE\n"
      "  --bench N        feed the input N times and print only \"MB/s <number>\"\n"
      "  --attrs          after each row with non-default attributes print a line\n"
      "                   \"ATTR <runs>\": each run is <first>-<last>:<fg>/<bg><flags>, columns\n"
      "                   0-based, colours 0-15, flags B bold, U underline, K blink,\n"
      "                   R reverse, I invisible, P protected; a leading DW, DHT or DHB\n"
      "                   marks a double-width, double-height top or bottom row.\n";

[[noreturn]] void fail(const std::string &message)
{
    std::fprintf(stderr, "tarnex-screen: %s\n", message.c_str());
    std::exit(2);
}

int emulationNumber(const std::string &name)
{
    const struct {
        const char *name;
        int number;
    } names[] = {{"none", Termemu::NoEmulation}, {"ansi", Termemu::Ansi}, {"vt52", Termemu::Vt52},
        {"vt100", Termemu::Vt100}, {"ansibbs", Termemu::AnsiBbs}, {"vt220", Termemu::Vt220}};
    for (const auto &n : names) {
        if (name == n.name)
            return n.number;
    }
    fail("unknown emulation \"" + name + "\" (none, ansi, vt52, vt100, ansibbs, vt220)");
}

int number(const std::string &option, const char *text, int lo, int hi)
{
    char *end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (!*text || *end || v < lo || v > hi)
        fail(option + " needs a number from " + std::to_string(lo) + " to " + std::to_string(hi));
    return int(v);
}

QByteArray readInput(const std::string &path)
{
    QFile file;
    bool ok;
    if (path.empty() || path == "-")
        ok = file.open(stdin, QIODevice::ReadOnly);
    else {
        file.setFileName(QString::fromStdString(path));
        ok = file.open(QIODevice::ReadOnly);
    }
    if (!ok)
        fail("cannot read " + path + ": " + file.errorString().toStdString());
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        fail("cannot read " + path + ": " + file.errorString().toStdString());
    return data;
}

// Feeds in line-sized pieces, as a port delivers them.
void feedAll(Termemu &emu, const QByteArray &data)
{
    constexpr int kChunk = 4096;
    for (qsizetype at = 0; at < data.size(); at += kChunk)
        emu.feed(data.constData() + at, int(std::min<qsizetype>(kChunk, data.size() - at)));
}

} // namespace

int main(int argc, char **argv)
{
    int emulation = Termemu::Vt100;
    int rows = 24;
    int cols = 80;
    int bench = 0;
    bool attrs = false;
    std::string responses;
    std::string input;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const auto value = [&]() -> const char * {
            if (i + 1 >= argc)
                fail(a + " needs a value");
            return argv[++i];
        };
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--emulation") {
            emulation = emulationNumber(value());
        } else if (a == "--rows") {
            rows = number(a, value(), 1, ScreenModel::BufferRows);
        } else if (a == "--cols") {
            cols = number(a, value(), 1, ScreenModel::MaxColumns);
        } else if (a == "--bench") {
            bench = number(a, value(), 1, 1000000);
        } else if (a == "--attrs") {
            attrs = true;
        } else if (a == "--responses") {
            responses = value();
        } else if (a.size() > 1 && a[0] == '-') {
            fail("unknown option " + a + " (see --help)");
        } else if (input.empty()) {
            input = a;
        } else {
            fail("only one input file may be given");
        }
    }

    const QByteArray data = readInput(input);
    Termemu emu;
    emu.setEmulation(emulation);
    emu.resize(rows, cols);

    if (bench) {
        QElapsedTimer timer;
        timer.start();
        for (int k = 0; k < bench; ++k)
            feedAll(emu, data);
        const double seconds = std::max<qint64>(timer.nsecsElapsed(), 1) / 1e9;
        std::printf("MB/s %.1f\n", double(data.size()) * bench / 1e6 / seconds);
        return 0;
    }

    QByteArray replies;
    QObject::connect(&emu, &Termemu::reply, [&](const QByteArray &bytes) { replies += bytes; });
    feedAll(emu, data);

    if (!responses.empty()) {
        QFile out(QString::fromStdString(responses));
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(replies) != replies.size())
            fail("cannot write " + responses + ": " + out.errorString().toStdString());
    }

    const ScreenModel &screen = emu.screen();
    const QStringList text = screenRows(screen);
    std::string out;
    for (int r = 0; r < text.size(); ++r) {
        out += text[r].toStdString();
        out += '\n';
        if (attrs) {
            const QString runs = attributeRuns(screen, r);
            if (!runs.isEmpty())
                out += "ATTR " + runs.toStdString() + '\n';
        }
    }
    out += "CURSOR " + std::to_string(screen.cursorRow()) + ' ' + std::to_string(screen.cursorColumn())
        + '\n';
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}
