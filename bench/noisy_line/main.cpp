// Zmodem sending on a noisy serial line: sz and tarnex-xfer each send a random
// file to "rz -q -b" through a relay paced like a line of RATE bytes/s each
// way that flips one bit of a byte with probability FLIP and drops a byte
// with probability DROP, with the same seeds for both senders.
//   noisy_line_bench [--seeds 20] [--first 1] [--kb 64] [--rate 11520] [--flip 1e-4]
//                    [--drop 2e-5] [--limit 300] [--parallel 4]
//                    [--senders sz,tarnex] [--xfer PATH]
// One line per run: completed or not, seconds until rz ended, efficiency
// (file bytes / (seconds * RATE)), bytes the sender wrote and the line
// carried, and the ZRPOS headers rz sent (how many asked again for the
// position asked for just before) and the ZDATA headers the sender sent.
// A summary per sender ends the output.
#include "support/NoiseRelay.h"
#include "support/PacedProgram.h"
#include "support/TestFiles.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

struct Settings {
    int firstSeed = 1;
    int seeds = 20;
    int kilobytes = 64;
    int rate = 11520;
    double flip = 1e-4;
    double drop = 2e-5;
    int limitSeconds = 300;
    int parallel = 4;
    QStringList senders;
    QString xfer;
};

// Counts Zmodem headers in one direction's bytes as they leave a program.
class HeaderCount {
public:
    // ZRPOS goes as a hex header: ZDLE 'B' "09" and the position's four
    // bytes, lowest first, in hex.
    void scanReceiver(const QByteArray &bytes)
    {
        tail_ += bytes;
        qsizetype at = 0;
        while ((at = tail_.indexOf("\030B09", at)) >= 0) {
            if (tail_.size() < at + 12)
                break;
            bool ok = false;
            const quint32 position = qbswap(tail_.mid(at + 4, 8).toUInt(&ok, 16));
            ++zrpos;
            if (ok && position == lastPosition_)
                ++repeated;
            lastPosition_ = position;
            at += 12;
        }
        tail_ = tail_.right(11);
    }
    // ZDATA goes as a binary header: '*' ZDLE 'A' or 'C', then type 10.
    void scanSender(const QByteArray &bytes)
    {
        tail_ += bytes;
        for (const char *start : {"*\030A\n", "*\030C\n"})
            zdata += tail_.count(start);
        tail_ = tail_.right(3);
    }

    int zrpos = 0;
    int repeated = 0;
    int zdata = 0;

private:
    QByteArray tail_;
    quint32 lastPosition_ = 0xffffffffu;
};

struct Outcome {
    bool complete = false;
    double seconds = 0;
    qint64 written = 0;
    qint64 carried = 0;
    int zrpos = 0;
    int repeated = 0;
    int zdata = 0;
};

// One transfer: a sender and rz joined by the noisy line.
class Run : public QObject {
    Q_OBJECT
public:
    Run(const Settings &settings, const QString &sender, quint32 seed)
        : settings_(settings)
        , sender_(sender)
        , seed_(seed)
        , tx_(settings.rate)
        , rx_(settings.rate)
    { }

    bool start()
    {
        data_ = TestFiles::randomBytes(qsizetype(settings_.kilobytes) * 1024, seed_);
        file_ = TestFiles::writeIn(from_.path(), QStringLiteral("noisy.bin"), data_);
        relay_ = std::make_unique<NoiseRelay>(
            &tx_, &rx_, NoiseRelay::Settings{seed_, settings_.flip, settings_.drop, 0, -1});
        connect(&tx_, &ByteLink::received, this, [this](const QByteArray &b) { txHeaders_.scanSender(b); });
        connect(&rx_, &ByteLink::received, this, [this](const QByteArray &b) { rxHeaders_.scanReceiver(b); });
        clock_.start();
        if (!rx_.start(QStringLiteral("rz"), {QStringLiteral("-q"), QStringLiteral("-b")}, to_.path()))
            return false;
        const bool ours = sender_ == QLatin1String("tarnex");
        const QString program = ours ? settings_.xfer : QStringLiteral("sz");
        const QStringList args = ours ? QStringList{QStringLiteral("send"), QStringLiteral("--protocol"),
                                     QStringLiteral("zmodem"), file_}
                                      : QStringList{QStringLiteral("-q"), QStringLiteral("-b"), file_};
        if (!tx_.start(program, args, from_.path()))
            return false;
        poll_.setInterval(50);
        connect(&poll_, &QTimer::timeout, this, &Run::check);
        poll_.start();
        return true;
    }

    const QString &sender() const { return sender_; }
    quint32 seed() const { return seed_; }
    const Outcome &outcome() const { return outcome_; }

signals:
    void done();

private:
    void check()
    {
        if (rx_.hasExited() && outcome_.seconds == 0)
            outcome_.seconds = double(clock_.elapsed()) / 1000;
        const bool overdue = clock_.elapsed() > qint64(settings_.limitSeconds) * 1000;
        if (!(rx_.hasExited() && tx_.hasExited()) && !overdue)
            return;
        poll_.stop();
        if (outcome_.seconds == 0)
            outcome_.seconds = double(clock_.elapsed()) / 1000;
        outcome_.complete = rx_.hasExited() && rx_.exitCode() == 0
            && TestFiles::read(QDir(to_.path()).filePath(QStringLiteral("noisy.bin"))) == data_;
        outcome_.carried = tx_.bytesTaken();
        outcome_.written = tx_.bytesTaken() + tx_.bytesWaiting();
        outcome_.zrpos = rxHeaders_.zrpos;
        outcome_.repeated = rxHeaders_.repeated;
        outcome_.zdata = txHeaders_.zdata;
        emit done();
    }

