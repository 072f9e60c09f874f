// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture_decoder.h"

#include "capture_reader.h"
#include "display/terminal_line.h"
#include "link/frame_reader.h"
#include "record_finder.h"
#include "tcp_connections.h"

namespace zkn::decodetool {

std::optional<QString> decodeCapture(std::FILE* stream, const DecodeTargets& targets)
{
    // A record's time is the time of the packet that completed it: the finder gives it at once.
    CaptureTime fed = 0;
    RecordFinder finder([&targets, &fed](QByteArrayView record) {
        if (targets.records)
            targets.records->print(display::DotBlanks(record.toByteArray()), fed);
    });
    TcpConnections connections(targets.parity,
                               {[&](int, CaptureTime time, LinkSide from, const link::FrameHeader& frame) {
                                   if (targets.frames) {
                                       targets.frames->print(time, from, frame);
                                   } else if (from == LinkSide::Pbx && frame.kind == link::kRecordFrame) {
                                       if (const std::optional<QByteArray> text = link::recordText(frame)) {
                                           fed = time;
                                           finder.feed(*text);
                                       }
                                   }
                               }});
    const CapturePackets packets{
        [&connections](CaptureTime time, const TcpSegment& segment) { connections.segment(time, segment); },
        [&finder, &fed](CaptureTime time, LinkSide from, QByteArrayView bytes) {
            if (from == LinkSide::Pbx) {
                fed = time;
                finder.feed(bytes);
            }
        },
    };
    const std::optional<QString> failure = readCapture(stream, packets);
    connections.finish();
    return failure;
}

} // namespace zkn::decodetool
