// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/send_path.h"

#include <memory>
#include <utility>

namespace zkn::link {

namespace {
using Out = LinkOutput::Type;
} // namespace

void SendPath::closeSocket()
{
    if (m_socketState == SocketState::Connected && !m_pacer.empty()) {
        m_phases.step(SendingEvent::CloseAskedWhileFramesWait);
        return;
    }
    abandonOutgoing();
    m_phases.step(SendingEvent::CloseAsked);
    // Frames that have left may still be on their way out of a connected socket.
    m_context.out(Out::CloseSocket, m_socketState == SocketState::Connected);
}

void SendPath::abandonOutgoing()
{
    const std::vector<quint64> holds = m_pacer.giveUp();
    m_framesGivenUp.insert(m_framesGivenUp.end(), holds.begin(), holds.end());
    m_context.timers().stop(Timer::Pace);
    if (m_phases.sending() == SendingPhase::ClosingAfterFrames) {
        m_phases.step(SendingEvent::FramesGivenUp);
        m_context.out(Out::CloseSocket);
    }
}

void SendPath::startConnection()
{
    abandonOutgoing();
    goOnAfterFramesGivenUp();
    m_phases.step(SendingEvent::ConnectionStarted);
}

void SendPath::goOnAfterFramesGivenUp()
{
    for (const quint64 hold : std::exchange(m_framesGivenUp, {}))
        m_context.hold().acknowledge(hold);
}

// Nothing more goes out on a connection the link has given up. The handler goes on after the
// frame has left, as the tool waited its 20 ms before each send.
SendPacer::FrameLeft SendPath::IPSend(const QByteArray& frame)
{
    auto left = std::make_shared<bool>(false);
    if (m_phases.sending() != SendingPhase::Open)
        return left;
    m_pacer.handOver({frame, m_context.now(), m_pacer.paced() ? m_context.hold().open() : 0, left});
    if (m_pacer.paced())
        schedulePacing();
    else
        sendDueFrame();
    return left;
}

void SendPath::schedulePacing()
{
    if (m_context.timers().isActive(Timer::Pace))
        return;
    if (const std::optional<qint64> due = m_pacer.dueUs())
        m_context.timers().startAt(Timer::Pace, *due);
}

void SendPath::sendDueFrame()
{
    m_context.timers().stop(Timer::Pace);
    const bool connected = m_socketState == SocketState::Connected;
    const SendPacer::Frame next = m_pacer.takeFront(connected, m_context.now());
    if (connected) {
        m_context.out({Out::Transmit, next.bytes});
        m_context.out({Out::TraceSent, next.bytes});
    }
    if (m_phases.sending() == SendingPhase::ClosingAfterFrames && m_pacer.empty()) {
        m_phases.step(SendingEvent::LastFrameLeft);
        m_context.out(Out::CloseSocket, true);
    } else {
        schedulePacing();
    }
    if (next.hold)
        m_context.hold().acknowledge(next.hold);
}

} // namespace zkn::link
