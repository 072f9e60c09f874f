// SPDX-License-Identifier: GPL-3.0-or-later
#include "lamp/load_test_results.h"

#include <algorithm>

namespace zkn::lamp {

namespace {

// When the last thing became of the message: its answer, its timeout, or its leaving.
qint64 settledUs(const LoadTestMessage& m)
{
    if (m.timedOut)
        return m.sentUs + kAnswerTimeoutMs * 1000;
    return m.sentUs + std::max<qint64>(m.answerMs, 0) * 1000;
}

} // namespace

void LoadTestTally::add(const LoadTestMessage& m, const QDateTime& sentAt)
{
    if (m_counts.sent++ == 0)
        m_firstUs = m.sentUs;
    m_lastUs = std::max(m_lastUs, settledUs(m));
    const bool negative = m.code > 0;
    if (m.code == 0)
        ++m_counts.answeredOk;
    if (m.code >= 0) {
        ++m_answers;
        ++m_answerTimes[std::max<qint64>(m.answerMs, 0)];
    }
    if (negative) {
        ++m_counts.negative;
        ++m_negatives[m.code];
    }
    if (m.timedOut)
        ++m_counts.timedOut;
    if (m.superseded)
        ++m_counts.superseded;
    if (!negative && !m.timedOut)
        return;
    StationFault& fault = m_faults[{m.station, m.function, m.code}];
    fault = {m.station, m.function, m.code, fault.count + 1, sentAt};
}

// The lower percentile, as the status bar's figures give it: the answer time that at least
// `percent` of the answers did not exceed.
qint64 LoadTestTally::percentile(int percent) const
{
    const qint64 needed = std::max<qint64>((qint64(m_answers) * percent + 99) / 100, 1);
    qint64 seen = 0;
    for (const auto& [ms, count] : m_answerTimes) {
        seen += count;
        if (seen >= needed)
            return ms;
    }
    return -1;
}

LoadTestResults LoadTestTally::results(const LoadTestMessage* open) const
{
    LoadTestResults results = m_counts;
    qint64 firstUs = m_firstUs;
    qint64 lastUs = m_lastUs;
    if (open) {
        if (results.sent++ == 0)
            firstUs = open->sentUs;
        lastUs = std::max(lastUs, open->sentUs);
    }
    for (const auto& [code, count] : m_negatives)
        results.negativesByCode.push_back({code, count});
    for (const auto& entry : m_faults)
        results.faults.push_back(entry.second);
    if (m_answers > 0) {
        results.minMs = m_answerTimes.begin()->first;
        results.medianMs = percentile(50);
        results.p95Ms = percentile(95);
        results.p99Ms = percentile(99);
        results.maxMs = m_answerTimes.rbegin()->first;
    }
    if (results.sent > 0) {
        results.durationMs = (lastUs - firstUs) / 1000;
        if (results.durationMs > 0)
            results.messagesPerSecond = results.sent * 1000.0 / double(results.durationMs);
    }
    return results;
}

} // namespace zkn::lamp
