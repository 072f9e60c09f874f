// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/frame_splitter.h"
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
// A new SYN between the same ends starts a new connection; the same SYN sent again does not. A
// connection that has ended (a FIN each way, or a reset) is cut into frames and forgotten, so a
// long capture holds only the connections still open; segments of none that carry nothing are
// passed over.
class TcpConnections
{
public:
    // What the connections show, in the order of the capture; connections are numbered from 0 as
    // they begin.
    struct Events
    {
        // A whole frame, with the time of the packet that completed it and the side that sent it.
        std::function<void(int connection, CaptureTime time, LinkSide from, const link::FrameHeader& frame)>
            frame;
        // The tool's SYN, or the first segment of a connection whose start was not captured.
        std::function<void(int connection, CaptureTime time)> began = {};
        // The connection's first FIN or reset, sent by `by`.
        std::function<void(int connection, CaptureTime time, LinkSide by, bool reset)> ending = {};
    };

    TcpConnections(link::Parity parity, Events events);
    Q_DISABLE_COPY_MOVE(TcpConnections) // the frame splitters call back into it

    void segment(CaptureTime time, const TcpSegment& segment);
    // The capture has ended: bytes held behind missing ones are cut into frames after all.
    void finish();

private:
    struct Direction
    {
        StreamReassembly bytes;
        link::FrameSplitter frames;
        bool finished = false; // its FIN came
    };
    struct Connection
    {
        int number = 0;
        TcpEnd pbx;
        std::optional<quint32> toolSyn; // a SYN sent again is the same connection
        Direction fromTool;
        Direction fromPbx;
        bool ending = false; // its first FIN or reset came
    };

    static QByteArray endsOf(const TcpSegment& segment);
    Connection& connectionOf(const TcpSegment& segment);
    Connection open(const TcpSegment& first);
    Direction direction(int connection, LinkSide from);
    // Cuts what waits behind missing bytes into frames, giving up on those bytes.
    static void skipGaps(Connection& connection);

    link::Parity m_parity;
    Events m_events;
    CaptureTime m_now = 0;
    int m_connectionsBegun = 0;
    std::map<QByteArray, Connection> m_connections; // by both ends, the lower first
};

} // namespace zkn::decodetool
