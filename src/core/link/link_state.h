// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The link's whole state: where the TCP link, the serial port, the socket's outgoing side and the
// program's exit stand. Each is a phase that moves only by a row of its table below, through the
// one function next(); an event that no row names for a phase leaves it as it is. The requests
// awaiting an answer are no phase: several wait at once (pending_requests.h).
//
// The TCP link, as the tool drives it:
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
// the receive path cuts records from STX to ETX. The port's phase follows what the program says of
// the port (open, DSR held); a toggle that could not open it leaves why until the port is next
// heard of.
//
// The socket's outgoing side is open from a new connection until the link closes it; a close
// asked for while frames wait to leave a connected socket comes after the last of them, and
// nothing more is handed over meanwhile.
//
// The exit: a running load test finishes its sweep, a pause follows while the line is up, then the
// connect command releases the link; once that is done, the program waits for the PBX to close a
// connection that still stands.
//
// Reading the socket pauses while received data waits or ten frames wait to leave
// (LinkEngine::readsSocket). That is read from the two queues, not kept beside them, so it cannot
// disagree with them.

#include <QtGlobal>

#include <array>
#include <initializer_list>

namespace zkn::link {

enum class TcpPhase
{
    Idle,
    Connecting,
    AwaitingConnect,
    Up,
    Releasing
};

enum class TcpEvent
{
    ConnectStarted,  // the socket is connecting
    SocketConnected, // the connect request has been sent on the new connection
    ConnectAccepted, // the PBX took the connect request
    ReleaseSent,     // the tool asked the PBX to release the link
    LinkEnded,       // whatever ended it
};

enum class PortPhase
{
    Closed,
    NotFound,   // the last toggle found no such port
    OpenFailed, // the last toggle could not open it (why is kept beside)
    OpenWithoutDsr,
    Up // open, the far end holding DSR
};

enum class PortEvent
{
    Closed,
    OpenWithoutDsr,
    OpenWithDsr,
    NotFound,
    OpenFailed
};

enum class SendingPhase
{
    Open,
    ClosingAfterFrames, // the close waits for the frames before it
    Closed
};

enum class SendingEvent
{
    ConnectionStarted,
    CloseAsked,
    CloseAskedWhileFramesWait, // on a connected socket
    LastFrameLeft,
    FramesGivenUp
};

enum class ExitPhase
{
    Running,
    EndingSweep,
    Pausing,
    Releasing, // the connect command's release runs
    Released,
    AwaitingClose,
    Closed
};

enum class ExitEvent
{
    SweepToEnd, // a load test runs: its sweep goes out first
    SweepEndedLineUp,
    ReleaseStarted,
    ReleaseDone,
    CloseAwaited,
    LinkClosed,
    NothingToClose // no connection stood
};

// The phases a move starts from.
template <typename Phase> class From
{
public:
    constexpr From(std::initializer_list<Phase> phases)
    {
        for (const Phase phase : phases)
            m_phases |= 1u << int(phase);
    }
    static constexpr From any() { return From(~0u); }
    constexpr bool has(Phase phase) const { return (m_phases >> int(phase)) & 1u; }

private:
    constexpr explicit From(quint32 phases) : m_phases(phases) {}
    quint32 m_phases = 0;
};

template <typename Phase, typename Event> struct Move
{
    From<Phase> from;
    Event event;
    Phase to;
};

// The one transition function: the first row for the phase and the event, if any.
template <typename Phase, typename Event, std::size_t N>
constexpr Phase next(const std::array<Move<Phase, Event>, N>& moves, Phase phase, Event event)
{
    for (const Move<Phase, Event>& move : moves)
        if (move.event == event && move.from.has(phase))
            return move.to;
    return phase;
}

namespace moves {
using T = TcpPhase;
using P = PortPhase;
using S = SendingPhase;
using X = ExitPhase;

inline constexpr auto tcp = std::to_array<Move<TcpPhase, TcpEvent>>({
    {{T::Idle}, TcpEvent::ConnectStarted, T::Connecting},
    {From<T>::any(), TcpEvent::SocketConnected, T::AwaitingConnect},
    {{T::AwaitingConnect}, TcpEvent::ConnectAccepted, T::Up},
    {{T::AwaitingConnect, T::Up}, TcpEvent::ReleaseSent, T::Releasing},
    {From<T>::any(), TcpEvent::LinkEnded, T::Idle},
});

inline constexpr auto port = std::to_array<Move<PortPhase, PortEvent>>({
    {From<P>::any(), PortEvent::Closed, P::Closed},
    {From<P>::any(), PortEvent::OpenWithoutDsr, P::OpenWithoutDsr},
    {From<P>::any(), PortEvent::OpenWithDsr, P::Up},
    {{P::Closed}, PortEvent::NotFound, P::NotFound},
    {{P::Closed}, PortEvent::OpenFailed, P::OpenFailed},
});

inline constexpr auto sending = std::to_array<Move<SendingPhase, SendingEvent>>({
    {From<S>::any(), SendingEvent::ConnectionStarted, S::Open},
    {{S::Open, S::ClosingAfterFrames}, SendingEvent::CloseAskedWhileFramesWait, S::ClosingAfterFrames},
    {From<S>::any(), SendingEvent::CloseAsked, S::Closed},
    {{S::ClosingAfterFrames}, SendingEvent::LastFrameLeft, S::Closed},
    {{S::ClosingAfterFrames}, SendingEvent::FramesGivenUp, S::Closed},
});

inline constexpr auto exit = std::to_array<Move<ExitPhase, ExitEvent>>({
    {From<X>::any(), ExitEvent::SweepToEnd, X::EndingSweep},
    {{X::EndingSweep}, ExitEvent::SweepEndedLineUp, X::Pausing},
    {From<X>::any(), ExitEvent::ReleaseStarted, X::Releasing},
    {{X::Releasing}, ExitEvent::ReleaseDone, X::Released},
    {From<X>::any(), ExitEvent::CloseAwaited, X::AwaitingClose},
    {{X::AwaitingClose}, ExitEvent::LinkClosed, X::Closed},
    {From<X>::any(), ExitEvent::NothingToClose, X::Closed},
});
} // namespace moves

// The connection stands: frames can go out and come in.
constexpr bool connectionStands(TcpPhase phase)
{
    return phase == TcpPhase::AwaitingConnect || phase == TcpPhase::Up || phase == TcpPhase::Releasing;
}

// The link's phases in one place. Each part moves its own; every end of a TCP connection is
// counted, so that work which waited can tell whether the connection it was about still stands.
class LinkPhases
{
public:
    TcpPhase tcp() const { return m_tcp; }
    PortPhase port() const { return m_port; }
    SendingPhase sending() const { return m_sending; }
    ExitPhase exit() const { return m_exit; }

