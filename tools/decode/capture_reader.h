// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link_side.h"
#include "tcp_segment.h"

#include <QByteArrayView>
#include <QString>

#include <cstdio>
#include <functional>
#include <optional>

namespace zkn::decodetool {

// The first bytes of a file that tell a capture.
inline constexpr qsizetype kCaptureMagicSize = 4;

// Whether a file beginning with these bytes is a capture (pcap, in either byte order and with
// micro- or nanosecond times, or pcapng) rather than a log.
bool isCapture(QByteArrayView front);

// Where the packets of a capture go, by what they carry.
struct CapturePackets
{
    std::function<void(CaptureTime time, const TcpSegment& segment)> tcp;
    // The bytes of one read or write on the serial line.
    std::function<void(CaptureTime time, LinkSide from, QByteArrayView bytes)> serial;
};

// Reads a capture from the stream, which it closes, and hands over its packets in order. Returns
// why it cannot be read or why it stopped; packets handed over until then stay handed over.
std::optional<QString> readCapture(std::FILE* stream, const CapturePackets& packets);

} // namespace zkn::decodetool
