// SPDX-License-Identifier: GPL-3.0-or-later
// The whole tool against a PBX simulator that floods the link as fast as the tool reads (status
// frames it ignores, records, or fragments that are no frame's) while a lamp load test runs, for
// a while. It prints the memory at idle (before connecting) and the highest since, the records
// answered, the load test's figures and the health checks sent and missed; it fails when the peak
// is more than the limit above idle or a health check was missed. With --zkn-run it runs zkn-run
// taking records for the time, with and without the flood, and compares their peaks.
// Run: build/bench/bench/flood_soak --flood ignored|records|garbage [--seconds 30]
//      [--max-growth-kb 51200] [--zkn-run]
// Prints ROW lines for scripts/bench.
#include "whole_tool.h"

#include "simulator_process.h"

#include "link/link_engine.h"
#include "pbxsim/link_flood.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMap>
#include <QProcess>

#include <algorithm>
#include <cstdio>

namespace {

struct Options
{
    QString flood;
    int seconds = 30;
    long maxGrowthKb = 50 * 1024;
    bool zknRun = false;
};

std::optional<Options> parseOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption flood(QStringLiteral("flood"), QStringLiteral("ignored, records or garbage."),
                                   QStringLiteral("KIND"));
    const QCommandLineOption seconds(QStringLiteral("seconds"), QStringLiteral("How long."),
                                     QStringLiteral("S"), QStringLiteral("30"));
    const QCommandLineOption growth(QStringLiteral("max-growth-kb"),
                                    QStringLiteral("Largest peak allowed above idle."), QStringLiteral("K"),
                                    QStringLiteral("51200"));
    const QCommandLineOption zknRun(QStringLiteral("zkn-run"), QStringLiteral("Measure zkn-run instead."));
    parser.addOptions({flood, seconds, growth, zknRun});
    parser.addHelpOption();
    parser.process(arguments);
    Options options;
    bool secondsOk = false;
    bool growthOk = false;
    options.flood = parser.value(flood);
    options.seconds = parser.value(seconds).toInt(&secondsOk);
    options.maxGrowthKb = parser.value(growth).toLong(&growthOk);
    options.zknRun = parser.isSet(zknRun);
    if (!secondsOk || !growthOk || options.seconds < 1 ||
        !zkn::pbxsim::LinkFlood::parse(options.flood + QStringLiteral(":max")))
        return std::nullopt;
    return options;
}

void printRow(const QString& name, double figure, const char* unit, const char* target, bool met)
{
    std::printf("ROW %s|%.1f|%s|%s|%s\n", qPrintable(name), figure, unit, target, met ? "met" : "NOT met");
}

// The frames the tool sends, by kind, from the link's coming up.
struct SentFrames
{
    explicit SentFrames(zkn::TcpLink& socket)
    {
        clock.start();
        QObject::connect(&socket, &zkn::TcpLink::frameSent, [this](const QByteArray& frame) {
            if (frame.size() > 1)
                ++byKind[frame[1]];
        });
    }
    QElapsedTimer clock;
    QMap<char, int> byKind;
};

int soakTheTool(const Options& options)
{
    zkn::bench::WholeTool whole;
    const long idleKb = zkn::bench::residentKb();
    whole.sim.link().setFlood(*zkn::pbxsim::LinkFlood::parse(options.flood + QStringLiteral(":max")));
    if (!whole.connectTcp()) {
        std::fprintf(stderr, "flood_soak: the tool did not connect to the simulator\n");
        return 1;
    }
    SentFrames sent(whole.tool.socket());
    whole.tool.debugOptions().setHealthCheckIntervalText(QStringLiteral("5"));
    whole.tool.loadTestOptions().setRange(1000, 1009);
    whole.tool.loadTestOptions().setDelayMs(100);
    whole.window.action(zkn::frmTerminal::Command::StartTestButton)->trigger();
    zkn::bench::runEventLoop(options.seconds * 1000);
    const zkn::link::LinkEngine& engine = whole.tool.engine();
    const long peakKb = zkn::bench::peakResidentKb();
    const zkn::lamp::LoadTestStats stats = engine.lamps().loadTestStats();
    const double seconds = double(sent.clock.elapsed()) / 1000.0;
    whole.window.action(zkn::frmTerminal::Command::StopTestButton)->trigger();

    const long growthKb = peakKb - idleKb;
    const bool flat = growthKb <= options.maxGrowthKb && engine.missedHealthChecks() == 0;
    const int answers = sent.byKind.value('4');
    std::printf(
        "--flood %s:max for %d s: idle %ld kB, peak %ld kB (%+ld kB, limit %ld kB); %d records answered "
        "(%.1f a second); load test %s; %d health checks sent, %d missed: %s\n",
        qPrintable(options.flood), options.seconds, idleKb, peakKb, growthKb, options.maxGrowthKb, answers,
        answers / seconds, stats.summary(true).constData(), sent.byKind.value('5'),
        engine.missedHealthChecks(), flat ? "flat" : "FAILED");
    printRow(QStringLiteral("the tool's peak memory above idle, --flood %1:max, %2 s")
                 .arg(options.flood)
                 .arg(options.seconds),
             double(growthKb) / 1024.0, "MB", "< 50", growthKb < 50 * 1024);
    if (options.flood == QLatin1String("records")) {
        printRow(QStringLiteral("records answered a second at --flood records:max (the spacing allows 50)"),
                 answers / seconds, "/s", ">= 45", answers / seconds >= 45);
        printRow(
            QStringLiteral("lamp messages answered in time at --flood records:max, of %1 sent (reported)")
                .arg(stats.sent()),
            double(stats.answers()), "", "-", true);
    }
    return flat ? 0 : 1;
}