    void step(TcpEvent event) { m_tcp = next(moves::tcp, m_tcp, event); }
    void step(PortEvent event) { m_port = next(moves::port, m_port, event); }
    void step(SendingEvent event) { m_sending = next(moves::sending, m_sending, event); }
    void step(ExitEvent event) { m_exit = next(moves::exit, m_exit, event); }

    bool connectionStands() const { return link::connectionStands(m_tcp); }
    // The link stood and was not being released: its end now is a loss.
    bool wouldBeLost() const { return m_tcp == TcpPhase::AwaitingConnect || m_tcp == TcpPhase::Up; }
    // The connection now, as work that waits keeps it.
    quint64 connection() const { return m_connectionsEnded; }
    void connectionEnded() { ++m_connectionsEnded; }

    bool portOpen() const { return m_port == PortPhase::OpenWithoutDsr || m_port == PortPhase::Up; }
    // The exit's release step runs: a port that comes back is not opened again.
    bool releasingForExit() const
    {
        return m_exit == ExitPhase::EndingSweep || m_exit == ExitPhase::Pausing ||
               m_exit == ExitPhase::Releasing;
    }

private:
    TcpPhase m_tcp = TcpPhase::Idle;
    PortPhase m_port = PortPhase::Closed;
    SendingPhase m_sending = SendingPhase::Open;
    ExitPhase m_exit = ExitPhase::Running;
    quint64 m_connectionsEnded = 0;
};

} // namespace zkn::link
