// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>

class QLabel;
class QPushButton;
class QTableWidget;

namespace zkn::lamp {
class LoadTestLog;
}

namespace zkn {

class Operator;
class ResultsCharts;

// "Load Test Results": the last load test's messages as charts, figures and the stations that did
// not answer ok, written out on request. It stays open beside a running test and follows it.
class frmResults : public QWidget
{
    Q_OBJECT

public:
    frmResults(QWidget* parent, const lamp::LoadTestLog& log, Operator& op);

    void showWindow();
    // A message went or what became of one is known; `answersExpected` is false on the serial line.
    // Shown a few times a second at most, so a fast test does not spend its time redrawing.
    void logChanged(bool answersExpected);
    // Shows the log as it stands now.
    void refresh();

    // Room for both charts and the tables beside each other at first; it may be made smaller.
    QSize sizeHint() const override { return {980, 700}; }

private:
    void exportResults();
    void write(const QString& path);
    QImage exportedPicture() const;

    const lamp::LoadTestLog& m_log;
    Operator& m_operator;
    bool m_answersExpected = true;
    QTimer m_refresh;
    QString m_lastFolder;
    QLabel* m_note;
    ResultsCharts* m_charts;
    QTableWidget* m_figures;
    QTableWidget* m_stations;
    QPushButton* m_export;
};

} // namespace zkn
