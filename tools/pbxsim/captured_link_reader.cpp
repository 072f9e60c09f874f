// SPDX-License-Identifier: GPL-3.0-or-later
#include "pbxsim/captured_link_reader.h"

#include "capture_reader.h"
#include "tcp_connections.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace zkn::pbxsim {

namespace {

using decodetool::LinkSide;
using decodetool::TcpSegment;

// The captured connections as zkn-decode finds them, each with its frames and how it ended: by
// whoever sent the first FIN or reset.
class LinkCollector
{
public:
    explicit LinkCollector(link::Parity parity)
        : m_connections(parity,
                        {[this](int connection, decodetool::CaptureTime time, LinkSide from,
                                const link::FrameHeader& frame) {
                             m_link[connection].frames.append({time, from == LinkSide::Tool, frame.frame});
                         },
                         [this](int, decodetool::CaptureTime) { m_link.append(CapturedConnection{}); },
                         [this](int connection, decodetool::CaptureTime time, LinkSide by, bool reset) {
                             CapturedConnection& ended = m_link[connection];
                             ended.end = by == LinkSide::Tool ? CapturedConnection::End::ToolEnded
                                         : reset              ? CapturedConnection::End::PbxReset
                                                              : CapturedConnection::End::PbxClosed;
                             ended.endUs = time;
                         }})
    {
    }

    void segment(decodetool::CaptureTime time, const TcpSegment& segment)
    {
        m_connections.segment(time, segment);
    }

    CapturedLink finish()
    {
        m_connections.finish();
        return m_link;
    }

private:
    decodetool::TcpConnections m_connections;
    CapturedLink m_link; // by connection number
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
