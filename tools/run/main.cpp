// zkn-run: the link tested without a window, from a plan.
#include "plan_runner.h"
#include "reports.h"
#include "run_plan.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kPassed = 0, kFailed = 1, kUsage = 2, kNothingTested = 3;

const char kUsageText[] = "usage: zkn-run PLAN.json [--junit FILE] [--quiet]\n";

int usage(const QByteArray& why)
{
    std::fputs(("zkn-run: " + why + '\n' + kUsageText).constData(), stderr);
    return kUsage;
}

bool writeFile(const QString& path, const QByteArray& content)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.commit();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("ZKN-Control Tool"));
    QCoreApplication::setApplicationName(QStringLiteral("ZKN-Control Tool"));
    QStringList args = QCoreApplication::arguments().mid(1);
    QString planPath, junitPath;
    bool quiet = false;
    while (!args.isEmpty()) {
        const QString arg = args.takeFirst();
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            std::fputs(kUsageText, stdout);
            return kPassed;
        } else if (arg == QLatin1String("--quiet")) {
            quiet = true;
        } else if (arg == QLatin1String("--junit")) {
            if (args.isEmpty())
                return usage("--junit needs a file name");
            junitPath = args.takeFirst();
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

    zkn::run::PlanRunner runner(std::get<zkn::run::Plan>(read));
    QObject::connect(&runner, &zkn::run::PlanRunner::stepEnded, [quiet](const zkn::run::StepResult& result) {
        if (!quiet || !result.passed)
            std::fputs(zkn::run::stepLine(result).constData(), stderr);
    });
    QObject::connect(&runner, &zkn::run::PlanRunner::finished, &app, &QCoreApplication::quit);
    runner.start();
    QCoreApplication::exec();

    const QList<zkn::run::StepResult>& results = runner.results();
    if (!junitPath.isEmpty() &&
        !writeFile(junitPath, zkn::run::junitReport(QFileInfo(planPath).fileName(), results)))
        std::fputs(("zkn-run: the JUnit report cannot be written to " + junitPath.toLocal8Bit() + '\n').constData(),
                   stderr);
    if (runner.nothingTested())
        return kNothingTested;
    return std::all_of(results.begin(), results.end(), [](const auto& r) { return r.passed; }) ? kPassed : kFailed;
}
