// SPDX-License-Identifier: GPL-3.0-or-later
#include "lamp/load_test_results.h"

#include "lamp/load_test_log.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace zkn::lamp {

namespace {

// The lower percentile of sorted answer times, as the status bar's figures give it.
qint64 percentile(const std::vector<qint64>& sorted, int percent)
{
    const std::size_t needed = (sorted.size() * std::size_t(percent) + 99) / 100;
    return sorted[std::max<std::size_t>(needed, 1) - 1];
}

void addAnswerTimes(LoadTestResults& results, std::vector<qint64>& times)
{
    if (times.empty())
        return;
    std::sort(times.begin(), times.end());
    results.minMs = times.front();
    results.medianMs = percentile(times, 50);
    results.p95Ms = percentile(times, 95);
    results.p99Ms = percentile(times, 99);
    results.maxMs = times.back();
}

// When the last thing became of the message: its answer, its timeout, or its leaving.
qint64 settledUs(const LoadTestMessage& m)
{
    if (m.timedOut)
        return m.sentUs + kAnswerTimeoutMs * 1000;
    return m.sentUs + std::max<qint64>(m.answerMs, 0) * 1000;
}

} // namespace

LoadTestResults loadTestResults(const LoadTestLog& log)
{
    LoadTestResults results;
    std::vector<qint64> times;
    std::map<int, int> negatives;
    using FaultKey = std::tuple<qint32, LampFunction, int>;
    std::map<FaultKey, StationFault> faults;
    qint64 lastUs = 0;
    for (const LoadTestMessage& m : log.messages()) {
        ++results.sent;
        lastUs = std::max(lastUs, settledUs(m));
        const bool negative = m.code > 0;
        if (m.code == 0)
            ++results.answeredOk;
        if (m.code >= 0)
            times.push_back(m.answerMs);
        if (negative)
            ++negatives[m.code];
        if (m.timedOut)
            ++results.timedOut;
        if (!negative && !m.timedOut)
            continue;
        StationFault& fault = faults[{m.station, m.function, m.code}];
        fault = {m.station, m.function, m.code, fault.count + 1, log.sentAt(m)};
    }
    for (const auto& [code, count] : negatives) {
        results.negative += count;
        results.negativesByCode.push_back({code, count});
    }
    for (const auto& entry : faults)
        results.faults.push_back(entry.second);
    addAnswerTimes(results, times);
    if (results.sent > 0) {
        results.durationMs = (lastUs - log.messages().front().sentUs) / 1000;
        if (results.durationMs > 0)
            results.messagesPerSecond = results.sent * 1000.0 / double(results.durationMs);
    }
    return results;
}

} // namespace zkn::lamp
