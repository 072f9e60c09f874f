// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/tcp_packets.h"

#include <QtEndian>

namespace zkn::capture {

namespace {

constexpr int kIpHeader = 20;
constexpr int kTcpHeader = 20;
constexpr int kMostPayload = 65535 - kIpHeader - kTcpHeader;
constexpr quint16 kWindow = 65535;

void put16(QByteArray& out, int at, quint16 value)
{
    qToBigEndian(value, out.data() + at);
}

void put32(QByteArray& out, int at, quint32 value)
{
    qToBigEndian(value, out.data() + at);
}

// The Internet checksum: the ones' complement of the ones' complement sum of 16-bit words.
quint16 checksum(const QByteArray& bytes, quint32 sum = 0)
{
    const auto* p = reinterpret_cast<const quint8*>(bytes.constData());
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        sum += quint32(p[i]) << 8 | p[i + 1];
    if (bytes.size() % 2)
        sum += quint32(p[bytes.size() - 1]) << 8;
    while (sum >> 16)
        sum = (sum & 0xffff) + (sum >> 16);
    return quint16(~sum);
}

} // namespace

TcpPackets::TcpPackets(Endpoint tool, Endpoint pbx, quint32 toolIsn, quint32 pbxIsn)
    : m_ends{tool, pbx}, m_next{toolIsn, pbxIsn}
{
}

QList<QByteArray> TcpPackets::opened()
{
    QList<QByteArray> packets{packet(Side::Tool, Syn)};
    ++m_next[at(Side::Tool)];
    packets.append(packet(Side::Pbx, Syn | Ack));
    ++m_next[at(Side::Pbx)];
    packets.append(packet(Side::Tool, Ack));
    return packets;
}

QList<QByteArray> TcpPackets::data(Side from, const QByteArray& bytes)
{
    QList<QByteArray> packets;
    for (qsizetype done = 0; done < bytes.size(); done += kMostPayload) {
        const QByteArray payload = bytes.mid(done, kMostPayload);
        packets.append(packet(from, Psh | Ack, payload));
        m_next[at(from)] += quint32(payload.size());
    }
    return packets;
}

QByteArray TcpPackets::finished(Side by)
{
    const QByteArray fin = packet(by, Fin | Ack);
    ++m_next[at(by)];
    return fin;
}

QByteArray TcpPackets::reset(Side by)
{
    return packet(by, Rst | Ack);
}

QByteArray TcpPackets::packet(Side from, quint8 flags, const QByteArray& payload)
{
    const Endpoint& source = m_ends[at(from)];
    const Endpoint& target = m_ends[1 - at(from)];
    const int total = kIpHeader + kTcpHeader + int(payload.size());
    QByteArray ip(kIpHeader, '\0');
    ip[0] = char(0x45); // IPv4, five words of header
    put16(ip, 2, quint16(total));
    put16(ip, 4, m_ipId[at(from)]++);
    put16(ip, 6, 0x4000); // don't fragment
    ip[8] = char(64);     // time to live
    ip[9] = char(6);      // TCP
    put32(ip, 12, source.address);
    put32(ip, 16, target.address);
    put16(ip, 10, checksum(ip));

    QByteArray tcp(kTcpHeader, '\0');
    put16(tcp, 0, source.port);
    put16(tcp, 2, target.port);
    put32(tcp, 4, m_next[at(from)]);
    // Every packet after the first SYN acknowledges all the other side has sent.
    put32(tcp, 8, flags & Ack ? m_next[1 - at(from)] : 0);
    tcp[12] = char(kTcpHeader / 4 << 4);
    tcp[13] = char(flags);
    put16(tcp, 14, kWindow);
    tcp += payload;
    // The TCP checksum covers a pseudo-header of the addresses, the protocol and the length.
    const quint32 pseudo = (source.address >> 16) + (source.address & 0xffff) + (target.address >> 16) +
                           (target.address & 0xffff) + 6 + quint32(tcp.size());
    put16(tcp, 16, checksum(tcp, pseudo));
    return ip + tcp;
}

} // namespace zkn::capture
