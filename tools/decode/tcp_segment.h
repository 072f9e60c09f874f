// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace zkn::decodetool {

// One end of a TCP connection: its IP address (4 or 16 bytes) followed by its port, both as on
// the wire, so that ends compare and order as bytes.
using TcpEnd = QByteArray;

// The fields of a TCP segment that following a stream needs.
struct TcpSegment
{
    TcpEnd source;
    TcpEnd destination;
    quint16 sourcePort = 0;
    quint16 destinationPort = 0;
    quint32 sequence = 0;
    bool syn = false;
    bool ack = false;
    bool fin = false;       // the sender has closed its side
    bool rst = false;       // the sender broke the connection off
    QByteArrayView payload; // within the packet handed over
};

// The TCP segment an IPv4 or IPv6 packet carries. None for other protocols, for IPv6 with
// extension headers before TCP, and for fragments, which the link never needs. A payload cut
// short by the capture's snapshot length is as long as was captured.
std::optional<TcpSegment> tcpSegment(QByteArrayView ipPacket);

} // namespace zkn::decodetool
