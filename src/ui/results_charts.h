// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSplitter>

class QAreaSeries;
class QChart;
class QChartView;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

namespace zkn::lamp {
struct LoadTestChart;
struct LoadTestResults;
} // namespace zkn::lamp

namespace zkn {

// A load test's answer times drawn twice: each message's against the time it was sent, and how
// many answers took how long, the median, the 95th percentile and the slowest marked.
class ResultsCharts : public QSplitter
{
    Q_OBJECT

public:
    explicit ResultsCharts(QWidget* parent);

    void showChart(const lamp::LoadTestChart& chart, const lamp::LoadTestResults& results);

private:
    void buildAnswers();
    void buildHistogram();
    void mark(QLineSeries* line, qint64 ms, double height);

    QChartView* m_answersView = nullptr;
    QScatterSeries* m_ok = nullptr;
    QScatterSeries* m_negative = nullptr;
    QScatterSeries* m_timedOut = nullptr;
    QValueAxis* m_sentAxis = nullptr;
    QValueAxis* m_answerAxis = nullptr;

    QChartView* m_histogramView = nullptr;
    QLineSeries* m_histogramEdge = nullptr;
    QAreaSeries* m_histogram = nullptr;
    QLineSeries* m_median = nullptr;
    QLineSeries* m_p95 = nullptr;
    QLineSeries* m_max = nullptr;
    QValueAxis* m_timeAxis = nullptr;
    QValueAxis* m_countAxis = nullptr;
};

} // namespace zkn
