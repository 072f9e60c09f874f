// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lamp/load_test_chart.h"
#include "lamp/load_test_message.h"
#include "lamp/load_test_results.h"

#include <QByteArray>
#include <QDateTime>

#include <memory>
#include <optional>
#include <vector>

class QIODevice;
class QTemporaryFile;

namespace zkn::lamp {

// Every message of the last load test, kept until the next one starts, so its figures can be
// looked at and written out after it stopped. The figures and the chart are gathered as the
// messages come; the messages themselves are kept for the CSV, the first `keptInMemory` in
// memory and the rest in a temporary file, so a test of days neither fills memory nor loses a
// row.
class LoadTestLog
{
public:
    explicit LoadTestLog(std::size_t keptInMemory = 1000000);
    ~LoadTestLog();
    LoadTestLog(LoadTestLog&&) noexcept;
    LoadTestLog& operator=(LoadTestLog&&) noexcept;

    // A new test: the wall clock and the link's clock at its start, to date its messages.
    void start(const QDateTime& wallClock, qint64 nowUs);
    void sent(qint64 nowUs, qint32 station, LampFunction function, int sequence);
    // What became of the last message sent.
    void answered(int code, qint64 answerMs);
    void timedOut();
    void superseded();

    int count() const { return m_count; }
    // When the test began, on the wall clock.
    const QDateTime& started() const { return m_startWall; }
    LoadTestResults results() const;
    LoadTestChart chart(int bins = 40) const;

    // A row per message: time sent, station, function (mw-on, mw-off, vmm-on, vmm-off), sequence
    // number, answer code or empty, answer time in ms or empty, timed out yes or no, superseded by
    // the single-station dialog's frame yes or no; RFC 4180,
    // lines ended by CR LF.
    static QByteArray csvHeader();
    // Every message's row in the order sent; false when they could not all be written.
    bool writeCsvRows(QIODevice& to) const;
    // The same at once, for a short test.
    QByteArray csvRows() const;

private:
    void settle();
    void keep(const LoadTestMessage& m);
    bool spill(const LoadTestMessage& m);
    QDateTime sentAt(const LoadTestMessage& m) const;
    QByteArray csvRow(const LoadTestMessage& m) const;

    std::size_t m_keptInMemory;
    QDateTime m_startWall;
    qint64 m_startUs = 0;
    int m_count = 0;
    LoadTestTally m_tally;
    LoadTestChartColumns m_chart;
    std::optional<LoadTestMessage> m_open; // the last message sent, while an answer may come
    std::vector<LoadTestMessage> m_kept;
    std::unique_ptr<QTemporaryFile> m_spilled; // the rows after those kept in memory
    std::vector<LoadTestMessage> m_unspilled;  // the rows after those, should the file fail
};

// "mw-on" for MwOn, as plans and the CSV name the functions.
const char* lampFunctionName(LampFunction function);

} // namespace zkn::lamp
