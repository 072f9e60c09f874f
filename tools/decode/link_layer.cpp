// SPDX-License-Identifier: GPL-3.0-or-later
#include "link_layer.h"

#include <QtEndian>

namespace zkn::decodetool {

namespace {

// libpcap's numbers for them on Linux; raw IP has had three over the years.
constexpr int kNull = 0;
constexpr int kEthernet = 1;
constexpr int kRawOld = 12;
constexpr int kRawOpenBsd = 14;
constexpr int kRaw = 101;
constexpr int kLoop = 108;
constexpr int kLinuxCooked = 113;
constexpr int kLinuxCooked2 = 276;

constexpr quint16 kEtherIpv4 = 0x0800;
constexpr quint16 kEtherIpv6 = 0x86DD;
constexpr quint16 kEtherVlan = 0x8100;
constexpr quint16 kEtherQinQ = 0x88A8;

quint16 be16(QByteArrayView bytes, qsizetype at)
{
    return qFromBigEndian<quint16>(bytes.data() + at);
}

// What follows a header whose protocol field (an EtherType) says IP.
std::optional<QByteArrayView> afterHeader(QByteArrayView packet, qsizetype headerSize, qsizetype typeAt)
{
    if (packet.size() < headerSize)
        return std::nullopt;
    const quint16 type = be16(packet, typeAt);
    if (type != kEtherIpv4 && type != kEtherIpv6)
        return std::nullopt;
    return packet.sliced(headerSize);
}

std::optional<QByteArrayView> ethernetPayload(QByteArrayView packet)
{
    constexpr qsizetype kTypeAt = 12;
    constexpr qsizetype kTagSize = 4;
    qsizetype typeAt = kTypeAt;
    while (packet.size() >= typeAt + 2 &&
           (be16(packet, typeAt) == kEtherVlan || be16(packet, typeAt) == kEtherQinQ))
        typeAt += kTagSize;
    return afterHeader(packet, typeAt + 2, typeAt);
}

} // namespace

bool carriesIp(int linkType)
{
    switch (linkType) {
    case kNull:
    case kEthernet:
    case kRawOld:
    case kRawOpenBsd:
    case kRaw:
    case kLoop:
    case kLinuxCooked:
    case kLinuxCooked2:
        return true;
    default:
        return false;
    }
}

std::optional<QByteArrayView> ipPacket(int linkType, QByteArrayView packet)
{
    switch (linkType) {
    case kEthernet:
        return ethernetPayload(packet);
    case kLinuxCooked:
        return afterHeader(packet, 16, 14);
    case kLinuxCooked2:
        return afterHeader(packet, 20, 0);
    case kNull:
    case kLoop:
        // The address family's value depends on the capturing system; the IP header tells.
        if (packet.size() < 4)
            return std::nullopt;
        return packet.sliced(4);
    default:
        return packet;
    }
}

} // namespace zkn::decodetool
