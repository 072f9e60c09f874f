// SPDX-License-Identifier: GPL-3.0-or-later
#include "pbxsim/link_flood.h"

namespace zkn::pbxsim {

std::optional<LinkFlood> LinkFlood::parse(const QString& text)
{
    const QString kind = text.section(QLatin1Char(':'), 0, 0);
    const QString rate = text.section(QLatin1Char(':'), 1);
    LinkFlood flood;
    if (kind == QLatin1String("ignored"))
        flood.m_kind = Kind::Ignored;
    else if (kind == QLatin1String("records"))
        flood.m_kind = Kind::Records;
    else if (kind == QLatin1String("garbage"))
        flood.m_kind = Kind::Garbage;
    else
        return std::nullopt;
    if (text.count(QLatin1Char(':')) > 1)
        return std::nullopt;
    if (!rate.isEmpty() && rate != QLatin1String("max")) {
        bool ok = false;
        flood.m_perSecond = rate.toInt(&ok);
        if (!ok || flood.m_perSecond < 1 || flood.m_perSecond > 100000)
            return std::nullopt;
    }
    return flood;
}

int LinkFlood::framesDue(qint64 now, qint64 unsent)
{
    if (!active())
        return 0;
    if (m_perSecond == 0)
        return unsent < kMostUnsent ? kBatch : 0;
    // Frame k falls due k / rate seconds after the start, so the rate holds over any span.
    const qint64 due = (now - m_startedAt) * m_perSecond / 1000 + 1;
    const qint64 count = due - m_framesDue;
    m_framesDue = due;
    return int(qMax<qint64>(0, count));
}

std::optional<qint64> LinkFlood::nextDue(qint64 unsent) const
{
    if (!active())
        return std::nullopt;
    if (m_perSecond == 0)
        return unsent < kMostUnsent ? std::optional<qint64>(0) : std::nullopt;
    // The moment frame m_framesDue (counted from 0) falls due, rounded up to a whole millisecond.
    return m_startedAt + (m_framesDue * 1000 + m_perSecond - 1) / m_perSecond;
}

} // namespace zkn::pbxsim
