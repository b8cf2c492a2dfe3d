// Script interpreter speed: commands per second of a SET, COMPARE, IF and
// GOTO loop, and how long after the awaited text arrives on a pty the next
// command starts (median and worst of many waits).
#include "comms/line/Comport.h"
#include "script/ScriptTables.h"
#include "script/TScript.h"
#include "support/LinePeers.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

bool writeScript(const QString &path, const QByteArray &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

// Runs until `loops` passes of the four-command loop have started.
double commandsPerSecond(const QString &dir, qint64 loops)
{
    const QString path = dir + QStringLiteral("/loop.scr");
    if (!writeScript(path, ":Top\nSET @X 'a'\nCOMPARE @X 'b'\nIF EQUAL Out\nGOTO Top\n:Out\n"))
        return 0;
    TScript script;
    script.setScriptFile(path);
    script.PrepareScript();
    const qint64 wanted = loops * 4;
    qint64 started = 0;
    QObject::connect(&script, &TScript::OnScriptCommandStart, [&](TScript *, const TScriptNode &, int) {
        if (++started == wanted)
            script.CancelScript();
    });
    bool finished = false;
    QObject::connect(&script, &TScript::OnScriptFinish, [&](TScript *, int) { finished = true; });
    QElapsedTimer clock;
    clock.start();
    script.StartScript();
    while (!finished)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double seconds = clock.nsecsElapsed() / 1e9;
    return started / seconds;
}

// The far end writes "ping" each time the script's SEND of "pong" has
// arrived; latency is from writing "ping" to the SEND starting.
std::vector<double> waitLatencies(const QString &dir, int waits)
{
    std::vector<double> latencies;
    PtyPair pty;
    if (!pty.start())
        return latencies;
    Comport near;
    Comport far;
    near.setDevicePath(pty.near());
    far.setDevicePath(pty.far());
    near.open();
    far.open();
    const QString path = dir + QStringLiteral("/wait.scr");
    if (!writeScript(path, ":Top\nWAIT 'ping' 182\nSEND 'pong'\nGOTO Top\n"))
        return latencies;
    TScript script;
    script.setComPort(&near);
    script.setScriptFile(path);
    script.PrepareScript();
    QElapsedTimer sentAt;
    bool finished = false;
    QObject::connect(&script, &TScript::OnScriptCommandStart, [&](TScript *, const TScriptNode &node, int) {
        if (node.Command == ScriptTables::Send && sentAt.isValid()) {
            latencies.push_back(sentAt.nsecsElapsed() / 1e6);
            sentAt.invalidate();
            if (int(latencies.size()) == waits)
                script.CancelScript();
        }
    });
    QObject::connect(&script, &TScript::OnScriptFinish, [&](TScript *, int) { finished = true; });
    QByteArray heard;
    const auto attach
        = far.events().data.attach(HandlerStage::Window, [&](const QByteArray &, qint64 waiting) {
              heard += far.getBlock(waiting);
              if (heard.contains("pong")) {
                  heard.clear();
                  sentAt.start();
                  far.putString(QStringLiteral("ping"));
              }
              return true;
          });
    const auto drain
        = near.events().data.attach(HandlerStage::Window, [&](const QByteArray &, qint64 waiting) {
              near.getBlock(waiting);
              return false;
          });
    script.StartScript();
    sentAt.start();
    far.putString(QStringLiteral("ping"));
    QElapsedTimer limit;
    limit.start();
    while (!finished && limit.elapsed() < 120000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    return latencies;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const qint64 loops = argc > 1 ? QByteArray(argv[1]).toLongLong() : 100000;
    const int waits = argc > 2 ? QByteArray(argv[2]).toInt() : 1000;
    const double rate = commandsPerSecond(dir.path(), loops);
    std::printf("loop of SET, COMPARE, IF, GOTO: %lld passes, %.0f commands/s\n", loops, rate);
    std::vector<double> latencies = waitLatencies(dir.path(), waits);
    if (int(latencies.size()) != waits) {
        std::fprintf(stderr, "script_run_bench: only %zu of %d waits ended\n", latencies.size(), waits);
        return 1;
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("WAIT on a pty, %d waits: median %.3f ms, 99th percentile %.3f ms, worst %.3f ms\n", waits,
        latencies[latencies.size() / 2], latencies[latencies.size() * 99 / 100], latencies.back());
    return 0;
}
