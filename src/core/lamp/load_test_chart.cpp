// SPDX-License-Identifier: GPL-3.0-or-later
#include "lamp/load_test_chart.h"

#include "lamp/load_test_results.h"

#include <algorithm>
#include <cmath>

namespace zkn::lamp {

void LoadTestChartColumns::Extremes::add(std::size_t column, QPointF point)
{
    QPointF& lowest = low[column];
    QPointF& highest = high[column];
    if (lowest.x() < 0 || point.y() < lowest.y())
        lowest = point;
    if (highest.x() < 0 || point.y() > highest.y())
        highest = point;
}

void LoadTestChartColumns::Extremes::mergeNeighbours()
{
    const std::vector<QPointF> oldLow = std::exchange(low, std::vector<QPointF>(kColumns, kEmpty));
    const std::vector<QPointF> oldHigh = std::exchange(high, std::vector<QPointF>(kColumns, kEmpty));
    for (std::size_t i = 0; i < oldLow.size(); ++i) {
        if (oldLow[i].x() < 0)
            continue;
        add(i / 2, oldLow[i]);
        add(i / 2, oldHigh[i]);
    }
}

QList<QPointF> LoadTestChartColumns::Extremes::points() const
{
    QList<QPointF> points;
    for (std::size_t i = 0; i < low.size(); ++i) {
        if (low[i].x() < 0)
            continue;
        points.append(low[i]);
        if (high[i] != low[i])
            points.append(high[i]);
    }
    return points;
}

void LoadTestChartColumns::add(const LoadTestMessage& m)
{
    if (!std::exchange(m_started, true))
        m_firstUs = m.sentUs;
    const qint64 sinceFirstUs = m.sentUs - m_firstUs;
    while (sinceFirstUs / m_columnUs >= kColumns) {
        m_columnUs *= 2;
        for (Extremes* kind : {&m_ok, &m_negative, &m_timedOut})
            kind->mergeNeighbours();
    }
    const auto column = std::size_t(sinceFirstUs / m_columnUs);
    const double seconds = double(sinceFirstUs) / 1e6;
    if (m.timedOut)
        m_timedOut.add(column, {seconds, double(kAnswerTimeoutMs)});
    else if (m.code >= 0)
        (m.code == 0 ? m_ok : m_negative).add(column, {seconds, double(m.answerMs)});
}

LoadTestChart LoadTestChartColumns::chart(const std::map<qint64, int>& answerTimes, int bins) const
{
    LoadTestChart chart;
    chart.ok = m_ok.points();
    chart.negative = m_negative.points();
    chart.timedOut = m_timedOut.points();
    if (answerTimes.empty())
        return chart;
    const qint64 slowest = answerTimes.rbegin()->first;
    chart.binMs = std::max<qint64>(1, (slowest + bins) / bins);
    chart.bins.fill(0, int(slowest / chart.binMs) + 1);
    for (const auto& [ms, count] : answerTimes)
        chart.bins[int(ms / chart.binMs)] += count;
    return chart;
}

AnswerAxis answerAxis(const LoadTestChart& chart)
{
    double slowest = 1;
    for (const QList<QPointF>* points : {&chart.ok, &chart.negative})
        for (const QPointF& p : *points)
            slowest = std::max(slowest, p.y());
    // A fixed count of round steps: nice numbers would double the range for an answer just past one.
    const double top = slowest * 1.05;
    double step = std::pow(10.0, std::floor(std::log10(top)));
    while (top / step < 4)
        step /= 2;
    const int steps = int(std::ceil(top / step));
    return {steps * step, steps + 1};
}

} // namespace zkn::lamp
