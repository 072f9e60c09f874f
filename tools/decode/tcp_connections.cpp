// SPDX-License-Identifier: GPL-3.0-or-later
#include "tcp_connections.h"

#include "link/frame_reader.h"

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

TcpConnections::TcpConnections(link::Parity parity, Handler handler)
    : m_parity(parity), m_handler(std::move(handler))
{
}

void TcpConnections::segment(CaptureTime time, const TcpSegment& segment)
{
    m_now = time;
    if (!segment.syn && segment.payload.isEmpty() && !m_connections.contains(endsOf(segment)))
        return; // an acknowledgement or a last FIN of a connection already forgotten
    Connection& connection = connectionOf(segment);
    Direction& direction = segment.source == connection.pbx ? connection.fromPbx : connection.fromTool;
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
    if (segment.rst || (connection.fromTool.finished && connection.fromPbx.finished)) {
        skipGaps(connection);
        m_connections.erase(endsOf(segment));
    }
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
    if (found == m_connections.end())
        found = m_connections.emplace(ends, open(segment)).first;
    return found->second;
}

TcpConnections::Connection TcpConnections::open(const TcpSegment& first)
{
    const bool opening = first.syn && !first.ack;
    return Connection{pbxEnd(first), opening ? std::optional(first.sequence) : std::nullopt,
                      direction(LinkSide::Tool), direction(LinkSide::Pbx)};
}

TcpConnections::Direction TcpConnections::direction(LinkSide from)
{
    return Direction{{}, FrameSplitter(m_parity, [this, from](const link::FrameHeader& frame) {
                         m_handler(m_now, from, frame);
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
