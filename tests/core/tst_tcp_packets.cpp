// SPDX-License-Identifier: GPL-3.0-or-later
// The packets a capture tells a TCP connection with, byte for byte: headers, sequence and
// acknowledgement numbers, and both checksums, against values worked out apart from the code.
#include "capture/tcp_packets.h"

#include <QTest>

using zkn::capture::Side;
using zkn::capture::TcpPackets;

namespace {

// The ones' complement sum of 16-bit words, an odd last byte padded with zero.
quint32 onesSum(const QByteArray& bytes, quint32 sum = 0)
{
    for (qsizetype i = 0; i < bytes.size(); i += 2)
        sum += quint32(quint8(bytes[i])) << 8 | (i + 1 < bytes.size() ? quint8(bytes[i + 1]) : 0);
    while (sum >> 16)
        sum = (sum & 0xffff) + (sum >> 16);
    return sum;
}

// Both checksums of an IPv4 packet hold: its header's, and its TCP segment's over the pseudo-header.
bool checksumsHold(const QByteArray& packet)
{
    const QByteArray segment = packet.sliced(20);
    const QByteArray pseudo = packet.mid(12, 8) + QByteArray::fromHex("0006") +
                              QByteArray(1, char(segment.size() >> 8)) +
                              QByteArray(1, char(segment.size() & 0xff));
    return onesSum(packet.first(20)) == 0xffff && onesSum(segment, onesSum(pseudo)) == 0xffff;
}

} // namespace

class TestTcpPackets : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // 10.0.0.1:40000 (the tool) to 10.0.0.2:60020, first sequence numbers 1000 and 5000: the
    // handshake, four bytes from the tool, the PBX's FIN and the tool's RST.
    void aConnection()
    {
        TcpPackets packets({0x0a000001, 40000}, {0x0a000002, 60020}, 1000, 5000);
        QList<QByteArray> all = packets.opened();
        all += packets.data(Side::Tool, QByteArray("\x16"
                                                   "ABC"));
        all.append(packets.finished(Side::Pbx));
        all.append(packets.reset(Side::Tool));
        const QList<QByteArray> expected{
            "4500002800014000400626cd0a0000010a0000029c40ea74000003e8000000005002ffff11430000", // SYN
            "4500002800014000400626cd0a0000020a000001ea749c4000001388000003e95012fffffda90000", // SYN ACK
            "4500002800024000400626cc0a0000010a0000029c40ea74000003e9000013895010fffffdaa0000", // ACK
            "4500002c00034000400626c70a0000010a0000029c40ea74000003e9000013895018ffffa51a000016414243", // PSH
                                                                                                        // ACK
            "4500002800024000400626cc0a0000020a000001ea749c4000001389000003ed5011fffffda50000",  // FIN ACK
            "4500002800044000400626ca0a0000010a0000029c40ea74000003ed0000138a5014fffffda10000"}; // RST ACK
        QCOMPARE(all.size(), expected.size());
        for (qsizetype i = 0; i < all.size(); ++i)
            QCOMPARE(all[i].toHex(), expected[i]);
    }

    // What an IPv4 packet cannot hold goes out in several, numbered on; the checksums hold for
    // payloads of odd length too.
    void aLongWrite()
    {
        TcpPackets packets({1, 1}, {2, 2}, 0, 0);
        const QList<QByteArray> two = packets.data(Side::Pbx, QByteArray(65495 + 5, 'x'));
        QCOMPARE(two.size(), 2);
        QCOMPARE(two[0].size(), 65535);
        QCOMPARE(two[1].size(), 45);
        QCOMPARE(two[1].mid(24, 4).toHex(), QByteArray("0000ffd7")); // sequence 65495
        for (const QByteArray& packet : two + packets.data(Side::Tool, "odd"))
            QVERIFY(checksumsHold(packet));
        // Exactly what one packet holds is one packet; nothing is none.
        QCOMPARE(packets.data(Side::Pbx, QByteArray(65495, 'x')).size(), 1);
        QCOMPARE(packets.data(Side::Pbx, {}).size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestTcpPackets)
#include "tst_tcp_packets.moc"
