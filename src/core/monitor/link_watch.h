// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/frame_splitter.h"
#include "link/serial_receiver.h"
#include "monitor/lamp_table.h"
#include "monitor/watch_figures.h"
#include "monitor/watched_frame.h"

#include <QByteArray>
#include <QList>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <tuple>

namespace zkn::monitor {

// The link between a PBX and a message centre as a third party sees it, over one or more TCP
// connections: each side's bytes cut into frames, each frame named, and each request matched with
// its answer by connection and sequence number. The message centre's first status frame of a
// connection is its connect request, later ones are health checks; its connect requests, health
// checks, lamp messages and release requests await the PBX's response; the PBX's records await
// the message centre's answer. A health check not answered within 500 ms, or another request
// within 10 s, is a fault; an answer that comes later still matches it, marked late. From the
// connection's first FIN no request's time is up any more, unanswered but no fault (a release is
// often answered by the close alone), while answers still on their way are matched; a reset ends
// it at once. Memory is bounded: at most 100 requests wait per side and connection (one per
// sequence number; a new one replaces the old), and the oldest connection is forgotten past 256.
class LinkWatch
{
public:
    struct Events
    {
        std::function<void(const WatchedFrame&)> frame;
        std::function<void(const WatchFault&)> fault;
    };

    LinkWatch(link::Parity parity, Events events);

    void began(int connection, qint64 timeUs);
    // The next bytes one side sent on the connection, cut into frames here.
    void received(int connection, qint64 timeUs, Side from, QByteArrayView bytes);
    // The next bytes one side sent on a serial link: each message from STX to ETX is seen, with no
    // frame around it and no answer.
    void serialReceived(qint64 timeUs, Side from, QByteArrayView bytes);
    // A frame cut elsewhere (a capture's reader).
    void frame(int connection, qint64 timeUs, Side from, const link::FrameHeader& frame);
    // The connection's first FIN or reset, sent by `by`.
    void ending(int connection, qint64 timeUs, Side by, bool reset);
    // Both sides have closed: the connection is forgotten.
    void finished(int connection);
    // Time passes: requests whose time is up are faults.
    void advanceTo(qint64 timeUs);
    // When the next request's time is up.
    std::optional<qint64> nextDeadline() const;
    // A fault seen outside the frames (the relay's, a tap port's), counted and kept with the rest.
    void reportFault(int connection, qint64 timeUs, const QString& what);

    const WatchFigures& figures() const { return m_figures; }
    const LampTable& lamps() const { return m_lamps; }
    // The first faults with their times, and how many more there were.
    const QList<WatchFault>& faults() const { return m_faults; }
    qint64 faultsLeftOut() const { return m_faultsLeftOut; }
    // The device field of the connection's first connect request; empty before it.
    QByteArray deviceOf(int connection) const;

    static constexpr qint64 kHealthAnswerUs = 500'000;
    static constexpr qint64 kAnswerUs = 10'000'000;
    static constexpr int kMostConnections = 256;
    static constexpr int kFaultsKept = 1000;

private:
    struct Awaiting
    {
        Meaning request = Meaning::Other;
        qint64 sentUs = 0;
        qint64 dueUs = 0;
        bool timed = false; // its deadline stands
        bool late = false;  // its time was up
        std::optional<lamp::LampCommand> lamp;
    };
    // What one side's requests await, by sequence number.
    using AwaitedBySequence = std::array<std::optional<Awaiting>, 100>;
    struct Connection
    {
        QByteArray device;
        bool statusSeen = false;
        bool ending = false;       // its first FIN came
        AwaitedBySequence fromMc;  // the message centre's requests
        AwaitedBySequence fromPbx; // the PBX's records
        std::unique_ptr<link::FrameSplitter> pbxBytes;
        std::unique_ptr<link::FrameSplitter> mcBytes;
    };
    // When a request's time is up: due, connection, side awaiting, sequence.
    using Deadline = std::tuple<qint64, int, Side, int>;

    Connection& connectionOf(int number);
    link::SerialReceiver::Sink serialSink(Side from);
    void serialMessage(Side from, const QByteArray& message);
    Meaning meaningOf(Connection& connection, Side from, char kind);
    void await(int number, Connection& connection, Side from, int sequence, Awaiting awaiting);
    void answer(int number, Connection& connection, WatchedFrame& seen);
    void timeUp(int number, Connection& connection, Side awaitedFrom, int sequence, qint64 timeUs);
    void forgetDeadlines(int number, Side awaitedFrom, AwaitedBySequence& awaited);

    link::Parity m_parity;
    Events m_events;
    std::map<int, Connection> m_connections;
    qint64 m_cutAtUs = 0; // the time of the bytes being cut into frames
    std::set<Deadline> m_deadlines;
    WatchFigures m_figures;
    LampTable m_lamps;
    QList<WatchFault> m_faults;
    bool m_holdFaults = false; // while a frame is taken in
    QList<WatchFault> m_heldFaults;
    link::SerialReceiver m_pbxSerial;
    link::SerialReceiver m_mcSerial;
    qint64 m_faultsLeftOut = 0;
};

} // namespace zkn::monitor
