// SPDX-License-Identifier: GPL-3.0-or-later
#include "tcp_connections.h"

#include "link/frame_reader.h"

#include <utility>

namespace zkn::decodetool {

namespace {

// The end of the connection that is the PBX, from the first segment seen of it.
TcpEnd pbxEnd(const TcpSegment& first)
{
    if (first.destinationPort == link::kLinkPort)
        return first.destination;
    if (first.sourcePort == link::kLinkPort)
        return first.source;
    if (first.syn)
        return first.ack ? first.source : first.destination;
    // A server's port is most often the lower one.
    return first.sourcePort < first.destinationPort ? first.source : first.destination;
}

} // namespace

TcpConnections::TcpConnections(link::Parity parity, Events events)
    : m_parity(parity), m_events(std::move(events))
{
}

void TcpConnections::segment(CaptureTime time, const TcpSegment& segment)
{
    m_now = time;
    if (!segment.syn && segment.payload.isEmpty() && !m_connections.contains(endsOf(segment)))
        return; // an acknowledgement or a last FIN of a connection already forgotten
    Connection& connection = connectionOf(segment);
    const LinkSide from = segment.source == connection.pbx ? LinkSide::Pbx : LinkSide::Tool;
    Direction& direction = from == LinkSide::Pbx ? connection.fromPbx : connection.fromTool;
    quint32 dataStart = segment.sequence;
    if (segment.syn) {
        direction.bytes.syn(segment.sequence);
        ++dataStart;
    }
    direction.frames.feed(direction.bytes.segment(dataStart, segment.payload));
    if (direction.bytes.holdingTooMuch()) {
        direction.frames.gap();
        direction.frames.feed(direction.bytes.skipGap());
    }
    direction.finished = direction.finished || segment.fin;
    const bool ending = (segment.fin || segment.rst) && !std::exchange(connection.ending, true);
    const int number = connection.number;
    if (segment.rst || (connection.fromTool.finished && connection.fromPbx.finished)) {
        skipGaps(connection);
        m_connections.erase(endsOf(segment));
    }
    // After the frames that the end let go.
    if (ending && m_events.ending)
        m_events.ending(number, time, from, segment.rst);
}

void TcpConnections::finish()
{
    for (auto& [ends, connection] : m_connections)
        skipGaps(connection);
}

QByteArray TcpConnections::endsOf(const TcpSegment& segment)
{
    return qMin(segment.source, segment.destination) + qMax(segment.source, segment.destination);
}

TcpConnections::Connection& TcpConnections::connectionOf(const TcpSegment& segment)
{
    const QByteArray ends = endsOf(segment);
    auto found = m_connections.find(ends);
    const bool opening = segment.syn && !segment.ack;
    if (found != m_connections.end() && opening && found->second.toolSyn != segment.sequence) {
        skipGaps(found->second);
        m_connections.erase(found);
        found = m_connections.end();
    }
    if (found == m_connections.end()) {
        found = m_connections.emplace(ends, open(segment)).first;
        if (m_events.began)
            m_events.began(found->second.number, m_now);
    }
    return found->second;
}

TcpConnections::Connection TcpConnections::open(const TcpSegment& first)
{
    const bool opening = first.syn && !first.ack;
    const int number = m_connectionsBegun++;
    return Connection{number, pbxEnd(first), opening ? std::optional(first.sequence) : std::nullopt,
                      direction(number, LinkSide::Tool), direction(number, LinkSide::Pbx)};
}

TcpConnections::Direction TcpConnections::direction(int connection, LinkSide from)
{
    return Direction{{},
                     link::FrameSplitter(m_parity, [this, connection, from](const link::FrameHeader& frame) {
                         m_events.frame(connection, m_now, from, frame);
                     })};
}

void TcpConnections::skipGaps(Connection& connection)
{
    for (Direction* direction : {&connection.fromTool, &connection.fromPbx}) {
        while (direction->bytes.holding()) {
            direction->frames.gap();
            direction->frames.feed(direction->bytes.skipGap());
        }
    }
}

} // namespace zkn::decodetool
