#include "link/link_engine.h"

#include "display/terminal_line.h"
#include "link/clock.h"
#include "link/frame_builder.h"
#include "link/link_host.h"
#include "link/link_transport.h"
#include "link/status_texts.h"
#include "model/connection_options.h"
#include "model/debug_options.h"
#include "operator/operator.h"

#include <utility>

namespace zkn::link {

namespace {
using Panel = LinkHost::Panel;
} // namespace

LinkEngine::LinkEngine(LinkTransport& transport, LinkHost& host, Operator& op, const Clock& clock,
                       const ConnectionOptions& connection, DebugOptions& debug,
                       const ExpansionOption& expansion, const LoadTestOptions& loadTest)
    : m_transport(transport), m_host(host), m_operator(op), m_clock(clock), m_connection(connection),
      m_debug(debug), m_expansion(expansion), m_loadTest(loadTest),
      m_serial({[this](const QByteArray& text) { m_host.WriteTerminal(text); },
                [this](const QByteArray& record) {
                    writeLine(display::marker::Received, record);
                    m_host.recordArrived(record, true, m_clock.wallClock());
                }})
{
    // The "Status" panel is kept up to date from the start.
    m_timers.start(Timer::ConnectionStatus, now());
}

qint64 LinkEngine::now() const
{
    return m_clock.nowMs();
}

Parity LinkEngine::parity() const
{
    return parityFromText(m_connection.lanParity());
}

QByteArray LinkEngine::device() const
{
    return m_connection.deviceNumber().toLatin1();
}

void LinkEngine::writeLine(const char* marker, const QByteArray& text)
{
    m_host.WriteTerminal(display::terminalLine(marker, m_clock.wallClock().time(), text));
}

// The connect command: opens the link when none stands and releases it when one does.
void LinkEngine::connectCommand()
{
    m_transport.setSerialReceive(false);
    m_hcTicks = m_debug.healthCheckInterval();
    // A reconnect still waiting after a reset is the operator's to give now: never two
    // connections, and never a port just opened closed again by it.
    m_timers.stop(Timer::Reconnect);
    if (m_connection.connectionType() == ConnectionType::Serial) {
        toggleSerialPort();
        return;
    }
    m_timers.start(Timer::ConnectionStatus, now());
    if (m_connection.hostField() == QLatin1String("HostName"))
        m_host.showProperties();
    m_host.setDebugLanEnabled(true);
    if (m_transport.socketState() == SocketState::Connected)
        releaseLink();
    else
        openConnection();
}

void LinkEngine::connectedPictureClicked()
{
    if (!loadTestRunning()) {
        connectCommand();
        return;
    }
    // A link lost during the sweep is not connected again by the click that meant to end it.
    stopLoadTest([this] {
        if (m_transport.serialPortOpen() || m_transport.socketState() == SocketState::Connected)
            connectCommand();
    });
}

void LinkEngine::releaseLink()
{
    m_timers.stop(Timer::StatusMonitor);
    if (!loadTestRunning()) {
        sendRelease();
        return;
    }
    // A second connect command during the sweep asks for no second release.
    stopLoadTest([this] {
        if (m_transport.socketState() == SocketState::Connected && !m_releasePending)
            sendRelease();
    });
}

void LinkEngine::sendRelease()
{
    m_seqRelease = m_sequence.NextSequence();
    m_transport.IPSend(buildReleaseFrame(device(), m_seqRelease, parity()));
    m_releasePending = true;
    m_host.BlinkTx();
    writeLine(display::marker::Sent, '(' + QByteArray::number(m_seqRelease) + ") LINK RELEASE REQUEST...");
    m_host.showWaitWindow(true);
    m_timers.stop(Timer::StatusMonitor);
    // A PBX that never answers the request (nor closes) would leave the wait window up for good.
    m_timers.restart(Timer::ReleaseLimit, now());
}

void LinkEngine::openConnection()
{
    ++m_connectionNumber;
    dropConnectionState();
    // "0.0.0.0" stands for a host that was never given or could not be read; on this system a
    // connection to it would quietly reach a program on this very machine.
    if (m_connection.remoteHost() == QLatin1String("0.0.0.0")) {
        writeLine(display::marker::Sent, "LINK CONNECT REQUEST...");
        onSocketError(10049, QStringLiteral("The requested address is not valid in its context"));
        return;
    }
    const QString error = m_transport.connectSocket(m_connection.remoteHost());
    if (!error.isEmpty()) {
        m_operator.tell(error, Operator::Icon::Exclamation);
        m_transport.closeSocket();
        showLinkDown(); // the connect item the click checked
        return;
    }
    writeLine(display::marker::Sent, "LINK CONNECT REQUEST...");
}

// The socket stands: announce the tool as a ZKN device and start the health-check clock.
void LinkEngine::onSocketConnected()
{
    StartConnectTimer();
    m_host.showConnected(true);
    m_host.setConnectChecked(true);
    m_host.setPropertiesEnabled(false);
    writeLine(display::marker::Local, "LINK CONNECTED...\r\n");
    m_host.UpdateSettingsPanel();
    m_seqConnect = m_sequence.NextSequence();
    m_transport.IPSend(buildStatusFrame(device(), m_seqConnect, parity()));
    m_connectPending = true;
    m_host.BlinkTx();
    writeLine(display::marker::Sent, '(' + QByteArray::number(m_seqConnect) +
                                         ") Connecting as ZKN Device No. (0" + device() + ")...");
    m_hcTicks = 0;
    m_timers.start(Timer::StatusMonitor, now());
}

void LinkEngine::onStatusMonitorTick()
{
    const int interval = m_debug.healthCheckInterval();
    m_host.setPanelText(Panel::HealthChk,
                        QStringLiteral("HC: ") + QString::number(qAbs(interval - m_hcTicks)));
    if (interval > m_hcTicks) {
        ++m_hcTicks;
        return;
    }
    m_hcTicks = 0;
    if (m_debug.stopHealth())
        return;
    m_seqHealth = m_sequence.NextSequence();
    m_healthPending = true;
    // The answer time starts when the check leaves, which may be after frames queued before it.
    m_timers.stop(Timer::T2);
    m_healthCheckToLeave = buildStatusFrame(device(), m_seqHealth, parity());
    m_transport.IPSend(m_healthCheckToLeave);
    m_host.BlinkTx();
    if (m_debug.detail())
        writeLine(display::marker::Sent, '(' + QByteArray::number(m_seqHealth) + ") Health Check...");
}

// Six unanswered health checks only count; the seventh since the last reset resets the link.
void LinkEngine::onHealthCheckTimeout()
{
    m_timers.stop(Timer::T2);
    if (m_missedHealthChecks < 6) {
        ++m_missedHealthChecks;
        return;
    }
    resetLinkAfterMisses();
}

void LinkEngine::resetLinkAfterMisses()
{
    m_timers.stop(Timer::StatusMonitor);
    m_operator.tell(QStringLiteral("PBX does not respond to Health Checks."), Operator::Icon::Critical,
                    QStringLiteral("Health Check Timout"));
    m_missedHealthChecks = 0;
    writeLine(display::marker::Received, "WARNING!:  ** RESETTING LINK **");
    shutDownLink();
    m_timers.restart(Timer::Reconnect, now());
}

// The link ends here, whoever ended it: the window shows it down and the socket is closed.
void LinkEngine::shutDownLink()
{
    dropConnectionState();
    m_timers.stop(Timer::StatusMonitor);
    m_timers.stop(Timer::ReleaseLimit);
    writeLine(display::marker::Released, "LINK RELEASED...");
    m_host.showWaitWindow(false);
    showLinkDown();
    if (m_transport.socketState() != SocketState::Closed)
        m_transport.closeSocket();
    m_timers.stop(Timer::T2);
    m_timers.stop(Timer::T3);
    endSweepWithTheLine();
    if (m_linkClosedAtExit) {
        m_timers.stop(Timer::ExitCloseLimit);
        std::exchange(m_linkClosedAtExit, {})();
    }
}

// What every way of losing the link shows: the load test's sending stopped, the pictures and
// menus back to not connected, the settings panel and the connect time cleared.
void LinkEngine::showLinkDown()
{
    m_timers.stop(Timer::Send); // a running load test stops sending
    m_host.showConnected(false);
    m_host.setPanelText(Panel::Settings, QStringLiteral("Settings: "));
    StopConnectTimer();
    m_host.setConnectChecked(false);
    m_host.setPropertiesEnabled(true);
}

void LinkEngine::onSocketData(const QByteArray& data)
{
    // Queued before it is traced: a box the trace opens (a failing log) runs the event loop, and
    // what arrives then, or a new connection, must not overtake this chunk.
    m_waitingData.append(data);
    const bool processing = std::exchange(m_processingData, true);
    m_host.DebugPacket(data);
    if (processing)
        return;
    while (!m_waitingData.isEmpty()) {
        m_timers.stop(Timer::StatusMonitor);
        m_host.setRxIndicator(true);
        ProcessZKNPacket(m_waitingData.takeFirst());
        if (m_transport.socketState() == SocketState::Connected)
            m_timers.start(Timer::StatusMonitor, now());
        m_host.setRxIndicator(false);
    }
    m_processingData = false;
}

void LinkEngine::dropConnectionState()
{
    m_partialFrame.clear();
    m_seekingFrame = false;
    m_waitingData.clear();
    m_healthCheckToLeave.clear();
    m_lampFrameToLeave.clear();
    // No answer of a connection that has ended can come: a load test goes on (or its sweep goes
    // out) without waiting for one.
    m_connectPending = m_releasePending = m_lampPending = m_healthPending = false;
    m_lampAnswered = true;
}

void LinkEngine::onFrameSent(const QByteArray& frame)
{
    m_host.traceSentFrame(frame);
    if (!m_lampFrameToLeave.isEmpty() && frame == m_lampFrameToLeave) {
        m_lampFrameToLeave.clear();
        m_lampSentAt = now();
        return;
    }
    if (m_healthCheckToLeave.isEmpty() || frame != m_healthCheckToLeave)
        return;
    m_healthCheckToLeave.clear();
    if (m_healthPending)
        m_timers.restart(Timer::T2, now());
}

void LinkEngine::onSocketClosed()
{
    shutDownLink();
}

void LinkEngine::onSocketReset()
{
    writeLine(display::marker::Received, "WARNING!:  ** LINK WAS RESET BY PBX **");
    shutDownLink();
    m_timers.restart(Timer::Reconnect, now());
}

void LinkEngine::onSocketError(int number, const QString& description)
{
    shutDownLink();
    m_operator.tell(QLatin1Char('\'') + description + QStringLiteral("'\r\n@(") +
                        m_clock.wallClock().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) +
                        QStringLiteral(") :Number = ") + QString::number(number),
                    Operator::Icon::Critical, QStringLiteral("IP-Error!"));
}

