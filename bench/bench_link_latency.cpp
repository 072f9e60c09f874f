// SPDX-License-Identifier: GPL-3.0-or-later
// End-to-end figures over loopback TCP with the PBX simulator in the same process:
//  - how long after a record leaves the simulator the tool's answer arrives (20 ms spacing included),
//  - how long the UI thread is busy with one received record (processing, decoding into the
//    breakdown window, terminal, repaints, answer queued).
// Run: build/bench/bench/bench_link_latency [records]
#include "frm_break_down.h"
#include "frm_terminal.h"
#include "link/link_engine.h"
#include "link/parity.h"
#include "pbxsim/pbx_simulator.h"
#include "pbxsim/record_catalogue.h"
#include "terminal_view.h"
#include "tool_application.h"
#include "widget_operator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

void printFigures(const char* what, QList<double> values, const char* unit)
{
    std::sort(values.begin(), values.end());
    if (values.isEmpty())
        return;
    const auto at = [&values](double q) {
        return values[qMin(values.size() - 1, qsizetype(q * values.size()))];
    };
    std::printf("%-34s n=%-5lld min %8.3f  median %8.3f  p95 %8.3f  max %8.3f %s\n", what,
                static_cast<long long>(values.size()), values.first(), at(0.5), at(0.95), values.last(),
                unit);
}

// Runs the real event loop until `done` holds (QTest::qWaitFor would sleep between its checks and
// add its own delay to every figure).
template <typename Done> bool waitFor(Done done, int ms)
{
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    check.start(5);
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    const int records = argc > 1 ? std::atoi(argv[1]) : 200;
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

    // Inside the tool: from the record handled (these handlers run after the window's own) to its
    // answer leaving the socket, which is the send spacing.
    QElapsedTimer clock;
    clock.start();
    qint64 arrived = 0;
    QList<double> inside;
    QObject::connect(&tool.socket(), &zkn::TcpLink::dataReceived, [&] { arrived = clock.nsecsElapsed(); });
    QObject::connect(&tool.socket(), &zkn::TcpLink::frameSent, [&](const QByteArray& frame) {
        if (frame.size() > 1 && frame[1] == '4')
            inside.append(double(clock.nsecsElapsed() - arrived) / 1e6);
    });

    qint64 simOut = 0, toolOut = 0;
    QList<double> toTool, toSim;
    QObject::connect(&sim, &zkn::pbxsim::PbxSimulator::frameOut, [&](const zkn::pbxsim::FrameInfo& f) {
        if (f.kind == '2')
            simOut = clock.nsecsElapsed();
    });
    QObject::connect(&tool.socket(), &zkn::TcpLink::dataReceived,
                     [&] { toTool.append((clock.nsecsElapsed() - simOut) / 1e6); });
    QObject::connect(&tool.socket(), &zkn::TcpLink::frameSent, [&] { toolOut = clock.nsecsElapsed(); });
    QObject::connect(&sim, &zkn::pbxsim::PbxSimulator::frameIn, [&](const zkn::pbxsim::FrameInfo& f) {
        if (f.kind == '4')
            toSim.append((clock.nsecsElapsed() - toolOut) / 1e6);
    });
    const QList<QByteArray> texts = zkn::pbxsim::catalogueTexts(std::nullopt);
    sim.link().startRecords(texts, records, 0);
    if (!waitFor([&] { return sim.stats().recordsAnswered >= records; }, records * 200 + 5000))
        return 3;
    QList<double> latencies;
    const QMap<qint64, int>& counts = sim.stats().answerLatencyCounts;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        latencies.append(QList<double>(it.value(), double(it.key())));
    printFigures("record out -> answer in (loopback)", latencies, "ms");
    printFigures("record handled -> answer out (tool)", inside, "ms");
    printFigures("sim out -> record handled", toTool, "ms");
    printFigures("tool out -> sim in", toSim, "ms");

    // The UI thread's share: a KRA record frame handed to the tool as a receive event delivers it,
    // with the breakdown window shown, so decoding and both windows' repaints count.
    window.action(zkn::frmTerminal::Command::Format)->trigger();
    const QByteArray text = zkn::pbxsim::catalogueTexts(zkn::pbxsim::RecordLayout::Kra).constFirst();
    QByteArray frame = "\x16"
                       "2" +
                       QByteArray::number(text.size() + 4).rightJustified(3, '0') + "0107" + text;
    frame.append(char(zkn::link::ComputeParity(frame, zkn::link::Parity::Odd)));
    QList<double> handled;
    QList<double> terminalPaint;
    QList<double> windowPaint;
    QList<double> busy;
    for (int i = 0; i < records; ++i) {
        QElapsedTimer timer;
        timer.start();
        tool.engine().onSocketData(frame);
        const qint64 afterHandling = timer.nsecsElapsed();
        window.terminal()->viewport()->repaint();
        const qint64 afterTerminal = timer.nsecsElapsed();
        window.breakDownWindow()->repaint();
        const qint64 total = timer.nsecsElapsed();
        handled.append(double(afterHandling) / 1000.0);
        terminalPaint.append(double(afterTerminal - afterHandling) / 1000.0);
        windowPaint.append(double(total - afterTerminal) / 1000.0);
        busy.append(double(total) / 1000.0);
    }
    printFigures("  handled (terminal text, decode, answer queued)", handled, "us");
    printFigures("  terminal repaint", terminalPaint, "us");
    printFigures("  breakdown window repaint", windowPaint, "us");
    printFigures("UI thread busy per record, all of it", busy, "us");
    QList<double> paints;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer timer;
        timer.start();
        window.terminal()->viewport()->repaint();
        paints.append(double(timer.nsecsElapsed()) / 1e6);
    }
    printFigures("terminal repaint", paints, "ms");
    std::printf("terminal holds %lld characters\n",
                static_cast<long long>(window.terminal()->content().size()));
    return 0;
}
