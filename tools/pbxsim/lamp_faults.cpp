// SPDX-License-Identifier: GPL-3.0-or-later
#include "pbxsim/lamp_faults.h"

#include <QStringList>

namespace zkn::pbxsim {

std::optional<StationSet> StationSet::parse(const QString& text)
{
    StationSet set;
    for (const QString& part : text.split(QLatin1Char(','))) {
        const QStringList ends = part.split(QLatin1Char('-'));
        bool firstOk = false, lastOk = false;
        const qint64 first = ends.value(0).toLongLong(&firstOk);
        const qint64 last = ends.size() == 2 ? ends[1].toLongLong(&lastOk) : first;
        if (ends.size() > 2 || !firstOk || (ends.size() == 2 && !lastOk) || first < 0 || last < first)
            return std::nullopt;
        set.m_ranges.append({first, last});
    }
    return set;
}

bool StationSet::contains(const QByteArray& station) const
{
    bool ok = false;
    const qint64 number = station.trimmed().toLongLong(&ok);
    if (!ok)
        return false;
    for (const auto& [first, last] : m_ranges)
        if (number >= first && number <= last)
            return true;
    return false;
}

LampFaults::Answer LampFaults::answer(const QByteArray& station)
{
    Answer answer{0, m_delayMs};
    if (m_jitterMs > 0)
        answer.delayMs += std::uniform_int_distribution<int>(0, m_jitterMs)(m_random);
    for (const StationSet& muted : m_muted)
        if (muted.contains(station))
            answer.code.reset();
    for (const auto& [stations, code] : m_codes)
        if (answer.code && stations.contains(station))
            answer.code = code;
    return answer;
}

} // namespace zkn::pbxsim
