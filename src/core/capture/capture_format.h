// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

// How the link is kept in a capture file (classic pcap). Over TCP the packets are IPv4 with
// their TCP header and no link layer; on the serial line each packet is the bytes of one read
// or one write behind a byte that says which way they went, since classic pcap has no
// direction of its own.
namespace zkn::capture {

constexpr int kLinkTypeRaw = 101;    // LINKTYPE_RAW: the packet starts with its IPv4 header
constexpr int kLinkTypeSerial = 147; // LINKTYPE_USER0: the direction byte, then the line's bytes
constexpr int kSnapLength = 65535;

// The first byte of a serial packet.
constexpr quint8 kFromTool = 0; // written by the tool, towards the PBX
constexpr quint8 kFromPbx = 1;  // read by the tool, from the PBX

} // namespace zkn::capture
