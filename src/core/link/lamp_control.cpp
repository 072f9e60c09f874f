// SPDX-License-Identifier: GPL-3.0-or-later
// Lamp control: the one sender, lamp-control frames and the 10 s the PBX has to answer one.
#include "link/lamp_control.h"

#include "display/terminal_line.h"
#include "link/frame_builder.h"
#include "link/peer_faults.h"

#include <utility>

namespace zkn::link {

namespace {

using Out = LinkOutput::Type;

} // namespace

LampControl::LampControl(LinkContext& context, SerialSession& serial, SendPath& send,
                         PendingRequests& pending, ConnectTime& connectTime, HealthCheck& health,
                         const LinkPhases& phases, LinkCommands& link)
    : m_context(context), m_serial(serial), m_send(send), m_pending(pending), m_connectTime(connectTime),
      m_health(health), m_phases(phases), m_link(link)
{
}

void LampControl::answerCame(int responseCode)
{
    lampAnswerCame(responseCode);
}

// An answer that has arrived is in time, even when it waits behind other data: a timeout that
// falls due while received data waits is judged once that data has been worked through.
void LampControl::answerTimedOut(bool dataWaits)
{
    if (dataWaits)
        m_lampTimeoutOf = m_lampFramesLeft;
    else
        onLampControlTimeout();
}

// In a strand of its own, so a box it opens holds no received data.
void LampControl::judgeHeldTimeout()
{
    if (const std::optional<quint64> lamp = std::exchange(m_lampTimeoutOf, std::nullopt);
        lamp && *lamp == m_lampFramesLeft && !m_lampOutcomeKnown)
        m_context.hold().run([this] { onLampControlTimeout(); });
}

// No answer of a connection that has ended can come: a load test goes on (or its sweep goes out)
// without waiting for one.
void LampControl::answerLost()
{
    m_lampOutcomeKnown = true;
    m_lampTimeoutOf.reset();
    m_load.answerLost();
    m_resync.answerLost();
    m_ledger.answerLost();
    m_context.out(Out::LampLedgerChanged);
}

void LampControl::lineLost()
{
    m_load.lineLost();
    m_resync.lineLost();
}

lamp::LampSend LampControl::sendLamp(ConnectionType link, const QByteArray& message,
                                     const QList<QByteArray>& stations, lamp::LampFunction function,
                                     LampSender sender)
{
    if (link == ConnectionType::Lan) {
        sendLampFrame(message, stations, function, sender);
        return lamp::LampSend::Awaited;
    }
    if (!m_serial.dsr() || !m_serial.send(message))
        return lamp::LampSend::NotSent;
    if (sender != LampSender::Dialog)
        m_context.blink(Timer::TxLamp);
    ledgerAsked(stations, function, false);
    return lamp::LampSend::Unanswered;
}

// The frame carries the sequence number taken last; once it has left, its answer is awaited 10 s,
// whatever remained of an earlier frame's wait.
void LampControl::sendLampFrame(const QByteArray& message, const QList<QByteArray>& stations,
                                lamp::LampFunction function, LampSender sender)
{
    const QByteArray frame =
        buildTextFrame(m_context.device(), m_pending.sequence(Request::Lamp), message, m_context.parity());
    const SendPacer::FrameLeft left = m_send.IPSend(frame);
    m_context.then([this, left, message, stations, function, sender] {
        if (!*left)
            return;
        if (sender == LampSender::Dialog) {
            m_load.superseded();
            m_resync.superseded();
        }
        ++m_lampFramesLeft;
        m_lampOutcomeKnown = false;
        m_lampSentAt = m_context.now();
        m_context.timers().restart(Timer::T3, m_context.now());
        ledgerAsked(stations, function, true);
        m_context.blink(Timer::TxLamp);
        m_context.writeLine(display::marker::Sent, display::DotBlanks(message));
    });
}

void LampControl::lampAnswerCame(std::optional<int> responseCode)
{
    m_lampOutcomeKnown = true;
    if (responseCode) {
        m_ledger.answered(*responseCode);
        m_context.out(Out::LampLedgerChanged);
        m_load.answered(*responseCode, (m_context.now() - m_lampSentAt) / 1000);
        m_resync.answered(*responseCode, (m_context.now() - m_lampSentAt) / 1000);
    } else {
        m_ledger.timedOut();
        m_context.out(Out::LampLedgerChanged);
        m_context.out(Out::LampTimedOut);
        m_load.timedOut();
        m_resync.timedOut();
    }
}

void LampControl::ledgerAsked(const QList<QByteArray>& stations, lamp::LampFunction function,
                              bool answerComes)
{
    m_ledger.asked(stations, function, m_context.wallClock(), answerComes);
    m_context.out(Out::LampLedgerChanged);
}

// The lamp-control frame stays pending, so an answer that comes late is still taken as its answer,
// also while the box is open: the box then counts nothing. The health-check clock stays stopped
// after the box until data arrives or the link is connected again; a running load test goes on
// once the operator has closed the box.
void LampControl::onLampControlTimeout()
{
    m_context.fault(QStringLiteral("no answer to a lamp message"));
    m_context.tell(faultBox(PeerFault::LampControlUnanswered));
    m_context.then([this, connection = m_phases.connection(), frame = m_lampFramesLeft] {
        m_health.holdUntilData(connection);
        if (frame == m_lampFramesLeft && !m_lampOutcomeKnown)
            lampAnswerCame(std::nullopt);
    });
}

lamp::LampSend LampControl::sendDialogMessage(ConnectionType link, const QByteArray& message,
                                              const QList<QByteArray>& stations, lamp::LampFunction function)
{
    return sendLamp(link, message, stations, function, LampSender::Dialog);
}

} // namespace zkn::link
