// SPDX-License-Identifier: GPL-3.0-or-later
// The whole tool against the PBX simulator over loopback TCP for a long time: KRA records (the
// layout a LAN link carries) arrive without pause and are decoded into the breakdown window while a lamp load
// test runs. Every minute it prints the resident memory with the records and lamp messages handled so far; at
// the end, the growth since the end of the first minute, and it fails when that is above the limit. Run:
// build/bench/bench/soak [--minutes N] [--max-growth-kb K]   (60 minutes, 2048 kB)
#include "whole_tool.h"

#include "link/link_engine.h"
#include "pbxsim/record_catalogue.h"
#include "terminal_view.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>
#include <limits>

namespace {

struct Limits
{
    int minutes = 60;
    long maxGrowthKb = 2048;
};

bool parseLimits(const QStringList& arguments, Limits& limits)
{
    QCommandLineParser parser;
    const QCommandLineOption minutes(QStringLiteral("minutes"), QStringLiteral("Soak length."),
                                     QStringLiteral("N"), QStringLiteral("60"));
    const QCommandLineOption growth(QStringLiteral("max-growth-kb"),
                                    QStringLiteral("Largest growth allowed after the first minute."),
                                    QStringLiteral("K"), QStringLiteral("2048"));
    parser.addOptions({minutes, growth});
    parser.addHelpOption();
    parser.process(arguments);
    bool minutesOk = false;
    bool growthOk = false;
    limits.minutes = parser.value(minutes).toInt(&minutesOk);
    limits.maxGrowthKb = parser.value(growth).toLong(&growthOk);
    return minutesOk && growthOk && limits.minutes >= 2 && limits.maxGrowthKb >= 0;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    zkn::bench::dropOffscreenNotices();
    Limits limits;
    if (!parseLimits(QApplication::arguments(), limits)) {
        std::fprintf(stderr, "soak: --minutes needs 2 or more, --max-growth-kb 0 or more\n");
        return 2;
    }
    zkn::bench::WholeTool whole;
    if (!whole.connectTcp()) {
        std::fprintf(stderr, "soak: the tool did not connect to the simulator\n");
        return 1;
    }
    whole.window.action(zkn::frmTerminal::Command::Format)->trigger();
    whole.sim.link().startRecords(zkn::pbxsim::catalogueTexts(zkn::pbxsim::RecordLayout::Kra),
                                  std::numeric_limits<int>::max(), 0);
    whole.tool.loadTestOptions().setRange(1000, 1099);
    whole.tool.loadTestOptions().setDelayMs(10);
    whole.window.action(zkn::frmTerminal::Command::StartTestButton)->trigger();

    const zkn::link::LinkEngine& engine = whole.tool.engine();
    long firstMinuteKb = 0;
    long lastKb = 0;
    for (int minute = 1; minute <= limits.minutes; ++minute) {
        zkn::bench::runEventLoop(60000);
        lastKb = zkn::bench::residentKb();
        if (minute == 1)
            firstMinuteKb = lastKb;
        std::printf("minute %3d  VmRSS %7ld kB  records %8d  lamp messages %8d  terminal %5lld chars\n",
                    minute, lastKb, whole.sim.stats().recordsAnswered, engine.lamps().loadTestStats().sent(),
                    static_cast<long long>(whole.window.terminal()->content().size()));
        std::fflush(stdout);
    }
    whole.window.action(zkn::frmTerminal::Command::StopTestButton)->trigger();
    zkn::bench::waitFor([&] { return !engine.lamps().loadTestRunning(); }, 60000);

    const long growthKb = lastKb - firstMinuteKb;
    const bool flat = engine.lamps().loadTestStats().sent() > 0 && whole.sim.stats().recordsAnswered > 0 &&
                      growthKb <= limits.maxGrowthKb;
    std::printf("growth from minute 1 to minute %d: %ld kB (limit %ld kB): %s\n", limits.minutes, growthKb,
                limits.maxGrowthKb, flat ? "flat" : "FAILED");
    return flat ? 0 : 1;
}