void LinkEngine::StartConnectTimer()
{
    m_connectStart = m_clock.wallClock();
    m_timers.start(Timer::Timer1, now());
}

void LinkEngine::StopConnectTimer()
{
    m_timers.stop(Timer::Timer1);
    m_host.setPanelText(Panel::ConnectTime, QString());
}

void LinkEngine::onConnectTimeTick()
{
    m_host.setPanelText(Panel::ConnectTime, elapsedText(m_connectStart, m_clock.wallClock()));
}

void LinkEngine::onConnectionStatusTick()
{
    if (m_connection.isLan()) {
        m_host.setPanelText(Panel::Status,
                            QStringLiteral("Status: ") + socketStateText(m_transport.socketState()));
    } else {
        const bool connected = m_transport.serialDsr() && m_transport.serialPortOpen();
        m_host.setPanelText(Panel::Status, connected ? QStringLiteral("Status: Connected")
                                                     : QStringLiteral("Status: Disconnected"));
        m_host.setDsrIndicator(connected);
    }
    m_host.UpdateSettingsPanel();
}

void LinkEngine::advanceTo(qint64 nowMs)
{
    // Each timer fires once here at most: one that its handler starts again at once (the serial
    // sweep's next message) fires at the next turn of the event loop, so the window stays live
    // and the line's events come in between.
    LinkTimers::TimerSet fired;
    while (const std::optional<Timer> due = m_timers.takeDue(nowMs, fired)) {
        fired.set(static_cast<std::size_t>(*due));
        // A handler may wait on a box, which runs the event loop: the other timers go on
        // meanwhile, but this one is not re-entered.
        m_timers.hold(*due, true);
        onTimer(*due);
        m_timers.hold(*due, false);
    }
}

void LinkEngine::onTimer(Timer timer)
{
    switch (timer) {
    case Timer::StatusMonitor:
        onStatusMonitorTick();
        break;
    case Timer::T2:
        onHealthCheckTimeout();
        break;
    case Timer::T3:
        onLampControlTimeout();
        break;
    case Timer::Timer1:
        onConnectTimeTick();
        break;
    case Timer::ConnectionStatus:
        onConnectionStatusTick();
        break;
    case Timer::Reconnect:
        m_timers.stop(Timer::Reconnect);
        connectCommand();
        break;
    case Timer::ReleaseLimit:
    case Timer::ExitCloseLimit:
        // The PBX kept the connection after the release: end it here.
        m_timers.stop(timer);
        shutDownLink();
        break;
    case Timer::ExitPause:
        m_timers.stop(Timer::ExitPause);
        releaseNowForExit();
        break;
    case Timer::Send:
        onSendTick();
        break;
    case Timer::Count:
        break;
    }
}

} // namespace zkn::link
