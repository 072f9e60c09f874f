// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QPointF>

namespace zkn::lamp {

class LoadTestLog;

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

LoadTestChart loadTestChart(const LoadTestLog& log, int columns = 400, int bins = 40);

} // namespace zkn::lamp
