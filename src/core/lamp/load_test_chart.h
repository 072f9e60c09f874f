// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lamp/load_test_message.h"

#include <QList>
#include <QPointF>

#include <map>
#include <vector>

namespace zkn::lamp {

// A load test's answer times reduced to what a chart draws quickly however long the test ran:
// the time axis cut into columns, each keeping only its fastest and its slowest message of each
// kind, and the answer times counted in bins.
struct LoadTestChart
{
    // x: seconds from the first message leaving; y: answer time in ms.
    QList<QPointF> ok;
    QList<QPointF> negative;
    QList<QPointF> timedOut; // at the answer timeout
    qint64 binMs = 1;
    QList<int> bins; // answers from i * binMs to (i + 1) * binMs - 1 ms
};

// The answer-time axis of the chart: over the answers only, so that one time-out does not flatten
// them all onto zero (time-outs are drawn at its top edge); four to ten ticks at round numbers.
struct AnswerAxis
{
    double top = 1;
    int ticks = 2;
};
AnswerAxis answerAxis(const LoadTestChart& chart);

// The chart's columns, filled message by message: when a message falls past the last column,
// neighbouring columns merge, each then covering twice the time, so memory stays the same
// however long the test runs and every column's extremes are kept.
class LoadTestChartColumns
{
public:
    static constexpr int kColumns = 400;

    // A message nothing more will become of; messages come in the order sent.
    void add(const LoadTestMessage& m);
    // The chart, the answer times (answers by whole milliseconds) counted in `bins` bins.
    LoadTestChart chart(const std::map<qint64, int>& answerTimes, int bins) const;

private:
    // The fastest and the slowest point of each column of one kind.
    struct Extremes
    {
        std::vector<QPointF> low = std::vector<QPointF>(kColumns, kEmpty);
        std::vector<QPointF> high = std::vector<QPointF>(kColumns, kEmpty);

        void add(std::size_t column, QPointF point);
        void mergeNeighbours();
        QList<QPointF> points() const;
    };
    static constexpr QPointF kEmpty{-1, -1}; // no message in the column yet

    bool m_started = false;
    qint64 m_firstUs = 0;
    qint64 m_columnUs = 1000;
    Extremes m_ok, m_negative, m_timedOut;
};

} // namespace zkn::lamp
