// SPDX-License-Identifier: GPL-3.0-or-later
// zkn-run: the link tested without a window, from a plan.
#include "plan_runner.h"
#include "probe.h"
#include "reports.h"
#include "run_plan.h"
#include "signal_pipe.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <utility>

#include <signal.h>

namespace {

constexpr int kPassed = 0, kFailed = 1, kUsage = 2, kNothingTested = 3, kInterrupted = 130;

const char kUsageText[] =
    "usage: zkn-run PLAN.json [--junit FILE] [--json FILE] [--tap] [--quiet] [--capture FILE]\n"
    "               [--csv FILE] [--ledger FILE]\n"
    "       zkn-run --probe HOST [--port N] [--device N] [--parity odd|even] [--warn MS] "
    "[--timeout MS]\n";

int usage(const QByteArray& why, int status = kUsage)
{
    std::fputs(("zkn-run: " + why + '\n' + kUsageText).constData(), stderr);
    return status;
}

// The probe's options after --probe HOST; a wrong one is the monitoring systems' UNKNOWN.
int probe(QStringList args)
{
    constexpr int unknown = int(zkn::run::ProbeStatus::Unknown);
    zkn::run::ProbeOptions options;
    options.link.host = args.takeFirst();
    while (!args.isEmpty()) {
        const QString arg = args.takeFirst();
        if (arg == QLatin1String("--parity")) {
            const QString parity = args.isEmpty() ? QString() : args.takeFirst();
            if (parity != QLatin1String("odd") && parity != QLatin1String("even"))
                return usage("--parity takes odd or even", unknown);
            options.link.oddParity = parity == QLatin1String("odd");
            continue;
        }
        // Every other option takes a whole number within its range.
        static const std::map<QString, std::pair<int, int>> ranges{{"--port", {1, 65535}},
                                                                   {"--device", {0, 9}},
                                                                   {"--warn", {0, 3600000}},
                                                                   {"--timeout", {1, 3600000}}};
        const auto range = ranges.find(arg);
        if (range == ranges.end())
            return usage("unexpected argument " + arg.toLocal8Bit(), unknown);
        bool ok = false;
        const int value = args.isEmpty() ? 0 : args.takeFirst().toInt(&ok);
        if (!ok || value < range->second.first || value > range->second.second)
            return usage(arg.toLocal8Bit() + " takes a whole number from " +
                             QByteArray::number(range->second.first) + " to " +
                             QByteArray::number(range->second.second),
                         unknown);
        if (arg == QLatin1String("--port"))
            options.link.port = quint16(value);
        else if (arg == QLatin1String("--device"))
            options.link.device = value;
        else if (arg == QLatin1String("--warn"))
            options.warnMs = value;
        else
            options.timeoutMs = value;
    }
    zkn::run::Probe probe(options);
    QObject::connect(&probe, &zkn::run::Probe::finished, QCoreApplication::instance(),
                     &QCoreApplication::quit);
    probe.start();
    QCoreApplication::exec();
    std::fputs((probe.line().toUtf8() + '\n').constData(), stdout);
    return int(probe.status());
}

bool writeFile(const QString& path, const std::function<bool(QIODevice&)>& write)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && write(file) && file.commit();
}

