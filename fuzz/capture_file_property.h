// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The rule for a whole capture file as zkn-decode reads it (pcap or pcapng, any link layer, the
// connections tracked and cut into frames, the records found): any bytes give frames, records or
// a reason, never a crash, and every frame handed over begins with SYN.
#include "capture_decoder.h"
#include "capture_reader.h"
#include "tcp_connections.h"

#include <cstdio>

namespace zkn::fuzz {

// The input as a stream the reader closes; none where the system cannot make one.
inline std::FILE* streamOf(QByteArray& bytes)
{
    return bytes.isEmpty() ? nullptr : fmemopen(bytes.data(), std::size_t(bytes.size()), "rb");
}

// Returns false when the rule is broken.
inline bool checkCaptureFileInput(QByteArrayView input)
{
    QByteArray bytes = input.toByteArray();
    if (std::FILE* stream = streamOf(bytes))
        decodetool::decodeCapture(stream, {});
    bool framesBeginWithSyn = true;
    decodetool::TcpConnections connections(
        link::Parity::Odd,
        {[&](int, decodetool::CaptureTime, decodetool::LinkSide, const link::FrameHeader& frame) {
            framesBeginWithSyn = framesBeginWithSyn && frame.frame.startsWith('\x16');
        }});
    const decodetool::CapturePackets packets{
        [&connections](decodetool::CaptureTime time, const decodetool::TcpSegment& segment) {
            connections.segment(time, segment);
        },
        [](decodetool::CaptureTime, decodetool::LinkSide, QByteArrayView) {}};
    if (std::FILE* stream = streamOf(bytes))
        decodetool::readCapture(stream, packets);
    connections.finish();
    return framesBeginWithSyn;
}

} // namespace zkn::fuzz
