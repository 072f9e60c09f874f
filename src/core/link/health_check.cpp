// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/health_check.h"

#include "display/terminal_line.h"
#include "link/frame_builder.h"
#include "link/peer_faults.h"
#include "model/debug_options.h"

#include <utility>

namespace zkn::link {

namespace {
using Panel = LinkOutput::PanelId;
} // namespace

void HealthCheck::clockStarts()
{
    m_ticks = 0;
    m_context.timers().start(Timer::StatusMonitor, m_context.now());
}

void HealthCheck::dueAtFirstTick()
{
    m_ticks = m_context.debug().healthCheckInterval();
}

void HealthCheck::holdUntilData(quint64 connection)
{
    if (connection == m_phases.connection())
        m_context.timers().stop(Timer::StatusMonitor);
}

void HealthCheck::tick()
{
    const int interval = m_context.debug().healthCheckInterval();
    m_context.setPanelText(Panel::HealthChk,
                           QStringLiteral("HC: ") + QString::number(qAbs(interval - m_ticks)));
    if (interval > m_ticks) {
        ++m_ticks;
        return;
    }
    m_ticks = 0;
    if (!m_context.debug().stopHealth())
        checkNow();
}

void HealthCheck::checkNow()
{
    if (resetting())
        return;
    const qint16 sequence = m_pending.awaitNext(Request::Health);
    const quint64 wait = m_pending.wait(Request::Health);
    // The answer time starts when the check leaves, which may be after frames queued before it.
    m_context.timers().stop(Timer::T2);
    const SendPacer::FrameLeft left =
        m_send.IPSend(buildStatusFrame(m_context.device(), sequence, m_context.parity()));
    m_context.then([this, left, sequence, wait] {
        if (!*left)
            return;
        if (m_pending.wait(Request::Health) == wait)
            m_context.timers().restart(Timer::T2, m_context.now());
        m_context.blink(Timer::TxLamp);
        if (m_context.debug().detail())
            m_context.writeLine(display::marker::Sent,
                                '(' + QByteArray::number(sequence) + ") Health Check...");
    });
}

void HealthCheck::timedOut(bool dataWaits)
{
    if (dataWaits)
        m_timeoutOf = m_pending.wait(Request::Health);
    else
        onTimeout();
}

void HealthCheck::judgeHeldTimeout()
{
    if (const std::optional<quint64> wait = std::exchange(m_timeoutOf, std::nullopt);
        wait && *wait == m_pending.wait(Request::Health))
        m_context.hold().run([this] { onTimeout(); });
}

// Six unanswered health checks only count; the seventh since the last reset resets the link.
void HealthCheck::onTimeout()
{
    if (m_missed < 6) {
        ++m_missed;
        return;
    }
    resetLinkAfterMisses();
}

// While the box is open no health check leaves; a connection that ended meanwhile is not reset.
void HealthCheck::resetLinkAfterMisses()
{
    m_context.timers().stop(Timer::StatusMonitor);
    m_context.fault(QStringLiteral("health checks unanswered: the link is reset"));
    m_resetOf = m_phases.connection();
    m_context.tell(faultBox(PeerFault::HealthChecksUnanswered));
    m_context.then([this, connection = m_phases.connection()] {
        m_resetOf.reset();
        m_missed = 0;
        if (connection != m_phases.connection())
            return;
        m_context.writeLine(display::marker::Received, "WARNING!:  ** RESETTING LINK **");
        m_commands.shutDownLink();
        m_context.timers().restart(Timer::Reconnect, m_context.now());
    });
}

} // namespace zkn::link
