// SPDX-License-Identifier: GPL-3.0-or-later
#include "monitor/answer_times.h"

#include <algorithm>
#include <bit>

namespace zkn::monitor {

namespace {
constexpr int kSubBits = 6; // 64 buckets per power of two
} // namespace

int AnswerTimes::bucketOf(quint64 us)
{
    if (us < kSubBuckets)
        return int(us);
    const int top = std::bit_width(us) - 1; // at least kSubBits
    const int sub = int((us >> (top - kSubBits)) & (kSubBuckets - 1));
    return std::min(kSubBuckets * (top - kSubBits + 1) + sub, kSubBuckets * (kOctaves + 1) - 1);
}

qint64 AnswerTimes::lowerEdge(int bucket)
{
    if (bucket < kSubBuckets)
        return bucket;
    const int octave = bucket / kSubBuckets - 1;
    const int sub = bucket % kSubBuckets;
    return qint64(kSubBuckets + sub) << octave;
}

void AnswerTimes::add(qint64 us)
{
    us = std::max<qint64>(us, 0);
    ++m_counts[std::size_t(bucketOf(quint64(us)))];
    ++m_count;
    m_maxUs = std::max(m_maxUs, us);
}

qint64 AnswerTimes::percentileUs(int percent) const
{
    if (m_count == 0)
        return 0;
    const qint64 needed = std::max<qint64>(1, (m_count * percent + 99) / 100);
    qint64 seen = 0;
    for (std::size_t bucket = 0; bucket < m_counts.size(); ++bucket) {
        seen += m_counts[bucket];
        if (seen >= needed)
            return lowerEdge(int(bucket));
    }
    return m_maxUs;
}

} // namespace zkn::monitor
