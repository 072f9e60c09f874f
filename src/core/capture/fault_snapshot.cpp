// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture/fault_snapshot.h"

#include <QDateTime>

#include <algorithm>

namespace zkn::capture {

namespace {

// What an entry takes in memory: itself, its bytes' allocation and that allocation's header.
qsizetype footprint(const FaultSnapshot::Entry& entry)
{
    constexpr qsizetype kAllocationHeader = 32;
    return qsizetype(sizeof entry) + entry.bytes.capacity() + kAllocationHeader;
}

} // namespace

void FaultSnapshot::add(Entry entry)
{
    if (!m_entries.empty())
        entry.epochUs = std::max(entry.epochUs, m_entries.back().epochUs);
    entry.bytes.squeeze();
    m_bytes += footprint(entry);
    m_entries.push_back(std::move(entry));
    forgetOld(m_entries.back().epochUs);
}

bool FaultSnapshot::fault(qint64 epochUs)
{
    const bool begins = !m_lastFaultUs || epochUs - *m_lastFaultUs >= kQuietUs;
    m_lastFaultUs = epochUs;
    forgetOld(epochUs);
    return begins;
}

std::vector<const FaultSnapshot::Entry*> FaultSnapshot::packets() const
{
    std::vector<const Entry*> packets;
    std::optional<int> linkType;
    for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it) {
        if (it->kind != Entry::Kind::Packet)
            continue;
        if (!linkType)
            linkType = it->linkType;
        if (it->linkType == *linkType)
            packets.push_back(&*it);
    }
    std::reverse(packets.begin(), packets.end());
    return packets;
}

void FaultSnapshot::clear()
{
    m_entries.clear();
    m_bytes = 0;
    m_lastFaultUs.reset();
}

void FaultSnapshot::forgetOld(qint64 nowUs)
{
    while (!m_entries.empty() && (m_entries.front().epochUs < nowUs - m_spanUs || m_bytes > kMaxBytes)) {
        m_bytes -= footprint(m_entries.front());
        m_entries.pop_front();
    }
}

namespace {

QByteArray timeText(qint64 epochUs, const char* format)
{
    return QDateTime::fromMSecsSinceEpoch(epochUs / 1000).toString(QString::fromLatin1(format)).toLatin1();
}

} // namespace

QByteArray snapshotText(const std::deque<FaultSnapshot::Entry>& entries, const QString& fault, qint64 faultUs)
{
    QByteArray text = "Snapshot on fault: " + fault.toUtf8() + "\r\nat " +
                      timeText(faultUs, "yyyy-MM-dd hh:mm:ss.zzz") + "\r\n\r\n";
    bool lineStart = true;
    for (const FaultSnapshot::Entry& entry : entries) {
        if (entry.kind != FaultSnapshot::Entry::Kind::Text)
            continue;
        const QByteArray stamp = timeText(entry.epochUs, "hh:mm:ss.zzz") + "  ";
        for (const char c : entry.bytes) {
            if (lineStart)
                text += stamp;
            text += c;
            lineStart = c == '\n';
        }
    }
    if (!lineStart)
        text += "\r\n";
    return text;
}

} // namespace zkn::capture
