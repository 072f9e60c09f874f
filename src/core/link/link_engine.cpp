// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/link_engine.h"

#include "display/terminal_line.h"
#include "link/frame_builder.h"
#include "link/peer_faults.h"
#include "link/status_texts.h"
#include "model/connection_options.h"

#include <QFile>

#include <utility>

namespace zkn::link {

namespace {
using Panel = LinkOutput::PanelId;
using Out = LinkOutput::Type;
} // namespace

LinkEngine::LinkEngine(const Clock& clock, const ConnectionOptions& connection, DebugOptions& debug,
                       const ExpansionOption& expansion, const LoadTestOptions& loadTest)
    : m_context(clock, connection, debug, expansion, loadTest)
{
    // The "Status" panel is kept up to date from the start.
    m_context.timers().start(Timer::ConnectionStatus, m_context.now());
}

void LinkEngine::noteOnTerminal(const QByteArray& line)
{
    m_context.then([this, line] { m_context.writeLine(display::marker::Local, line); });
}

// The connect command: opens the link when none stands and releases it when one does.
void LinkEngine::connectCommand()
{
    m_context.then([this] { runConnectCommand(); });
}

void LinkEngine::runConnectCommand()
{
    m_context.out(Out::SerialReceive, false);
    m_health.dueAtFirstTick();
    // A reconnect still waiting after a reset is the operator's to give now: never two
    // connections, and never a port just opened closed again by it.
    m_context.timers().stop(Timer::Reconnect);
    if (m_context.linkType() == ConnectionType::Serial) {
        m_serial.toggle();
        return;
    }
    m_context.timers().start(Timer::ConnectionStatus, m_context.now());
    if (m_context.connection().hostField() == QLatin1String("HostName"))
        m_context.out(Out::ShowProperties);
    m_context.out(Out::DebugLanEnabled, true);
    if (m_phases.connectionStands())
        releaseLink();
    else
        openConnection();
}

void LinkEngine::connectedPictureClicked()
{
    m_context.then([this] { runConnectedPictureClick(); });
}

void LinkEngine::runConnectedPictureClick()
{
    if (!m_lamps.loadTestRunning()) {
        connectCommand();
        return;
    }
    // A link lost during the sweep is not connected again by the click that meant to end it.
    m_lamps.stopLoadTest([this] {
        if (m_serial.isOpen() || m_phases.connectionStands())
            connectCommand();
    });
}

void LinkEngine::releaseLink()
{
    m_context.timers().stop(Timer::StatusMonitor);
    if (!m_lamps.loadTestRunning()) {
        sendRelease();
        return;
    }
    // A second connect command during the sweep asks for no second release.
    m_lamps.stopLoadTest([this] {
        if (m_phases.connectionStands() && !m_pending.awaited(Request::Release))
            sendRelease();
    });
}

void LinkEngine::sendRelease()
{
    const qint16 sequence = m_pending.awaitNext(Request::Release);
    m_phases.step(TcpEvent::ReleaseSent);
    const SendPacer::FrameLeft left =
        m_send.IPSend(buildReleaseFrame(m_context.device(), sequence, m_context.parity()));
    m_context.then([this, left, sequence] {
        if (!*left)
            return;
        m_context.blink(Timer::TxLamp);
        m_context.writeLine(display::marker::Sent,
                            '(' + QByteArray::number(sequence) + ") LINK RELEASE REQUEST...");
        m_context.out(Out::WaitWindow, true);
        m_context.timers().stop(Timer::StatusMonitor);
        // A PBX that never answers the request (nor closes) would leave the wait window up for good.
        m_context.timers().restart(Timer::ReleaseLimit, m_context.now());
    });
}

void LinkEngine::openConnection()
{
    dropConnectionState();
    // "0.0.0.0" stands for a host that was never given or could not be read; on this system a
    // connection to it would quietly reach a program on this very machine.
    if (m_context.connection().remoteHost() == QLatin1String("0.0.0.0")) {
        m_context.writeLine(display::marker::Sent, "LINK CONNECT REQUEST...");
        onSocketError(10049, QStringLiteral("The requested address is not valid in its context"));
        return;
    }
    m_send.startConnection();
    LinkOutput open{Out::OpenSocket};
    open.text = m_context.connection().remoteHost();
    m_context.ask(std::move(open));
    m_context.then([this] {
        if (m_openFailure.isEmpty()) {
            m_phases.step(TcpEvent::ConnectStarted);
            m_context.writeLine(display::marker::Sent, "LINK CONNECT REQUEST...");
            return;
        }
        sayConnectFailed(m_openFailureSaid);
        m_context.tell(m_openFailure, Operator::Icon::Exclamation);
        m_context.then([this] {
            m_send.closeSocket();
            showLinkDown(); // the connect item the click checked
        });
    });
}

void LinkEngine::onSocketOpened(quint64 ticket, const QString& failure, const QString& said)
{
    m_openFailure = failure;
    m_openFailureSaid = said;
    m_context.hold().acknowledge(ticket);
}

// The socket stands: announce the tool as a ZKN device and start the health-check clock.
void LinkEngine::onSocketConnected()
{
    m_context.then([this] { linkConnected(); });
}

void LinkEngine::linkConnected()
{
    m_phases.step(TcpEvent::SocketConnected);
    m_connectTime.StartConnectTimer();
    m_context.out(Out::Connected, true);
    m_context.out(Out::ConnectChecked, true);
    m_context.out(Out::PropertiesEnabled, false);
    m_context.writeLine(display::marker::Local, "LINK CONNECTED...\r\n");
    m_context.out(Out::SettingsPanel);
    const qint16 sequence = m_pending.awaitNext(Request::Connect);
    const SendPacer::FrameLeft left =
        m_send.IPSend(buildStatusFrame(m_context.device(), sequence, m_context.parity()));
    m_context.then([this, left, sequence] {
        if (!*left)
            return;
        m_context.blink(Timer::TxLamp);
        m_context.writeLine(display::marker::Sent, '(' + QByteArray::number(sequence) +
                                                       ") Connecting as ZKN Device No. (0" +
                                                       m_context.device() + ")...");
        m_health.clockStarts();
    });
}

// The link ends here, whoever ended it: the window shows it down and the socket is closed.
void LinkEngine::shutDownLink()
{
    m_phases.step(TcpEvent::LinkEnded);
    dropConnectionState();
    m_context.timers().stop(Timer::StatusMonitor);
    m_context.timers().stop(Timer::ReleaseLimit);
    m_context.writeLine(display::marker::Released, "LINK RELEASED...");
    m_context.out(Out::WaitWindow, false);
    showLinkDown();
    if (m_send.socketState() != SocketState::Closed)
        m_send.closeSocket();
    m_context.timers().stop(Timer::T2);
    m_context.timers().stop(Timer::T3);
    m_lamps.lineLost();
    m_exit.linkClosed();
    m_send.goOnAfterFramesGivenUp();
}

// What every way of losing the link shows: the load test's sending stopped, the pictures and
// menus back to not connected, the settings panel and the connect time cleared.
void LinkEngine::showLinkDown()
{
    m_context.timers().stop(Timer::Send); // a running load test stops sending
    m_context.out(Out::Connected, false);
    m_context.setPanelText(Panel::Settings, QStringLiteral("Settings: "));
    m_connectTime.StopConnectTimer();
    m_context.out(Out::ConnectChecked, false);
    m_context.out(Out::PropertiesEnabled, true);
}

bool LinkEngine::readsSocket() const
{
    return !m_receive.busy() && !m_send.full();
}

// While received data is handled no health check leaves.
void LinkEngine::chunkBegins()
{
    m_context.timers().stop(Timer::StatusMonitor);
}

void LinkEngine::chunkDone(bool moreWaits)
{
    if (m_phases.connectionStands() && !m_health.resetting())
        m_context.timers().start(Timer::StatusMonitor, m_context.now());
    if (!moreWaits)
        judgeTimeoutsHeldByData();
}

// An answer that has arrived is in time, even when it waits behind other data: a timeout that
// falls due while received data waits is judged once that data has been worked through.
void LinkEngine::onAnswerTimeout(Timer timer)
{
    m_context.timers().stop(timer);
    const bool dataWaits = m_receive.busy();
    if (timer == Timer::T2)
        m_health.timedOut(dataWaits);
    else
        m_lamps.answerTimedOut(dataWaits);
}

// Each in a strand of its own, so a box it opens holds no received data.
void LinkEngine::judgeTimeoutsHeldByData()
{
    m_health.judgeHeldTimeout();
    m_lamps.judgeHeldTimeout();
}

void LinkEngine::dropConnectionState()
{
    m_receive.connectionEnded();
    m_phases.connectionEnded(); // data and work still waiting are the ended connection's
    // No answer of a connection that has ended can come: a load test goes on (or its sweep goes
    // out) without waiting for one.
    m_pending.forgetAll();
    m_health.connectionEnded();
    m_lamps.answerLost();
}

void LinkEngine::onSocketClosed()
{
    m_receive.after([this] {
        if (m_phases.wouldBeLost())
            m_context.fault(QStringLiteral("the PBX closed the connection"));
        shutDownLink();
    });
}

void LinkEngine::onSocketReset()
{
    m_receive.after([this] {
        if (m_phases.wouldBeLost())
            m_context.fault(QStringLiteral("the PBX reset the connection"));
        m_context.writeLine(display::marker::Received, "WARNING!:  ** LINK WAS RESET BY PBX **");
        shutDownLink();
        m_context.timers().restart(Timer::Reconnect, m_context.now());
    });
}

// The box is the last step and holds nothing, received data least of all.
void LinkEngine::onSocketError(int number, const QString& description, const QString& said)
{
    m_receive.after([this, number, description, said] {
        if (m_phases.wouldBeLost())
            m_context.fault(QStringLiteral("the connection failed: %1").arg(description));
        const bool neverStood = m_phases.tcp() == TcpPhase::Connecting;
        shutDownLink();
        if (neverStood)
            sayConnectFailed(said);
        m_context.hold().run([this, box = faultBox(PeerFault::SocketError,
                                                   {description, m_context.timeStamp(),
                                                    QString::number(number)})] { m_context.tell(box); });
    });
}

// Where and why a connection never stood, for the operator and for zkn-run.
void LinkEngine::sayConnectFailed(const QString& said)
{
    if (said.isEmpty())
        return;
    m_context.writeLine(display::marker::Local, said.toLatin1());
    LinkOutput failed{Out::ConnectFailed};
    failed.text = said;
    m_context.out(std::move(failed));
}

void LinkEngine::healthCheckNow()
{
    m_context.then([this] {
        if (m_phases.connectionStands())
            m_health.checkNow();
    });
}

void LinkEngine::reopenReturnedPort(const QString& path)
{
    m_context.then([this, path] {
        if (m_context.linkType() != ConnectionType::Serial || m_serial.isOpen() ||
            m_phases.releasingForExit())
            return;
        m_context.writeLine(display::marker::Local,
                            "Serial port " + QFile::encodeName(path) + " is back: opening it again");
        connectCommand();
    });
}

void LinkEngine::lampsLoseSerialLine()
{
    m_lamps.lineLost();
}

void LinkEngine::onConnectionStatusTick()
{
    if (m_context.linkType() == ConnectionType::Lan) {
        m_context.setPanelText(Panel::Status,
                               QStringLiteral("Status: ") + socketStateText(m_send.socketState()));
    } else {
        const bool connected = m_serial.dsr() && m_serial.isOpen();
        m_context.setPanelText(Panel::Status, connected ? QStringLiteral("Status: Connected")
                                                        : QStringLiteral("Status: Disconnected"));
        m_context.out(Out::Dsr, connected);
    }
    m_context.out(Out::SettingsPanel);
}

void LinkEngine::advanceTo(qint64 nowUs)
{
    // Each timer fires once here at most: one that its handler starts again at once (the serial
    // sweep's next message) fires at the next turn of the event loop, so the window stays live
    // and the line's events come in between.
    LinkTimers::TimerSet fired;
    while (const std::optional<Timer> due = m_context.timers().takeDue(nowUs, fired)) {
        fired.set(static_cast<std::size_t>(*due));
        m_context.hold().run([this, timer = *due] { onTimer(timer); });
    }
}

void LinkEngine::onTimer(Timer timer)
{
    switch (timer) {
    case Timer::StatusMonitor:
        m_health.tick();
        break;
    case Timer::T2:
    case Timer::T3:
        onAnswerTimeout(timer);
        break;
    case Timer::Timer1:
        m_connectTime.tick();
        break;
    case Timer::ConnectionStatus:
        onConnectionStatusTick();
        break;
    case Timer::Reconnect:
        m_context.timers().stop(Timer::Reconnect);
        connectCommand();
        break;
    case Timer::ReleaseLimit:
    case Timer::ExitCloseLimit:
        // The PBX kept the connection after the release: end it here.
        m_context.timers().stop(timer);
        shutDownLink();
        break;
    case Timer::ExitPause:
        m_exit.pauseOver();
        break;
    case Timer::Send:
        m_lamps.sendTick();
        break;
    case Timer::Pace:
        m_send.sendDueFrame();
        break;
    case Timer::TxLamp:
    case Timer::RxLamp:
        m_context.lampOut(timer);
        break;
    case Timer::SkipReport:
        m_receive.saySkippedBytes();
        break;
    case Timer::Count:
        break;
    }
}

} // namespace zkn::link
