// SPDX-License-Identifier: GPL-3.0-or-later
// Load-test messages per second against the PBX simulator, answering at once:
//  - over loopback TCP at delays of 1, 10 and 300 ms, against the bound the tick clock and the
//    20 ms send spacing set: one message every ceil((20 ms + answer time) / delay) ticks; the
//    simulator runs in this process;
//  - over a pseudo-terminal at delays of 2, 5 and 10 ms, against one message per tick; the
//    simulator (zkn-pbxsim) runs as a process of its own, as a PBX would, so reading and tracing
//    hundreds of messages a second does not take the tool's thread; at 2 ms also the mean time
//    each period takes beyond the delay (the tick's work and the timer's wake-up).
// Run: build/bench/bench/bench_load_test [seconds per row]
#include "link/link_engine.h"
#include "whole_tool.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>

namespace {

using zkn::bench::runEventLoop;
using zkn::bench::waitFor;

struct Row
{
    double perSecond = 0;
    double answerMs = 0;
};

// One test of `seconds` at `delay`, stopped and swept; what it sent in the running part.
Row measure(zkn::ToolApplication& tool, zkn::frmTerminal& window, int delay, int seconds)
{
    zkn::link::LinkEngine& engine = tool.engine();
    tool.loadTestOptions().setDelayMs(delay);
    tool.loadTestOptions().setRange(1000, 1099);
    window.action(zkn::frmTerminal::Command::StartTestButton)->trigger();
    QElapsedTimer timer;
    timer.start();
    runEventLoop(seconds * 1000);
    const int sent = engine.lamps().loadTestStats().sent();
    const double elapsed = double(timer.nsecsElapsed()) / 1e9;
    const double answerMs = double(engine.lamps().loadTestStats().medianAnswerMs());
    window.action(zkn::frmTerminal::Command::StopTestButton)->trigger();
    waitFor([&] { return !engine.lamps().loadTestRunning(); }, 60000);
    return {sent / elapsed, answerMs};
}

// Starts zkn-pbxsim on a pty of its own, its trace going to a file; the device path it opened.
QString startSimulatorOnPty(QProcess& sim, const QString& traceFile)
{
    sim.setStandardOutputFile(traceFile);
    sim.start(QStringLiteral(PBXSIM_PATH), {QStringLiteral("--pty")});
    if (!sim.waitForStarted(5000))
        return {};
    const QRegularExpression opened(QStringLiteral("pseudo-terminal (/dev/\\S+):"));
    QString path;
    waitFor(
        [&] {
            QFile trace(traceFile);
            if (trace.open(QIODevice::ReadOnly))
                path = opened.match(QString::fromLocal8Bit(trace.readAll())).captured(1);
            return !path.isEmpty();
        },
        5000);
    return path;
}

void printRow(const char* line, int delay, const Row& row, double bound)
{
    const double share = 100.0 * row.perSecond / bound;
    std::printf("%-6s delay %4d ms  %8.1f msg/s  bound %8.1f msg/s  %5.1f %%  %s\n", line, delay,
                row.perSecond, bound, share, share >= 90.0 ? "met" : "NOT met");
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    zkn::bench::dropOffscreenNotices();
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 5;
    zkn::bench::WholeTool whole;
    zkn::ToolApplication& tool = whole.tool;
    zkn::frmTerminal& window = whole.window;
    if (!whole.connectTcp())
        return 2;
    for (const int delay : {1, 10, 300}) {
        const Row row = measure(tool, window, delay, delay == 300 ? std::max(seconds, 9) : seconds);
        // The median answer time is counted in whole milliseconds, so it reads 0 for any answer
        // under one: half a millisecond more puts it in the middle of its millisecond.
        const double ticks = std::ceil((20.0 + row.answerMs + 0.5) / delay);
        printRow("TCP", delay, row, 1000.0 / (delay * ticks));
    }
    window.action(zkn::frmTerminal::Command::Connect)->trigger();
    waitFor([&] { return tool.socket().state() == zkn::link::SocketState::Closed; }, 15000);
    QTemporaryDir work;
    QProcess sim;
    if (!whole.connectSerial(startSimulatorOnPty(sim, work.filePath(QStringLiteral("pbxsim.trace")))))
        return 3;
    for (const int delay : {2, 5, 10}) {
        const Row row = measure(tool, window, delay, seconds);
        printRow("pty", delay, row, 1000.0 / delay);
        // What each tick takes beyond its delay: its own work and the timer's wake-up.
        if (delay == 2)
            std::printf("excess delay %4d ms  %8.3f ms\n", delay, 1000.0 / row.perSecond - delay);
    }
    sim.terminate();
    sim.waitForFinished(5000);
    return 0;
}
