// SPDX-License-Identifier: GPL-3.0-or-later
#include "results_charts.h"

#include "lamp/load_test_chart.h"
#include "lamp/load_test_results.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>

namespace zkn {

namespace {

QChartView* chartView(const QString& name, const QString& title, QWidget* parent)
{
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->legend()->setAlignment(Qt::AlignBottom);
    auto* view = new QChartView(chart, parent);
    view->setObjectName(name);
    view->setAccessibleName(title);
    view->setRenderHint(QPainter::Antialiasing);
    // A picture: the figures below give the same in text, for the keyboard and screen readers.
    // The view's viewport takes the focus for it unless told not to.
    view->setFocusPolicy(Qt::NoFocus);
    view->viewport()->setFocusPolicy(Qt::NoFocus);
    view->setMinimumSize(280, 220);
    return view;
}

QValueAxis* axis(QChart* chart, const QString& title, Qt::Alignment side)
{
    auto* a = new QValueAxis(chart);
    a->setTitleText(title);
    a->setLabelFormat(QStringLiteral("%g"));
    chart->addAxis(a, side);
    return a;
}

template <typename Series>
Series* series(QChart* chart, const QString& name, const QColor& colour, QValueAxis* x, QValueAxis* y)
{
    auto* s = new Series(chart);
    s->setName(name);
    s->setColor(colour);
    chart->addSeries(s);
    s->attachAxis(x);
    s->attachAxis(y);
    return s;
}

QScatterSeries* scatter(QChart* chart, const QString& name, const QColor& colour, QValueAxis* x,
                        QValueAxis* y)
{
    auto* s = series<QScatterSeries>(chart, name, colour, x, y);
    s->setMarkerSize(6);
    s->setBorderColor(colour);
    return s;
}

QLineSeries* line(QChart* chart, const QString& name, const QColor& colour, Qt::PenStyle style, QValueAxis* x,
                  QValueAxis* y)
{
    auto* s = series<QLineSeries>(chart, name, colour, x, y);
    QPen pen(colour, 2, style);
    s->setPen(pen);
    return s;
}

} // namespace

ResultsCharts::ResultsCharts(QWidget* parent) : QSplitter(Qt::Horizontal, parent)
{
    setObjectName(QStringLiteral("splCharts"));
    setChildrenCollapsible(false);
    buildAnswers();
    buildHistogram();
    setStretchFactor(0, 3);
    setStretchFactor(1, 2);
}

void ResultsCharts::buildAnswers()
{
    m_answersView = chartView(QStringLiteral("chtAnswers"), QStringLiteral("Answer time by time sent"), this);
    QChart* chart = m_answersView->chart();
    m_sentAxis = axis(chart, QStringLiteral("time sent (s)"), Qt::AlignBottom);
    m_answerAxis = axis(chart, QStringLiteral("answer (ms)"), Qt::AlignLeft);
    m_ok = scatter(chart, QStringLiteral("ok"), QColor(30, 100, 200), m_sentAxis, m_answerAxis);
    m_negative = scatter(chart, QStringLiteral("refused"), QColor(220, 60, 30), m_sentAxis, m_answerAxis);
    // At the top edge, whatever the scale: a time-out is slower than every answer shown.
    m_timedOut =
        scatter(chart, QStringLiteral("unanswered (top)"), QColor(90, 90, 90), m_sentAxis, m_answerAxis);
    m_timedOut->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
    addWidget(m_answersView);
}

void ResultsCharts::buildHistogram()
{
    m_histogramView =
        chartView(QStringLiteral("chtHistogram"), QStringLiteral("Answers by answer time"), this);
    QChart* chart = m_histogramView->chart();
    m_timeAxis = axis(chart, QStringLiteral("answer time (ms)"), Qt::AlignBottom);
    m_countAxis = axis(chart, QStringLiteral("answers"), Qt::AlignLeft);
    m_histogramEdge = new QLineSeries(chart);
    m_histogram = new QAreaSeries(m_histogramEdge);
    m_histogram->setName(QStringLiteral("answers"));
    m_histogram->setColor(QColor(30, 100, 200, 160));
    m_histogram->setBorderColor(QColor(30, 100, 200));
    chart->addSeries(m_histogram);
    m_histogram->attachAxis(m_timeAxis);
    m_histogram->attachAxis(m_countAxis);
    m_median =
        line(chart, QStringLiteral("median"), QColor(0, 150, 60), Qt::SolidLine, m_timeAxis, m_countAxis);
    m_p95 = line(chart, QStringLiteral("p95"), QColor(230, 150, 0), Qt::DashLine, m_timeAxis, m_countAxis);
    m_max = line(chart, QStringLiteral("max"), QColor(220, 60, 30), Qt::DotLine, m_timeAxis, m_countAxis);
    addWidget(m_histogramView);
}

// Each redraw replaces whole point lists: a few hundred points, however long the test ran.
void ResultsCharts::showChart(const lamp::LoadTestChart& chart, const lamp::LoadTestResults& results)
{
    const lamp::AnswerAxis answers = lamp::answerAxis(chart);
    m_ok->replace(chart.ok);
    m_negative->replace(chart.negative);
    QList<QPointF> timedOut = chart.timedOut;
    for (QPointF& p : timedOut)
        p.setY(answers.top);
    m_timedOut->replace(timedOut);
    double lastSent = 1;
    for (const QList<QPointF>* points : {&chart.ok, &chart.negative, &chart.timedOut})
        for (const QPointF& p : *points)
            lastSent = std::max(lastSent, p.x());
    m_sentAxis->setRange(0, lastSent);
    m_sentAxis->applyNiceNumbers();
    m_answerAxis->setRange(0, answers.top);
    m_answerAxis->setTickCount(answers.ticks);

    QList<QPointF> edge;
    int most = 1;
    for (qsizetype i = 0; i < chart.bins.size(); ++i) {
        const double from = double(i * chart.binMs);
        const double to = double((i + 1) * chart.binMs);
        edge << QPointF(from, chart.bins[i]) << QPointF(to, chart.bins[i]);
        most = std::max(most, chart.bins[i]);
    }
    m_histogramEdge->replace(edge);
    m_timeAxis->setRange(0, std::max<double>(1, double(chart.bins.size() * chart.binMs)));
    m_timeAxis->applyNiceNumbers();
    m_countAxis->setRange(0, most * 1.05);
    m_countAxis->applyNiceNumbers();
    mark(m_median, results.medianMs, most);
    mark(m_p95, results.p95Ms, most);
    mark(m_max, results.maxMs, most);
}

// In the middle of its millisecond, so a line at 0 ms stands clear of the axis.
void ResultsCharts::mark(QLineSeries* line, qint64 ms, double height)
{
    const double x = double(ms) + 0.5;
    line->replace(ms < 0 ? QList<QPointF>() : QList<QPointF>{{x, 0}, {x, height}});
}

} // namespace zkn