bool writeFile(const QString& path, const QByteArray& content)
{
    return writeFile(path, [&content](QIODevice& file) { return file.write(content) == content.size(); });
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("ZKN-Control Tool"));
    QCoreApplication::setApplicationName(QStringLiteral("ZKN-Control Tool"));
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.value(0) == QLatin1String("--probe")) {
        if (args.size() < 2 || args.at(1).startsWith(QLatin1Char('-')))
            return usage("--probe needs a host", int(zkn::run::ProbeStatus::Unknown));
        return probe(args.mid(1));
    }
    QString planPath, junitPath, jsonPath, capturePath, csvPath, ledgerPath;
    bool quiet = false, tap = false;
    while (!args.isEmpty()) {
        const QString arg = args.takeFirst();
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            std::fputs(kUsageText, stdout);
            return kPassed;
        } else if (arg == QLatin1String("--quiet")) {
            quiet = true;
        } else if (arg == QLatin1String("--tap")) {
            tap = true;
        } else if (const std::map<QString, QString*> files{{"--junit", &junitPath},
                                                           {"--json", &jsonPath},
                                                           {"--capture", &capturePath},
                                                           {"--csv", &csvPath},
                                                           {"--ledger", &ledgerPath}};
                   files.count(arg)) {
            if (args.isEmpty())
                return usage(arg.toLocal8Bit() + " needs a file name");
            *files.at(arg) = args.takeFirst();
        } else if (arg.startsWith(QLatin1Char('-')) || !planPath.isEmpty()) {
            return usage("unexpected argument " + arg.toLocal8Bit());
        } else {
            planPath = arg;
        }
    }
    if (planPath.isEmpty())
        return usage("no plan given");
    QFile file(planPath);
    if (!file.open(QIODevice::ReadOnly))
        return usage(planPath.toLocal8Bit() + ": " + file.errorString().toLocal8Bit());
    const auto read = zkn::run::readPlan(file.readAll(), planPath);
    if (const auto* error = std::get_if<QString>(&read))
        return usage(error->toLocal8Bit());

    const zkn::run::Plan& plan = std::get<zkn::run::Plan>(read);
    zkn::run::PlanRunner runner(plan);
    if (!capturePath.isEmpty()) {
        if (const QString error = runner.startCapture(capturePath); !error.isEmpty())
            return usage(capturePath.toLocal8Bit() + ": " + error.toLocal8Bit());
        QObject::connect(&runner.capture(), &zkn::LinkCapture::failed, [](const QString& why) {
            std::fputs(("zkn-run: " + why.toUtf8() + '\n').constData(), stderr);
        });
    }
    if (!ledgerPath.isEmpty()) {
        if (const QString said = runner.keepLedgerIn(ledgerPath); !said.isEmpty())
            std::fputs(("zkn-run: " + said.toUtf8() + '\n').constData(), stderr);
    }
    int stepsEnded = 0;
    if (tap)
        std::fputs(zkn::run::tapHeader().constData(), stdout);
    // On a terminal a running load test shows its figures on a line that the step's line replaces.
    bool liveShown = false;
    QTimer live;
    if (!quiet && ::isatty(STDERR_FILENO)) {
        QObject::connect(&live, &QTimer::timeout, [&] {
            const QString text = runner.liveText();
            if (text.isEmpty())
                return;
            std::fputs(("\r\033[K" + text.toUtf8()).constData(), stderr);
            liveShown = true;
        });
        live.start(250);
    }
    QObject::connect(&runner, &zkn::run::PlanRunner::stepEnded, [&](const zkn::run::StepResult& result) {
        if (std::exchange(liveShown, false))
            std::fputs("\r\033[K", stderr);
        if (!quiet || !result.passed)
            std::fputs(zkn::run::stepLine(result).constData(), stderr);
        if (tap) {
            std::fputs(zkn::run::tapLine(++stepsEnded, result).constData(), stdout);
            std::fflush(stdout);
        }
    });
    const QDateTime started = QDateTime::currentDateTime();
    zkn::catchSignals({SIGINT, SIGTERM}, [&runner](int) { runner.interrupt(); });
    QObject::connect(&runner, &zkn::run::PlanRunner::finished, &app, &QCoreApplication::quit);
    runner.start();
    QCoreApplication::exec();

    const QList<zkn::run::StepResult>& results = runner.results();
    if (tap)
        std::fputs(zkn::run::tapPlan(int(results.size())).constData(), stdout);
    if (!jsonPath.isEmpty() &&
        !writeFile(jsonPath, zkn::run::jsonReport(planPath, zkn::run::linkText(plan.link), started,
                                                  QDateTime::currentDateTime(), results)))
        std::fputs(
            ("zkn-run: the JSON report cannot be written to " + jsonPath.toLocal8Bit() + '\n').constData(),
            stderr);
    if (!junitPath.isEmpty() &&
        !writeFile(junitPath, zkn::run::junitReport(QFileInfo(planPath).fileName(), results)))
        std::fputs(
            ("zkn-run: the JUnit report cannot be written to " + junitPath.toLocal8Bit() + '\n').constData(),
            stderr);
    if (!csvPath.isEmpty() &&
        !writeFile(csvPath, [&runner](QIODevice& file) { return runner.writeLoadTestCsv(file); }))
        std::fputs(("zkn-run: the CSV file cannot be written to " + csvPath.toLocal8Bit() + '\n').constData(),
                   stderr);
    if (runner.interrupted())
        return kInterrupted;
    if (runner.nothingTested())
        return kNothingTested;
    return std::all_of(results.begin(), results.end(), [](const auto& r) { return r.passed; }) ? kPassed
                                                                                               : kFailed;
}
