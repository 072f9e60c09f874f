// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/link_context.h"
#include "link/link_state.h"
#include "link/send_pacer.h"
#include "link/transport_states.h"

#include <QByteArray>

#include <vector>

namespace zkn::link {

// The socket's outgoing side. Frames leave paced (see send_pacer.h); one falling due while the
// socket is not connected is dropped. The rest of the handler that sent a frame waits until it
// has left or been dropped, and then reads from the answer whether it left. Once the link has
// closed the socket (after what was handed to it before has gone), nothing more goes out on it,
// and the link counts it closed.
class SendPath
{
public:
    SendPath(LinkContext& context, LinkPhases& phases) : m_context(context), m_phases(phases) {}

    SendPacer::FrameLeft IPSend(const QByteArray& frame);
    // The Pace deadline: the frame due leaves.
    void sendDueFrame();
    void closeSocket();
    // A new connection: frames of the old one still waiting are given up, and its socket closed.
    void startConnection();
    // The work that waited for frames given up goes on, once the link's state is whole again.
    void goOnAfterFramesGivenUp();

    // The socket's state as it changes, also while a box is open.
    void onSocketState(SocketState state) { m_socketState = state; }
    // Closed once the link has closed it, whatever the socket still does.
    SocketState socketState() const
    {
        return m_phases.sending() == SendingPhase::Open ? m_socketState : SocketState::Closed;
    }
    // Many frames wait to leave: the program stops reading the socket.
    bool full() const { return m_pacer.full(); }
    void setSpacingUs(qint64 us) { m_pacer.setSpacingUs(us); }

private:
    void schedulePacing();
    void abandonOutgoing();

    LinkContext& m_context;
    LinkPhases& m_phases;
    SendPacer m_pacer;
    std::vector<quint64> m_framesGivenUp;
    SocketState m_socketState = SocketState::Closed;
};

} // namespace zkn::link
