// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame_splitter.h"
#include "link_side.h"
#include "stream_reassembly.h"
#include "tcp_segment.h"

#include <functional>
#include <map>
#include <optional>

namespace zkn::decodetool {

// The TCP connections of a capture, each direction put in order and cut into link frames.
//
// Which end is the PBX: the one on the link's port 60020; on another port, the one that
// answered the SYN; when the connection's start was not captured, the one on the lower port.
// A new SYN between the same ends starts a new connection. A connection that has ended (a FIN
// each way, or a reset) is cut into frames and forgotten, so a long capture holds only the
// connections still open; segments of none that carry nothing are passed over.
class TcpConnections
{
public:
    // A whole frame, with the time of the packet that completed it and the side that sent it.
    using Handler = std::function<void(CaptureTime time, LinkSide from, const link::FrameHeader& frame)>;

    TcpConnections(link::Parity parity, Handler handler);
    Q_DISABLE_COPY_MOVE(TcpConnections) // the frame splitters call back into it

    void segment(CaptureTime time, const TcpSegment& segment);
    // The capture has ended: bytes held behind missing ones are cut into frames after all.
    void finish();

private:
    struct Direction
    {
        StreamReassembly bytes;
        FrameSplitter frames;
        bool finished = false; // its FIN came
    };
    struct Connection
    {
        TcpEnd pbx;
        std::optional<quint32> toolSyn; // a SYN sent again is the same connection
        Direction fromTool;
        Direction fromPbx;
    };

    static QByteArray endsOf(const TcpSegment& segment);
    Connection& connectionOf(const TcpSegment& segment);
    Connection open(const TcpSegment& first);
    Direction direction(LinkSide from);
    // Cuts what waits behind missing bytes into frames, giving up on those bytes.
    static void skipGaps(Connection& connection);

    link::Parity m_parity;
    Handler m_handler;
    CaptureTime m_now = 0;
    std::map<QByteArray, Connection> m_connections; // by both ends, the lower first
};

} // namespace zkn::decodetool
