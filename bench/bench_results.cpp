// SPDX-License-Identifier: GPL-3.0-or-later
// What keeping every load-test message costs: a LAN load test of 100 000 messages against the PBX
// simulator's link on a simulated clock (a station answering code 3, one never answering, answers
// after 3 to 7 ms), with the results window open beside it. Figures: the process's resident
// memory growth over the test, and the window's redraw as a share of one core at its fastest pace
// (one redraw a quarter second), timed on the thread's CPU clock at every 10 simulated seconds.
// Prints ROW lines for scripts/bench. Run: build/bench/bench/bench_results [messages]
#include "frm_results.h"
#include "lamp/load_test_log.h"
#include "link_pair.h"
#include "pbxsim/lamp_faults.h"
#include "whole_tool.h"

#include <QApplication>

#include <cstdio>
#include <ctime>

using namespace zkn;

namespace {

constexpr double kGrowthLimitMb = 50;
constexpr double kRedrawLimitPercent = 5;
constexpr double kRedrawIntervalMs = 250; // the window's fastest pace while a test runs
constexpr qint64 kSampleEveryMs = 10000;

double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// One redraw as the window's timer makes it: the figures worked out, the widgets filled and painted.
double redrawMs(frmResults& window)
{
    const double start = threadCpuMs();
    window.refresh();
    QCoreApplication::sendPostedEvents();
    window.repaint();
    return threadCpuMs() - start;
}

void printRow(const QString& name, double figure, const char* unit, double limit)
{
    std::printf("ROW %s|%.2f|%s|< %.0f|%s\n", qPrintable(name), figure, unit, limit,
                figure < limit ? "met" : "NOT met");
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int messages = argc > 1 ? std::atoi(argv[1]) : 100000;

    test::LinkPair pair(QStringLiteral("60"));
    pair.loadTest.setRange(1000, 1999);
    pair.loadTest.setDelayMs(1);
    pbxsim::LampFaults& faults = pair.pbx.lampFaults();
    faults.addCode(*pbxsim::StationSet::parse(QStringLiteral("1003")), 3);
    faults.mute(*pbxsim::StationSet::parse(QStringLiteral("1007")));
    faults.setDelay(3, 4);
    pair.connect();
    pair.run(100);
    if (!pair.linkUp()) {
        std::fprintf(stderr, "the link did not come up\n");
        return 1;
    }

    const lamp::LoadTestLog& log = pair.engine.lamps().loadTestLog();
    frmResults window(nullptr, log, pair.op);
    window.resize(window.sizeHint());
    window.show();
    const long residentBeforeKb = bench::residentKb();
    pair.engine.lamps().mnuStart_Click();

    double worstMs = 0, totalMs = 0;
    int samples = 0;
    while (log.count() < messages && pair.engine.lamps().loadTestRunning()) {
        pair.run(kSampleEveryMs);
        // The fake window keeps every line; only the tool is measured.
        pair.host.forgetHistory();
        const double ms = redrawMs(window);
        worstMs = std::max(worstMs, ms);
        totalMs += ms;
        ++samples;
    }
    const int kept = log.count();
    if (kept < messages) {
        std::fprintf(stderr, "the load test stopped after %d messages\n", kept);
        return 1;
    }
    pair.engine.lamps().mnuStop_Click();
    pair.run(kSampleEveryMs);

    const double growthMb = double(bench::residentKb() - residentBeforeKb) / 1024.0;
    std::printf("%d messages in %.0f simulated s, %d redraws timed: worst %.1f ms, mean %.1f ms\n", kept,
                double(pair.clock.nowUs()) / 1e6, samples, worstMs, totalMs / samples);
    printRow(QStringLiteral("memory growth over a load test of %1 messages").arg(kept), growthMb, "MB",
             kGrowthLimitMb);
    printRow(QStringLiteral("results window redraw at %1 messages, one a quarter second (worst of %2)")
                 .arg(kept)
                 .arg(samples),
             100 * worstMs / kRedrawIntervalMs, "% of one core", kRedrawLimitPercent);
    return 0;
}
