// SPDX-License-Identifier: GPL-3.0-or-later
// zkn-pbxsim: the PBX side of the ZKN link, for tests and for technicians.
#include "pbxsim/captured_link_reader.h"
#include "pbxsim/command_line.h"
#include "pbxsim/pbx_simulator.h"
#include "pbxsim/record_catalogue.h"
#include "pbxsim/trace_line.h"
#include "signal_pipe.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <optional>
#include <variant>

using namespace zkn::pbxsim;

namespace {

void print(const QString& line)
{
    std::fputs(line.toLocal8Bit().append('\n').constData(), stdout);
    std::fflush(stdout);
}

void printError(const QString& message)
{
    std::fprintf(stderr, "zkn-pbxsim: %s\n", qPrintable(message));
}

void listRecords()
{
    for (const CatalogueRecord& record : recordCatalogue()) {
        print(QStringLiteral("%1 (%2 characters): %3")
                  .arg(layoutName(record.layout))
                  .arg(record.text.size())
                  .arg(record.description));
        print(QStringLiteral("  ") + QString::fromLatin1(record.text.toHex(' ').toUpper()));
    }
}

void traceTo(PbxSimulator& sim)
{
    QObject::connect(&sim, &PbxSimulator::frameIn,
                     [](const FrameInfo& f) { print(traceLine(f, QTime::currentTime())); });
    QObject::connect(&sim, &PbxSimulator::frameOut,
                     [](const FrameInfo& f) { print(traceLine(f, QTime::currentTime())); });
    QObject::connect(&sim, &PbxSimulator::event,
                     [](const QString& text) { print(eventLine(text, QTime::currentTime())); });
}

void arm(const SimConfig& config, PbxSimulator& sim)
{
    PbxLink& link = sim.link();
    link.setParity(config.parity);
    link.setRefusal(config.refusal);
    link.setAnswerTimeout(config.answerTimeoutMs);
    link.lampFaults() = config.lampFaults;
    if (config.muteHealth)
        link.muteHealthChecks(config.muteHealth->first, config.muteHealth->second);
    if (config.resetAfter > 0)
        link.resetAfterFrames(config.resetAfter);
    if (config.forgetLampsAfter > 0)
        link.forgetLampsAfterFrames(config.forgetLampsAfter);
    if (config.releaseAfter > 0)
        link.releaseAfterFrames(config.releaseAfter);
    link.setFlood(config.flood);
    for (const SimConfig::CuedFault& cued : config.faults)
        link.addFault(cued.frame, cued.fault);
    if (config.hangUpAfter > 0)
        sim.serial().hangUpAfterRecords(config.hangUpAfter);
    // A flood of records takes its texts from the layout chosen too.
    if (config.records > 0 || config.flood.kind() == LinkFlood::Kind::Records)
        link.startRecords(config.recordTexts, config.records, config.recordIntervalMs);
    if (config.records > 0)
        sim.serial().startRecords(config.recordTexts, config.records, config.recordIntervalMs);
}

bool open(const SimConfig& config, PbxSimulator& sim)
{
    switch (config.transport) {
    case SimConfig::Transport::Tcp:
        if (!sim.listen(config.address, config.port)) {
            printError(QStringLiteral("cannot listen on %1:%2: %3")
                           .arg(config.address.toString())
                           .arg(config.port)
                           .arg(sim.serverError()));
            return false;
        }
        print(eventLine(
            QStringLiteral("listening on %1:%2").arg(config.address.toString()).arg(sim.serverPort()),
            QTime::currentTime()));
        return true;
    case SimConfig::Transport::Pty:
        if (sim.openPty().isEmpty()) {
            printError(QStringLiteral("cannot create a pseudo-terminal: ") + sim.serialError());
            return false;
        }
        return true;
    case SimConfig::Transport::Serial:
        if (!sim.openSerial(config.device, config.lineParameters)) {
            printError(QStringLiteral("cannot open %1: %2").arg(config.device, sim.serialError()));
            return false;
        }
        return true;
    }
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zkn-pbxsim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION));

    const auto parsed = parseCommandLine(QCoreApplication::arguments());
    if (const QString* error = std::get_if<QString>(&parsed)) {
        printError(*error);
        return 2;
    }
    const SimConfig& config = std::get<SimConfig>(parsed);
    if (config.listRecords) {
        listRecords();
        return 0;
    }

    PbxSimulator sim;
    traceTo(sim);
    arm(config, sim);
    zkn::LinkCapture capture;
    if (!config.capturePath.isEmpty()) {
        if (const QString error =
                capture.start(config.capturePath, config.transport == SimConfig::Transport::Tcp);
            !error.isEmpty()) {
            printError(QStringLiteral("cannot capture to %1: %2").arg(config.capturePath, error));
            return 2;
        }
        sim.captureTo(capture);
        QObject::connect(&capture, &zkn::LinkCapture::failed,
                         [](const QString& why) { print(eventLine(why, QTime::currentTime())); });
    }
    if (!open(config, sim))
        return 1;
    // A replay ends by itself and says how the tool differed from the capture.
    std::optional<PbxReplay> replay;
    if (!config.replayPath.isEmpty()) {
        auto captured = readCapturedLink(config.replayPath, config.parity);
        if (const QString* error = std::get_if<QString>(&captured)) {
            printError(*error);
            return 2;
        }
        replay.emplace(std::get<CapturedLink>(captured), config.parity, config.replaySpeed,
                       config.replayTimeoutMs);
        sim.replayInstead(*replay);
        QObject::connect(&sim, &PbxSimulator::replayEnded, &app, [&replay] {
            print(replay->report());
            QCoreApplication::exit(replay->differed() ? 1 : 0);
        });
    }
    zkn::catchSignals({SIGINT, SIGTERM}, [&app](int) { app.quit(); });
    if (config.durationS > 0)
        QTimer::singleShot(config.durationS * 1000, &app, &QCoreApplication::quit);

    const int status = app.exec();
    if (!replay)
        print(QString::fromUtf8(QJsonDocument(sim.summary()).toJson(QJsonDocument::Indented)).trimmed());
    return status;
}