    const Settings &settings_;
    QString sender_;
    quint32 seed_;
    QTemporaryDir from_;
    QTemporaryDir to_;
    QByteArray data_;
    QString file_;
    PacedProgram tx_;
    PacedProgram rx_;
    std::unique_ptr<NoiseRelay> relay_;
    HeaderCount txHeaders_;
    HeaderCount rxHeaders_;
    QElapsedTimer clock_;
    QTimer poll_;
    Outcome outcome_;
};

bool parse(const QCoreApplication &app, Settings *s)
{
    QCommandLineParser parser;
    parser.addOptions({{QStringLiteral("seeds"), QStringLiteral("Runs per sender."), QStringLiteral("n")},
        {QStringLiteral("first"), QStringLiteral("First seed."), QStringLiteral("n")},
        {QStringLiteral("kb"), QStringLiteral("File size in KB."), QStringLiteral("k")},
        {QStringLiteral("rate"), QStringLiteral("Line bytes per second."), QStringLiteral("r")},
        {QStringLiteral("flip"), QStringLiteral("Bit flip chance per byte."), QStringLiteral("p")},
        {QStringLiteral("drop"), QStringLiteral("Drop chance per byte."), QStringLiteral("p")},
        {QStringLiteral("limit"), QStringLiteral("Seconds before a run is stopped."), QStringLiteral("s")},
        {QStringLiteral("parallel"), QStringLiteral("Runs at a time."), QStringLiteral("n")},
        {QStringLiteral("senders"), QStringLiteral("sz, tarnex or both."), QStringLiteral("list")},
        {QStringLiteral("xfer"), QStringLiteral("tarnex-xfer to run."), QStringLiteral("path")}});
    parser.addHelpOption();
    parser.process(app);
    const auto number = [&](const char *name, auto fallback) {
        const QString text = parser.value(QString::fromLatin1(name));
        return text.isEmpty() ? fallback : decltype(fallback)(text.toDouble());
    };
    s->seeds = number("seeds", s->seeds);
    s->firstSeed = number("first", s->firstSeed);
    s->kilobytes = number("kb", s->kilobytes);
    s->rate = number("rate", s->rate);
    s->flip = number("flip", s->flip);
    s->drop = number("drop", s->drop);
    s->limitSeconds = number("limit", s->limitSeconds);
    s->parallel = qMax(1, number("parallel", s->parallel));
    s->senders = parser.value(QStringLiteral("senders")).split(u',', Qt::SkipEmptyParts);
    if (s->senders.isEmpty())
        s->senders = {QStringLiteral("sz"), QStringLiteral("tarnex")};
    s->xfer = parser.value(QStringLiteral("xfer"));
    if (s->xfer.isEmpty())
        s->xfer
            = QCoreApplication::applicationDirPath() + QStringLiteral("/../../tools/tarnex-xfer/tarnex-xfer");
    return true;
}

double efficiency(const Settings &s, const Outcome &o)
{
    return o.complete ? 100.0 * s.kilobytes * 1024 / (o.seconds * s.rate) : 0.0;
}

void printRun(const Settings &s, const Run &run)
{
    const Outcome &o = run.outcome();
    std::printf(
        "%-7s seed %3u  %-10s %7.1f s  %5.1f%%  wrote %8lld  carried %8lld  ZRPOS %4d (%4d repeated)  "
        "ZDATA %4d\n",
        qPrintable(run.sender()), run.seed(), o.complete ? "complete" : "INCOMPLETE", o.seconds,
        efficiency(s, o), static_cast<long long>(o.written), static_cast<long long>(o.carried), o.zrpos,
        o.repeated, o.zdata);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Settings settings;
    parse(app, &settings);
    std::printf("%d KB file, %d bytes/s, flip %g, drop %g per byte\n", settings.kilobytes, settings.rate,
        settings.flip, settings.drop);
    std::vector<std::unique_ptr<Run>> runs;
    for (int seed = settings.firstSeed; seed < settings.firstSeed + settings.seeds; ++seed)
        for (const QString &sender : settings.senders)
            runs.push_back(std::make_unique<Run>(settings, sender, quint32(seed)));
    size_t next = 0;
    int running = 0;
    std::function<void()> startMore = [&] {
        while (running < settings.parallel && next < runs.size()) {
            Run *run = runs[next++].get();
            ++running;
            QObject::connect(run, &Run::done, &app, [&, run] {
                --running;
                printRun(settings, *run);
                std::fflush(stdout);
                startMore();
                if (running == 0)
                    app.quit();
            });
            if (!run->start()) {
                std::printf("%s seed %u could not start\n", qPrintable(run->sender()), run->seed());
                return;
            }
        }
    };
    QTimer::singleShot(0, &app, startMore);
    app.exec();
    for (const QString &sender : settings.senders) {
        int complete = 0;
        int total = 0;
        double sum = 0;
        for (const auto &run : runs) {
            if (run->sender() != sender)
                continue;
            ++total;
            if (run->outcome().complete) {
                ++complete;
                sum += efficiency(settings, run->outcome());
            }
        }
        std::printf("%-7s %d of %d complete, mean efficiency of those %.1f%%\n", qPrintable(sender), complete,
            total, complete ? sum / complete : 0.0);
    }
    return 0;
}

#include "main.moc"
