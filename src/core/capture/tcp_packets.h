// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

namespace zkn::capture {

enum class Side
{
    Tool,
    Pbx
};

// One side of the connection: an IPv4 address in host order and a port.
struct Endpoint
{
    quint32 address = 0;
    quint16 port = 0;
};

// A TCP connection between the tool and the PBX told again as the IPv4 packets that carried it,
// with sequence and acknowledgement numbers that agree with the bytes, so that a packet analyser
// follows the stream as it would a capture taken on the wire. The tool is the side that opened it.
class TcpPackets
{
public:
    TcpPackets(Endpoint tool, Endpoint pbx, quint32 toolIsn, quint32 pbxIsn);

    // The three-way handshake.
    QList<QByteArray> opened();
    // What one side wrote; more than a packet holds goes out in several.
    QList<QByteArray> data(Side from, const QByteArray& bytes);
    // One side closed in order (FIN) or broke the connection off (RST).
    QByteArray finished(Side by);
    QByteArray reset(Side by);

private:
    enum Flag : quint8
    {
        Fin = 0x01,
        Syn = 0x02,
        Rst = 0x04,
        Psh = 0x08,
        Ack = 0x10
    };
    QByteArray packet(Side from, quint8 flags, const QByteArray& payload = {});
    int at(Side side) const { return side == Side::Tool ? 0 : 1; }

    Endpoint m_ends[2];
    quint32 m_next[2]; // the next sequence number each side sends
    quint16 m_ipId[2] = {1, 1};
};

} // namespace zkn::capture
