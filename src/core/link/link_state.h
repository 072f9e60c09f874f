// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The ZKN link over TCP, as the tool drives it.
//
//   idle              -- connect command: socket Connect, "LINK CONNECT REQUEST..."  --> connecting
//   connecting        -- socket connected: connect request (kind 5) sent             --> awaiting connect
//   awaiting connect  -- the connect request answered                                 --> up
//   up                -- connect command: release request (kind 6), wait window       --> releasing
//   any but idle      -- the link ends                                                --> idle
// The link ends when the PBX refuses the device (codes 2, 4), asks for a release itself, closes
// or resets the connection, or the socket fails; when the seventh health check in a row goes
// unanswered (the tool resets it and connects again after 2 s); and after a release, when the PBX
// closes the connection (or the tool does, 10 s after the request or its answer). A reset by the
// PBX also connects again after 2 s; any other socket error is shown.
// While the socket stands (awaiting connect, up, releasing) a health check (kind 5) leaves every
// interval + 1 ticks of the one-second health-check clock and every record (kind 2) is shown and
// answered (kind 4); lamp-control frames go out and their answers are matched.
//
// On the serial line there is no link layer: the connect command opens or closes the port, and
// the receive path cuts records from STX to ETX.

#include <QtGlobal>

namespace zkn::link {

enum class LinkState
{
    Idle,
    Connecting,
    AwaitingConnect,
    Up,
    Releasing
};

enum class LinkEvent
{
    ConnectStarted,  // the socket is connecting
    SocketConnected, // the connect request has been sent on the new connection
    ConnectAccepted, // the PBX took the connect request
    ReleaseSent,     // the tool asked the PBX to release the link
    LinkEnded,       // whatever ended it
};

// The one place the link's state changes. An event that means nothing in a state leaves it.
LinkState nextLinkState(LinkState state, LinkEvent event);

// The connection stands: frames can go out and come in.
constexpr bool connectionStands(LinkState state)
{
    return state == LinkState::AwaitingConnect || state == LinkState::Up || state == LinkState::Releasing;
}

// Where the TCP link stands, and which connection it is on: every end of a connection is counted,
// so that work which waited can tell whether the connection it was about still stands.
class LinkPhase
{
public:
    LinkState state() const { return m_state; }
    void step(LinkEvent event) { m_state = nextLinkState(m_state, event); }
    bool connectionStands() const { return link::connectionStands(m_state); }
    // The link stood and was not being released: its end now is a loss.
    bool wouldBeLost() const { return m_state == LinkState::AwaitingConnect || m_state == LinkState::Up; }
    // The connection now, as work that waits keeps it.
    quint64 connection() const { return m_connectionsEnded; }
    void connectionEnded() { ++m_connectionsEnded; }

private:
    LinkState m_state = LinkState::Idle;
    quint64 m_connectionsEnded = 0;
};

} // namespace zkn::link