// zkn-run's peak memory in kB over a plan that takes records for `seconds` from the simulator,
// run as a process of its own as a PBX would be, flooding or not.
long zknRunPeakKb(const QStringList& simulatorOptions, int seconds)
{
    SimulatorProcess sim(QStringLiteral(PBXSIM_PATH), simulatorOptions);
    if (sim.port == 0)
        return -1;
    QTemporaryDir dir;
    QFile plan(dir.filePath(QStringLiteral("plan.json")));
    if (!plan.open(QIODevice::WriteOnly))
        return -1;
    plan.write(QStringLiteral(R"({"link": {"lan": {"host": "127.0.0.1", "port": %1, "device": 1}},
        "steps": [{"connect": {}}, {"records": {"for_ms": %2, "at_least": 1000000}},
                  {"release": {"within_ms": 20000}}]})")
                   .arg(sim.port)
                   .arg(seconds * 1000)
                   .toUtf8());
    plan.close();
    QProcess run;
    run.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    run.start(QStringLiteral(ZKN_RUN_PATH), {plan.fileName()});
    if (!run.waitForStarted())
        return -1;
    // VmHWM only grows: the last value read before the end is its peak, but for its last moments.
    long peakKb = -1;
    const QString pid = QString::number(run.processId());
    const bool ended = zkn::bench::waitFor(
        [&] {
            peakKb = std::max(peakKb, zkn::bench::statusKb("VmHWM:", pid));
            return run.state() == QProcess::NotRunning;
        },
        (seconds + 30) * 1000);
    std::fputs(run.readAllStandardOutput().constData(), stdout);
    // 1: the records step failed, as it must
    if (!ended || run.exitStatus() != QProcess::NormalExit || run.exitCode() > 1)
        return -1;
    return peakKb;
}

// zkn-run against the flood, beside the same plan without one.
int soakZknRun(const Options& options)
{
    zkn::bench::FreshSettings settings;
    const long quietKb = zknRunPeakKb({}, options.seconds);
    const long floodKb =
        zknRunPeakKb({QStringLiteral("--flood"), options.flood + QStringLiteral(":max")}, options.seconds);
    if (quietKb < 0 || floodKb < 0) {
        std::fprintf(stderr, "flood_soak: zkn-run did not finish\n");
        return 1;
    }
    const long growthKb = floodKb - quietKb;
    std::printf(
        "zkn-run, %d s of records: peak %ld kB without a flood, %ld kB with --flood %s:max (%+ld kB)\n",
        options.seconds, quietKb, floodKb, qPrintable(options.flood), growthKb);
    printRow(QStringLiteral("zkn-run's peak memory above a run without a flood, --flood %1:max, %2 s")
                 .arg(options.flood)
                 .arg(options.seconds),
             double(growthKb) / 1024.0, "MB", "< 50", growthKb < 50 * 1024);
    return growthKb <= options.maxGrowthKb ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    zkn::bench::dropOffscreenNotices();
    const std::optional<Options> options = parseOptions(QApplication::arguments());
    if (!options) {
        std::fprintf(stderr, "flood_soak: --flood ignored|records|garbage, --seconds 1 or more, "
                             "--max-growth-kb 0 or more\n");
        return 2;
    }
    return options->zknRun ? soakZknRun(*options) : soakTheTool(*options);
}
