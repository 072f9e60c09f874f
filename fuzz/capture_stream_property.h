// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The rule for reading a capture's TCP stream: any bytes give frames or nothing, never a crash,
// and the same frames however TCP cut them and in whatever order the segments came, each
// segment also sent twice. The same bytes read as a packet of any link type and as an IP packet
// never crash either.
#include "pieces.h"

#include "link/frame_splitter.h"
#include "link_layer.h"
#include "stream_reassembly.h"
#include "tcp_segment.h"

#include <algorithm>

namespace zkn::fuzz {

inline QList<QByteArray> framesOfSegments(const QList<QByteArray>& pieces, bool reversed)
{
    constexpr quint32 kIsn = 0xfffffff0; // the sequence numbers wrap inside the stream
    QList<std::pair<quint32, QByteArray>> segments;
    quint32 sequence = kIsn + 1;
    for (const QByteArray& piece : pieces) {
        segments.append({sequence, piece});
        sequence += quint32(piece.size());
    }
    if (reversed)
        std::reverse(segments.begin(), segments.end());
    QList<QByteArray> frames;
    link::FrameSplitter splitter(link::Parity::Odd,
                                 [&](const link::FrameHeader& frame) { frames.append(frame.frame); });
    decodetool::StreamReassembly stream;
    stream.syn(kIsn);
    for (const auto& [at, bytes] : segments) {
        splitter.feed(stream.segment(at, bytes));
        splitter.feed(stream.segment(at, bytes)); // a retransmission gives nothing again
    }
    return frames;
}

// Returns false when the rule is broken.
inline bool checkCaptureStreamInput(QByteArrayView input)
{
    for (const int linkType : {0, 1, 12, 101, 108, 113, 276})
        if (const auto ip = decodetool::ipPacket(linkType, input))
            decodetool::tcpSegment(*ip);
    const QList<Cuts> shapes = streamShapes(input);
    const QList<QByteArray> whole = framesOfSegments(cutInto(input, shapes.front()), false);
    for (const QByteArray& frame : whole)
        if (frame.isEmpty() || frame.front() != '\x16')
            return false;
    for (const Cuts& cuts : shapes)
        for (const bool reversed : {false, true})
            if (framesOfSegments(cutInto(input, cuts), reversed) != whole)
                return false;
    return true;
}

} // namespace zkn::fuzz
