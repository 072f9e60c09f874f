// SPDX-License-Identifier: GPL-3.0-or-later
// Resident memory of the whole tool (with the PBX simulator in the same process): at idle with the
// main window shown, and its growth over 100 000 records decoded into the breakdown window. The
// records come over a pseudo-terminal, one a millisecond, since TCP's 20 ms send spacing would
// make 100 000 answered records take over half an hour. The growth is counted from after a
// warm-up of 2000 records, which fills the terminal to its cap and loads fonts and glyph caches.
// Prints ROW lines for scripts/bench. Run: build/bench/bench/bench_memory [records]
#include "whole_tool.h"

#include "pbxsim/record_catalogue.h"

#include <QApplication>

#include <cstdio>

namespace {

constexpr long kIdleLimitKb = 60 * 1024;
constexpr long kGrowthLimitKb = 2 * 1024;
constexpr int kWarmUp = 2000;

// Sends `count` records and lets the tool read the last of them.
bool feed(zkn::bench::WholeTool& whole, int count)
{
    const int target = whole.sim.stats().recordsSent + count;
    whole.sim.serial().startRecords(zkn::pbxsim::catalogueTexts(zkn::pbxsim::RecordLayout::Kra), count, 1);
    if (!zkn::bench::waitFor([&] { return whole.sim.stats().recordsSent >= target; }, count * 20 + 10000))
        return false;
    zkn::bench::runEventLoop(2000);
    return true;
}

void printRow(const char* name, long kb, long limitKb)
{
    std::printf("ROW %s|%.1f|MB|< %.0f|%s\n", name, double(kb) / 1024.0, double(limitKb) / 1024.0,
                kb < limitKb ? "met" : "NOT met");
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    zkn::bench::dropOffscreenNotices();
    const int records = argc > 1 ? std::atoi(argv[1]) : 100000;
    zkn::bench::WholeTool whole;
    zkn::bench::runEventLoop(1000);
    const long idleKb = zkn::bench::residentKb();
    if (!whole.connectPty())
        return 1;
    whole.window.action(zkn::frmTerminal::Command::Format)->trigger();
    if (!feed(whole, kWarmUp))
        return 2;
    const long warmKb = zkn::bench::residentKb();
    if (!feed(whole, records))
        return 3;
    const long afterKb = zkn::bench::residentKb();
    std::printf("VmRSS idle %ld kB, after %d records %ld kB, after %d more %ld kB\n", idleKb, kWarmUp, warmKb,
                records, afterKb);
    printRow("resident memory at idle", idleKb, kIdleLimitKb);
    printRow(qPrintable(QStringLiteral("memory growth over %1 records").arg(records)), afterKb - warmKb,
             kGrowthLimitKb);
    return 0;
}
