// Load-test messages per second against the PBX simulator in the same process, answering at once:
//  - over loopback TCP at delays of 1, 10 and 300 ms, against the bound the tick clock and the
//    20 ms send spacing set: one message every ceil((20 ms + answer time) / delay) ticks;
//  - over a pseudo-terminal at delays of 2, 5 and 10 ms, against one message per tick.
// Run: build/bench/bench/bench_load_test [seconds per row]
#include "frm_terminal.h"
#include "link/link_engine.h"
#include "pbxsim/pbx_simulator.h"
#include "serial_line.h"
#include "tcp_link.h"
#include "tool_application.h"
#include "widget_operator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <cmath>
#include <cstdio>

namespace {

void runEventLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

template <typename Done> bool waitFor(Done done, int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms)
        runEventLoop(5);
    return done();
}

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
    const int sent = engine.loadTestStats().sent();
    const double elapsed = double(timer.nsecsElapsed()) / 1e9;
    const double answerMs = double(engine.loadTestStats().medianAnswerMs());
    window.action(zkn::frmTerminal::Command::StopTestButton)->trigger();
    waitFor([&] { return !engine.loadTestRunning(); }, 60000);
    return {sent / elapsed, answerMs};
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
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 5;
    QTemporaryDir config;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());

    zkn::WidgetOperator op;
    zkn::ToolApplication tool(op);
    zkn::frmTerminal window(tool.windowServices());
    tool.attach(window);
    window.show();
    zkn::pbxsim::PbxSimulator sim;
    if (!sim.listen(QHostAddress::LocalHost, 0))
        return 1;
    tool.connection().setConnectionType(zkn::ConnectionType::Lan);
    tool.connection().setRemoteHost(QStringLiteral("127.0.0.1"));
    tool.debugOptions().setHealthCheckIntervalText(QStringLiteral("180"));
    tool.socket().setRemotePort(sim.serverPort());
    window.action(zkn::frmTerminal::Command::Connect)->trigger();
    if (!waitFor([&] { return sim.link().isLinkUp(); }, 5000))
        return 2;
    for (const int delay : {1, 10, 300}) {
        const Row row = measure(tool, window, delay, delay == 300 ? std::max(seconds, 9) : seconds);
        const double ticks = std::ceil((20.0 + row.answerMs) / delay);
        printRow("TCP", delay, row, 1000.0 / (delay * ticks));
    }
    window.action(zkn::frmTerminal::Command::Connect)->trigger();
    waitFor([&] { return tool.socket().state() == zkn::link::SocketState::Closed; }, 15000);

    const QString pty = sim.openPty();
    tool.connection().setConnectionType(zkn::ConnectionType::Serial);
    tool.serial().setPortName(pty);
    window.action(zkn::frmTerminal::Command::Connect)->trigger();
    if (pty.isEmpty() || !tool.serial().isOpen())
        return 3;
    for (const int delay : {2, 5, 10})
        printRow("pty", delay, measure(tool, window, delay, seconds), 1000.0 / delay);
    return 0;
}
