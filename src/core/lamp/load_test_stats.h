// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <array>

namespace zkn::lamp {

// The figures of one load test: messages sent, answered, answered with a code other than 0,
// timed out, superseded by the single-station dialog's frame, and the time from a message leaving
// to its answer. Kept in constant memory, so a test may run for days.
class LoadTestStats
{
public:
    void messageSent() { ++m_sent; }
    void answered(bool negative, qint64 answerMs);
    void timedOut() { ++m_timeouts; }
    void messageSuperseded() { ++m_superseded; }

    int sent() const { return m_sent; }
    int answers() const { return m_answered; }
    int negative() const { return m_negative; }
    int timeouts() const { return m_timeouts; }
    int superseded() const { return m_superseded; }
    // At millisecond resolution; an answer slower than the lamp timeout counts as that long.
    // The lower percentile: the answer time that at least `percent` of the answers did not
    // exceed; 0 percent is the fastest answer.
    qint64 answerMsAt(int percent) const;
    qint64 medianAnswerMs() const { return answerMsAt(50); }
    qint64 maxAnswerMs() const { return m_maxAnswerMs; }

    // "12 sent, 11 answered: 10 ok, 1 refused, 1 unanswered; answer time median 3 ms, p95 30 ms,
    // max 40 ms", with ", 1 superseded" after the unanswered when the dialog took an answer; the
    // answers are left out where none can come (the serial line).
    QByteArray summary(bool answersExpected) const;
    // The same in a few characters for the status bar: "12 sent, 10 ok, 1 ref., 1 unans., 3/40 ms",
    // with ", 1 sup." after the unanswered when some were superseded.
    QByteArray panelText(bool answersExpected) const;

private:
    static constexpr qint64 kSlowest = 10000;

    int m_sent = 0;
    int m_answered = 0;
    int m_negative = 0;
    int m_timeouts = 0;
    int m_superseded = 0;
    qint64 m_maxAnswerMs = 0;
    std::array<int, kSlowest + 1> m_answerMsCounts{}; // answers by whole milliseconds
};

} // namespace zkn::lamp
