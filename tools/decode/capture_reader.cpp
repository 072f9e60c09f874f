// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture_reader.h"

#include "capture/capture_format.h"
#include "link_layer.h"

#include <QtEndian>

#include <pcap/pcap.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace zkn::decodetool {

namespace {

using PcapHandle = std::unique_ptr<pcap_t, decltype(&pcap_close)>;

void handOver(int linkType, CaptureTime time, QByteArrayView packet, const CapturePackets& packets)
{
    if (linkType == capture::kLinkTypeSerial) {
        if (packet.isEmpty() || quint8(packet[0]) > capture::kFromPbx)
            return;
        const LinkSide from = quint8(packet[0]) == capture::kFromPbx ? LinkSide::Pbx : LinkSide::Tool;
        packets.serial(time, from, packet.sliced(1));
        return;
    }
    if (const std::optional<QByteArrayView> ip = ipPacket(linkType, packet)) {
        if (const std::optional<TcpSegment> segment = tcpSegment(*ip))
            packets.tcp(time, *segment);
    }
}

} // namespace

bool isCapture(QByteArrayView front)
{
    if (front.size() < kCaptureMagicSize)
        return false;
    const quint32 magic = qFromBigEndian<quint32>(front.data());
    switch (magic) {
    case 0xA1B2C3D4: // pcap, microseconds
    case 0xD4C3B2A1:
    case 0xA1B23C4D: // pcap, nanoseconds
    case 0x4D3CB2A1:
    case 0x0A0D0D0A: // pcapng: its section header block, the same in both byte orders
        return true;
    default:
        return false;
    }
}

std::optional<QString> readCapture(std::FILE* stream, const CapturePackets& packets)
{
    if (!stream)
        return QString::fromLocal8Bit(std::strerror(errno));
    char error[PCAP_ERRBUF_SIZE] = {};
    PcapHandle pcap(pcap_fopen_offline(stream, error), &pcap_close);
    if (!pcap) {
        std::fclose(stream);
        return QString::fromLocal8Bit(error);
    }
    const int linkType = pcap_datalink(pcap.get());
    if (linkType != capture::kLinkTypeSerial && !carriesIp(linkType))
        return QStringLiteral("a capture of link type %1, which zkn-decode does not read").arg(linkType);
    for (;;) {
        pcap_pkthdr* header = nullptr;
        const u_char* data = nullptr;
        const int got = pcap_next_ex(pcap.get(), &header, &data);
        if (got == PCAP_ERROR_BREAK)
            return std::nullopt;
        if (got < 0)
            return QString::fromLocal8Bit(pcap_geterr(pcap.get()));
        const CaptureTime time = CaptureTime(header->ts.tv_sec) * 1000000 + header->ts.tv_usec;
        handOver(linkType, time, QByteArrayView(reinterpret_cast<const char*>(data), header->caplen),
                 packets);
    }
}

} // namespace zkn::decodetool
