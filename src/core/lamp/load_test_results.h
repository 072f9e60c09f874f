// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lamp/lamp_function.h"
#include "lamp/load_test_message.h"

#include <QDateTime>

#include <map>
#include <tuple>
#include <vector>

namespace zkn::lamp {

// The time a lamp-control message may wait for its answer; a timed-out message is shown there.
inline constexpr qint64 kAnswerTimeoutMs = 10000;

// How often the PBX gave one answer code other than 0.
struct NegativeAnswers
{
    int code = 0;
    int count = 0;
};

// A station that did not answer ok, for one function and one outcome.
struct StationFault
{
    qint32 station = 0;
    LampFunction function = LampFunction::VmmOn;
    int code = -1; // -1: timed out
    int count = 0;
    QDateTime last; // when the last such message was sent
};

// What a load test's log tells, worked out in one pass for the results window.
struct LoadTestResults
{
    int sent = 0;
    int answeredOk = 0;
    int negative = 0;
    int timedOut = 0;
    int superseded = 0;                           // their answers taken by the single-station dialog's frame
    std::vector<NegativeAnswers> negativesByCode; // by code
    // Over every answer, ok or negative; -1 while there is none. A percentile is the lower one:
    // the answer time that at least that share of the answers did not exceed.
    qint64 minMs = -1;
    qint64 medianMs = -1;
    qint64 p95Ms = -1;
    qint64 p99Ms = -1;
    qint64 maxMs = -1;
    // From the first message leaving to the last thing that became of a message (its leaving,
    // its answer or its timeout).
    qint64 durationMs = 0;
    double messagesPerSecond = 0;
    std::vector<StationFault> faults; // by station, function, then code (timed out first)
};

// The results gathered message by message, in memory that grows with the kinds of answers and
// faults, not with the messages: a test may run for days.
class LoadTestTally
{
public:
    // A message nothing more will become of, sent at `sentAt` on the wall clock.
    void add(const LoadTestMessage& m, const QDateTime& sentAt);
    // The results, counting `open` (sent, not answered yet, if any) as sent.
    LoadTestResults results(const LoadTestMessage* open) const;
    // How many answers took each whole number of milliseconds.
    const std::map<qint64, int>& answerTimes() const { return m_answerTimes; }

private:
    qint64 percentile(int percent) const;

    LoadTestResults m_counts; // sent, answered ok, negative, timed out, superseded
    int m_answers = 0;
    qint64 m_firstUs = 0;
    qint64 m_lastUs = 0; // the last thing that became of a message
    std::map<qint64, int> m_answerTimes;
    std::map<int, int> m_negatives; // by code
    std::map<std::tuple<qint32, LampFunction, int>, StationFault> m_faults;
};

} // namespace zkn::lamp
