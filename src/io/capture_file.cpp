// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture_file.h"

#include "capture/capture_format.h"

#include <pcap/pcap.h>

#include <cerrno>
#include <cstring>

namespace zkn {

CaptureFile::~CaptureFile()
{
    close();
}

QString CaptureFile::open(const QString& path, int linkType)
{
    close();
    // libpcap takes the system's DLT number and writes the file's own for it (101 for DLT_RAW).
    m_pcap = pcap_open_dead(linkType == capture::kLinkTypeRaw ? DLT_RAW : linkType, capture::kSnapLength);
    if (!m_pcap)
        return QStringLiteral("out of memory");
    m_dumper = pcap_dump_open(m_pcap, path.toLocal8Bit().constData());
    if (!m_dumper) {
        const QString error = QString::fromLocal8Bit(pcap_geterr(m_pcap));
        close();
        return error;
    }
    // The file header is there at once: a capture with no packet yet is still a capture.
    if (pcap_dump_flush(m_dumper) != 0) {
        const QString error = QString::fromLocal8Bit(std::strerror(errno));
        close();
        return error;
    }
    m_linkType = linkType;
    return {};
}

QString CaptureFile::write(const QByteArray& packet, qint64 epochUs)
{
    if (!m_dumper)
        return QStringLiteral("the capture file is not open");
    pcap_pkthdr header{};
    header.ts.tv_sec = time_t(epochUs / 1000000);
    header.ts.tv_usec = suseconds_t(epochUs % 1000000);
    header.caplen = bpf_u_int32(qMin<qsizetype>(packet.size(), capture::kSnapLength));
    header.len = bpf_u_int32(packet.size());
    pcap_dump(reinterpret_cast<u_char*>(m_dumper), &header,
              reinterpret_cast<const u_char*>(packet.constData()));
    // pcap_dump says nothing of a failed write; the flush does.
    if (pcap_dump_flush(m_dumper) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    return {};
}

void CaptureFile::close()
{
    if (m_dumper)
        pcap_dump_close(m_dumper);
    if (m_pcap)
        pcap_close(m_pcap);
    m_dumper = nullptr;
    m_pcap = nullptr;
    m_linkType = -1;
}

} // namespace zkn
