// SPDX-License-Identifier: GPL-3.0-or-later
// zkn-monitor: the link between a PBX and a message centre watched, never a byte of its own.
#include "capture_reader.h"
#include "command_line.h"
#include "monitor_session.h"
#include "signal_pipe.h"
#include "system_clock.h"
#include "tcp_connections.h"

#include <QCoreApplication>
#include <QHostInfo>

#include <csignal>
#include <cstdio>

namespace {

using namespace zkn;
using namespace zkn::monitortool;

constexpr int kUsage = 2, kNothingToWatch = 3;

int say(const QString& text, int status)
{
    std::fputs(("zkn-monitor: " + text + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
    return status;
}

std::optional<QHostAddress> resolve(const QString& host)
{
    QHostAddress address;
    if (address.setAddress(host))
        return address;
    const QHostInfo info = QHostInfo::fromName(host);
    for (const QHostAddress& found : info.addresses())
        if (found.protocol() == QAbstractSocket::IPv4Protocol)
            return found;
    if (!info.addresses().isEmpty())
        return info.addresses().front();
    return std::nullopt;
}

// The capture asked for, if any: why it cannot be written.
QString openCapture(LinkWatcher& watcher, const MonitorOptions& options, bool serial)
{
    if (options.captureFile.isEmpty())
        return {};
    const QString why = watcher.captureTo(
        options.captureFile, {qint64(options.rotateMegabytes) * 1000 * 1000, options.keepFiles}, serial);
    return why.isEmpty() ? why
                         : QStringLiteral("cannot write the capture %1: %2").arg(options.captureFile, why);
}

// Watches until SIGINT or SIGTERM; prints the figures at SIGUSR1.
int watchUntilSignalled(QCoreApplication& app, MonitorSession& session)
{
    catchSignals({SIGINT, SIGTERM, SIGUSR1}, [&app, &session](int signal) {
        if (signal == SIGUSR1)
            session.printFigures();
        else
            app.quit();
    });
    app.exec();
    session.watcher().stop();
    return session.finish();
}

int relay(QCoreApplication& app, const MonitorOptions& options, MonitorSession& session)
{
    const MonitorOptions::Relay& asked = *options.relay;
    const std::optional<QHostAddress> pbx = resolve(asked.pbxHost);
    if (!pbx)
        return say(QStringLiteral("the PBX host \"%1\" cannot be found").arg(asked.pbxHost), kNothingToWatch);
    LinkWatcher& watcher = session.watcher();
    if (const QString why = openCapture(watcher, options, false); !why.isEmpty())
        return say(why, kNothingToWatch);
    TcpRelay::Options relayOptions;
    relayOptions.listenAddress = asked.listenAddress;
    relayOptions.listenPort = asked.listenPort;
    relayOptions.pbx = *pbx;
    relayOptions.pbxPort = asked.pbxPort;
    relayOptions.allowed = asked.allowed;
    if (const std::optional<QString> why = watcher.relay(relayOptions))
        return say(QStringLiteral("cannot listen on %1 port %2: %3")
                       .arg(asked.listenAddress.toString())
                       .arg(asked.listenPort)
                       .arg(*why),
                   kNothingToWatch);
    say(QStringLiteral("relaying %1 port %2 to the PBX at %3 port %4")
            .arg(asked.listenAddress.toString())
            .arg(watcher.relayPort())
            .arg(pbx->toString())
            .arg(asked.pbxPort),
        0);
    return watchUntilSignalled(app, session);
}

int tap(QCoreApplication& app, const MonitorOptions& options, MonitorSession& session)
{
    const MonitorOptions::Tap& asked = *options.tap;
    LinkWatcher& watcher = session.watcher();
    if (const QString why = openCapture(watcher, options, true); !why.isEmpty())
        return say(why, kNothingToWatch);
    const SerialTap::Opened opened = watcher.tap(asked.pbxPort, asked.mcPort, asked.parameters);
    if (opened.pbx && opened.mc)
        return say(QStringLiteral("neither tap port opens: the PBX's %1: %2; the message centre's %3: %4")
                       .arg(asked.pbxPort, *opened.pbx, asked.mcPort, *opened.mc),
                   kNothingToWatch);
    for (const auto& [port, failure] :
         {std::pair{asked.pbxPort, opened.pbx}, std::pair{asked.mcPort, opened.mc}})
        if (failure)
            watcher.fault(0, epochNowUs(),
                          QStringLiteral("the tap port %1 does not open: %2").arg(port, *failure));
    say(QStringLiteral("tapping the PBX's %1 and the message centre's %2 at %3")
            .arg(asked.pbxPort, asked.mcPort, asked.parameters.toText()),
        0);
    return watchUntilSignalled(app, session);
}

int read(const MonitorOptions& options, MonitorSession& session)
{
    std::FILE* file = std::fopen(options.readFile.toLocal8Bit().constData(), "rb");
    if (!file)
        return say(QStringLiteral("cannot read %1").arg(options.readFile), kNothingToWatch);
    const auto side = [](decodetool::LinkSide side) {
        return side == decodetool::LinkSide::Pbx ? monitor::Side::Pbx : monitor::Side::Mc;
    };
    // Connections are numbered from 1, as the relay numbers them.
    decodetool::TcpConnections connections(
        options.parity,
        {[&](int connection, decodetool::CaptureTime time, decodetool::LinkSide from,
             const link::FrameHeader& frame) {
             session.watcher().watch().frame(connection + 1, time, side(from), frame);
         },
         [&](int connection, decodetool::CaptureTime time) {
             session.watcher().began(connection + 1, time, QStringLiteral("the capture"));
         },
         [&](int connection, decodetool::CaptureTime time, decodetool::LinkSide by, bool reset) {
             session.watcher().ending(connection + 1, time, side(by), reset);
         }});
    const std::optional<QString> failure = decodetool::readCapture(
        file, {[&](decodetool::CaptureTime time, const decodetool::TcpSegment& segment) {
                   connections.segment(time, segment);
               },
               [&](decodetool::CaptureTime time, decodetool::LinkSide from, QByteArrayView bytes) {
                   session.watcher().watch().serialReceived(time, side(from), bytes);
               }});
    connections.finish();
    if (failure)
        session.watcher().fault(0, 0,
                                QStringLiteral("the capture %1 could not be read to its end: %2")
                                    .arg(options.readFile, *failure));
    return session.finish();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    // A reader of the lines that goes away ends their writing, not the relay.
    std::signal(SIGPIPE, SIG_IGN);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    const auto parsed = parseCommandLine(args);
    if (std::holds_alternative<ShowHelp>(parsed)) {
        std::fputs(helpText().constData(), stdout);
        return 0;
    }
    if (const auto* wrong = std::get_if<UsageError>(&parsed)) {
        std::fputs(("zkn-monitor: " + wrong->why.toLocal8Bit() + '\n' + usageText()).constData(), stderr);
        return kUsage;
    }
    const MonitorOptions& options = std::get<MonitorOptions>(parsed);
    MonitorSession session(options, stdout, stderr);
    if (options.relay)
        return relay(app, options, session);
    if (options.tap)
        return tap(app, options, session);
    return read(options, session);
}
