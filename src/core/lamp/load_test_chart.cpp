// SPDX-License-Identifier: GPL-3.0-or-later
#include "lamp/load_test_chart.h"

#include "lamp/load_test_log.h"
#include "lamp/load_test_results.h"

#include <algorithm>
#include <vector>

namespace zkn::lamp {

namespace {

// The fastest and the slowest point of each column.
class Columns
{
public:
    explicit Columns(int count) : m_low(std::size_t(count), kEmpty), m_high(std::size_t(count), kEmpty) {}

    void add(int column, QPointF point)
    {
        QPointF& low = m_low[std::size_t(column)];
        QPointF& high = m_high[std::size_t(column)];
        if (low.x() < 0 || point.y() < low.y())
            low = point;
        if (high.x() < 0 || point.y() > high.y())
            high = point;
    }

    QList<QPointF> points() const
    {
        QList<QPointF> points;
        for (std::size_t i = 0; i < m_low.size(); ++i) {
            if (m_low[i].x() < 0)
                continue;
            points.append(m_low[i]);
            if (m_high[i] != m_low[i])
                points.append(m_high[i]);
        }
        return points;
    }

private:
    static constexpr QPointF kEmpty{-1, -1}; // no message in the column yet
    std::vector<QPointF> m_low;
    std::vector<QPointF> m_high;
};

} // namespace

LoadTestChart loadTestChart(const LoadTestLog& log, int columns, int bins)
{
    LoadTestChart chart;
    const std::vector<LoadTestMessage>& messages = log.messages();
    if (messages.empty())
        return chart;
    const qint64 firstUs = messages.front().sentUs;
    const qint64 spanUs = messages.back().sentUs - firstUs + 1;
    Columns ok(columns), negative(columns), timedOut(columns);
    qint64 slowest = 0;
    bool answered = false;
    for (const LoadTestMessage& m : messages) {
        const int column = int((m.sentUs - firstUs) * columns / spanUs);
        const double seconds = double(m.sentUs - firstUs) / 1e6;
        if (m.timedOut)
            timedOut.add(column, {seconds, double(kAnswerTimeoutMs)});
        else if (m.code >= 0)
            (m.code == 0 ? ok : negative).add(column, {seconds, double(m.answerMs)});
        if (m.code >= 0) {
            answered = true;
            slowest = std::max(slowest, m.answerMs);
        }
    }
    chart.ok = ok.points();
    chart.negative = negative.points();
    chart.timedOut = timedOut.points();
    if (!answered)
        return chart;
    chart.binMs = std::max<qint64>(1, (slowest + bins) / bins);
    chart.bins.fill(0, int(slowest / chart.binMs) + 1);
    for (const LoadTestMessage& m : messages)
        if (m.code >= 0)
            ++chart.bins[int(std::max<qint64>(m.answerMs, 0) / chart.binMs)];
    return chart;
}

} // namespace zkn::lamp
