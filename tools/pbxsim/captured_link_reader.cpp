// SPDX-License-Identifier: GPL-3.0-or-later
#include "pbxsim/captured_link_reader.h"

#include "capture_reader.h"
#include "link/frame_reader.h"
#include "tcp_connections.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace zkn::pbxsim {

namespace {

using decodetool::LinkSide;
using decodetool::TcpSegment;

// The link has one connection at a time: a new SYN from the tool starts the next one, and the
// first FIN or RST says how the one open ended.
class LinkCollector
{
public:
    explicit LinkCollector(link::Parity parity)
        : m_connections(parity,
                        [this](decodetool::CaptureTime time, LinkSide from, const link::FrameHeader& frame) {
                            if (!m_link.isEmpty())
                                m_link.last().frames.append({time, from == LinkSide::Tool, frame.frame});
                        })
    {
    }

    void segment(decodetool::CaptureTime time, const TcpSegment& segment)
    {
        if ((segment.syn && !segment.ack) || m_link.isEmpty()) {
            m_link.append(CapturedConnection{});
            m_toolEnd = toolEnd(segment);
        }
        m_connections.segment(time, segment);
        CapturedConnection& open = m_link.last();
        if ((segment.fin || segment.rst) && open.end == CapturedConnection::End::Open) {
            open.end = segment.source == m_toolEnd ? CapturedConnection::End::ToolEnded
                       : segment.rst               ? CapturedConnection::End::PbxReset
                                                   : CapturedConnection::End::PbxClosed;
            open.endUs = time;
        }
    }

    CapturedLink finish()
    {
        m_connections.finish();
        return m_link;
    }

private:
    // The tool opens the connection; in a capture begun inside one, the PBX is on the link's
    // port, or failing that on the lower one.
    static decodetool::TcpEnd toolEnd(const TcpSegment& first)
    {
        if (first.syn)
            return first.ack ? first.destination : first.source;
        if (first.destinationPort == link::kLinkPort || first.sourcePort == link::kLinkPort)
            return first.destinationPort == link::kLinkPort ? first.source : first.destination;
        return first.sourcePort > first.destinationPort ? first.source : first.destination;
    }

    decodetool::TcpConnections m_connections;
    CapturedLink m_link;
    decodetool::TcpEnd m_toolEnd;
};

} // namespace

std::variant<CapturedLink, QString> readCapturedLink(const QString& path, link::Parity parity)
{
    std::FILE* file = std::fopen(path.toLocal8Bit().constData(), "rb");
    if (!file)
        return QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    LinkCollector collector(parity);
    bool serial = false;
    const std::optional<QString> error = decodetool::readCapture(
        file,
        {[&](decodetool::CaptureTime time, const TcpSegment& segment) { collector.segment(time, segment); },
         [&](decodetool::CaptureTime, LinkSide, QByteArrayView) { serial = true; }});
    if (error)
        return QStringLiteral("%1: %2").arg(path, *error);
    if (serial)
        return QStringLiteral("%1: a serial capture; only a TCP capture can be played").arg(path);
    return collector.finish();
}

} // namespace zkn::pbxsim
