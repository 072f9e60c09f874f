// SPDX-License-Identifier: GPL-3.0-or-later
#include "tcp_segment.h"

#include <QtEndian>

namespace zkn::decodetool {

namespace {

constexpr quint8 kTcp = 6;
constexpr qsizetype kTcpHeaderSize = 20;
constexpr quint8 kFin = 0x01;
constexpr quint8 kSyn = 0x02;
constexpr quint8 kRst = 0x04;
constexpr quint8 kAck = 0x10;

template <typename T> T be(QByteArrayView bytes, qsizetype at)
{
    return qFromBigEndian<T>(bytes.data() + at);
}

// The IP header's addresses and where its TCP segment lies.
struct IpPart
{
    QByteArrayView source;
    QByteArrayView destination;
    QByteArrayView segment;
};

std::optional<IpPart> ipv4(QByteArrayView packet)
{
    constexpr quint16 kMoreFragments = 0x2000;
    constexpr quint16 kFragmentOffset = 0x1FFF;
    if (packet.size() < 20)
        return std::nullopt;
    const qsizetype headerSize = (packet[0] & 0x0F) * 4;
    // The total length leaves out an Ethernet frame's padding.
    const qsizetype total = qMin(qsizetype(be<quint16>(packet, 2)), packet.size());
    if (headerSize < 20 || total < headerSize || quint8(packet[9]) != kTcp ||
        (be<quint16>(packet, 6) & (kMoreFragments | kFragmentOffset)) != 0)
        return std::nullopt;
    return IpPart{packet.sliced(12, 4), packet.sliced(16, 4), packet.sliced(headerSize, total - headerSize)};
}

std::optional<IpPart> ipv6(QByteArrayView packet)
{
    constexpr qsizetype kHeaderSize = 40;
    if (packet.size() < kHeaderSize || quint8(packet[6]) != kTcp)
        return std::nullopt;
    const qsizetype payload = qMin(qsizetype(be<quint16>(packet, 4)), packet.size() - kHeaderSize);
    return IpPart{packet.sliced(8, 16), packet.sliced(24, 16), packet.sliced(kHeaderSize, payload)};
}

} // namespace

std::optional<TcpSegment> tcpSegment(QByteArrayView ipPacket)
{
    if (ipPacket.isEmpty())
        return std::nullopt;
    const int version = quint8(ipPacket[0]) >> 4;
    const std::optional<IpPart> ip = version == 4   ? ipv4(ipPacket)
                                     : version == 6 ? ipv6(ipPacket)
                                                    : std::nullopt;
    if (!ip || ip->segment.size() < kTcpHeaderSize)
        return std::nullopt;
    const QByteArrayView tcp = ip->segment;
    const qsizetype headerSize = (quint8(tcp[12]) >> 4) * 4;
    if (headerSize < kTcpHeaderSize || headerSize > tcp.size())
        return std::nullopt;
    TcpSegment s;
    s.source = ip->source.toByteArray() + tcp.first(2).toByteArray();
    s.destination = ip->destination.toByteArray() + tcp.sliced(2, 2).toByteArray();
    s.sourcePort = be<quint16>(tcp, 0);
    s.destinationPort = be<quint16>(tcp, 2);
    s.sequence = be<quint32>(tcp, 4);
    s.syn = (tcp[13] & kSyn) != 0;
    s.ack = (tcp[13] & kAck) != 0;
    s.fin = (tcp[13] & kFin) != 0;
    s.rst = (tcp[13] & kRst) != 0;
    s.payload = tcp.sliced(headerSize);
    return s;
}

} // namespace zkn::decodetool
