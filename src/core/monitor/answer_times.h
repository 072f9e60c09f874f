// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <array>

namespace zkn::monitor {

// How long answers took, in constant memory however long the watch runs: each time falls in a
// bucket 1/64 of its power of two wide (exact below 64 µs, within 1.6 % above), so a percentile
// is the lower edge of its bucket; the slowest is kept exactly.
class AnswerTimes
{
public:
    void add(qint64 us);

    qint64 count() const { return m_count; }
    // The lower percentile: the time that at least `percent` of the answers did not exceed; 0 while
    // there is none.
    qint64 percentileUs(int percent) const;
    qint64 maxUs() const { return m_maxUs; }

private:
    static constexpr int kSubBuckets = 64;
    static constexpr int kOctaves = 40; // up to 2^46 µs, two years
    static int bucketOf(quint64 us);
    static qint64 lowerEdge(int bucket);

    qint64 m_count = 0;
    qint64 m_maxUs = 0;
    std::array<qint64, kSubBuckets*(kOctaves + 1)> m_counts{};
};

} // namespace zkn::monitor
