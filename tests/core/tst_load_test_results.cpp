// SPDX-License-Identifier: GPL-3.0-or-later
// The results of a load test worked out from its log: counts, answer times, negatives by code,
// the stations that did not answer ok, duration and rate; and the chart's reduction of the log.
#include "lamp/load_test_chart.h"
#include "lamp/load_test_log.h"
#include "lamp/load_test_results.h"
#include "lamp/load_test_results_text.h"

#include <QTest>

#include <algorithm>
#include <numeric>

using namespace zkn::lamp;

namespace {

const QDateTime kStart(QDate(2026, 3, 2), QTime(9, 0));

// A device with room for so many bytes, as a disk that fills up.
class Room : public QIODevice
{
public:
    explicit Room(qint64 bytes) : m_left(bytes) { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 size) override
    {
        const qint64 taken = std::min(size, m_left);
        m_left -= taken;
        return size > 0 && taken == 0 ? -1 : taken;
    }

private:
    qint64 m_left;
};

// "MS@STATION/F=CODE:ANSWERMS" answered, "MS@STATION/F=t" timed out, "MS@STATION/F=s" superseded,
// "MS@STATION/F" unanswered; MS from the start of the test.
LoadTestLog logOf(const QString& messages)
{
    LoadTestLog log;
    log.start(kStart, 0);
    for (const QString& m : messages.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList sentAndRest = m.split(QLatin1Char('@'));
        const QStringList stationAndOutcome = sentAndRest[1].split(QLatin1Char('='));
        const QStringList stationAndFunction = stationAndOutcome[0].split(QLatin1Char('/'));
        log.sent(sentAndRest[0].toLongLong() * 1000, stationAndFunction[0].toInt(),
                 LampFunction(stationAndFunction[1].at(0).toLatin1()), 1);
        if (stationAndOutcome.size() < 2)
            continue;
        if (stationAndOutcome[1] == QLatin1String("t")) {
            log.timedOut();
            continue;
        }
        if (stationAndOutcome[1] == QLatin1String("s")) {
            log.superseded();
            continue;
        }
        const QStringList codeAndMs = stationAndOutcome[1].split(QLatin1Char(':'));
        log.answered(codeAndMs[0].toInt(), codeAndMs[1].toLongLong());
    }
    return log;
}

} // namespace

class TestLoadTestResults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void results_data()
    {
        QTest::addColumn<QString>("messages");
        QTest::addColumn<QString>("counts"); // sent ok negative timed-out superseded
        QTest::addColumn<QString>("times");  // min median p95 p99 max
        QTest::addColumn<QString>("byCode"); // code x count
        QTest::addColumn<QString>("faults"); // faultRow()s
        QTest::addColumn<QString>("pace");   // duration ms, messages per second

        QTest::newRow("none") << ""
                              << "0 0 0 0 0"
                              << "-1 -1 -1 -1 -1"
                              << ""
                              << ""
                              << "0 0.0";
        QTest::newRow("serial line, nothing answered") << "0@1000/2 300@1001/2 600@1002/2"
                                                       << "3 0 0 0 0"
                                                       << "-1 -1 -1 -1 -1"
                                                       << ""
                                                       << ""
                                                       << "600 5.0";
        QTest::newRow("a test of one millisecond has its rate") << "0@1000/2 1@1001/2"
                                                                << "2 0 0 0 0"
                                                                << "-1 -1 -1 -1 -1"
                                                                << ""
                                                                << ""
                                                                << "1 2000.0";
        QString twenty;
        for (int i = 0; i < 20; ++i)
            twenty += QStringLiteral("%1@%2/2=0:%3 ").arg(i * 100).arg(1000 + i).arg(20 - i);
        QTest::newRow("twenty answers, percentiles") << twenty << "20 20 0 0 0"
                                                     << "1 10 19 20 20"
                                                     << ""
                                                     << ""
                                                     << "1901 10.5";
        QTest::newRow("negatives and timeouts")
            << "0@1000/2=0:4 100@1003/2=3:6 200@1005/2=t 10300@1000/6=0:2 10400@1003/6=3:8 "
               "10500@1005/6=t 20600@1003/2=3:5 20700@1004/2=1:3"
            << "8 2 4 2 0"
            << "2 4 8 8 8"
            << "1x1 3x3"
            << "1003|vmm-on|2|code 3 ** INCORRECT TEXT RECV'd **|09:00:20.600; "
               "1003|vmm-off|1|code 3 ** INCORRECT TEXT RECV'd **|09:00:10.400; "
               "1004|vmm-on|1|code 1 ** PARITY ERROR **|09:00:20.700; "
               "1005|vmm-on|1|unanswered|09:00:00.200; "
               "1005|vmm-off|1|unanswered|09:00:10.500"
            << "20703 0.4";
        QTest::newRow("the last message timed out: the test lasts until its timeout")
            << "0@1000/1=0:7 500@1001/5=t"
            << "2 1 0 1 0"
            << "7 7 7 7 7"
            << ""
            << "1001|mw-off|1|unanswered|09:00:00.500"
            << "10500 0.2";
        // Its answer taken by the dialog's frame: neither answered nor a fault of the station.
        QTest::newRow("a message superseded") << "0@1000/2=s 100@1001/2=0:3"
                                              << "2 1 0 0 1"
                                              << "3 3 3 3 3"
                                              << ""
                                              << ""
                                              << "103 19.4";
    }
    void results()
    {
        QFETCH(QString, messages);
        QFETCH(QString, counts);
        QFETCH(QString, times);
        QFETCH(QString, byCode);
        QFETCH(QString, faults);
        QFETCH(QString, pace);
        const LoadTestResults r = logOf(messages).results();
        QCOMPARE(QStringLiteral("%1 %2 %3 %4 %5")
                     .arg(r.sent)
                     .arg(r.answeredOk)
                     .arg(r.negative)
                     .arg(r.timedOut)
                     .arg(r.superseded),
                 counts);
        // The window shows the superseded beside the timed out, when there are any.
        const std::vector<ResultLine> lines = resultLines(r, true);
        const auto superseded = std::find_if(lines.begin(), lines.end(), [](const ResultLine& l) {
            return l.caption == QLatin1String("Superseded");
        });
        QCOMPARE(superseded == lines.end() ? 0 : superseded->value.toInt(), r.superseded);
        QVERIFY(superseded == lines.end() || std::prev(superseded)->caption == QLatin1String("Unanswered"));
        QCOMPARE(QStringLiteral("%1 %2 %3 %4 %5")
                     .arg(r.minMs)
                     .arg(r.medianMs)
                     .arg(r.p95Ms)
                     .arg(r.p99Ms)
                     .arg(r.maxMs),
                 times);
        QStringList codes;
        for (const NegativeAnswers& n : r.negativesByCode)
            codes << QStringLiteral("%1x%2").arg(n.code).arg(n.count);
        QCOMPARE(codes.join(QLatin1Char(' ')), byCode);
        QStringList rows;
        for (const StationFault& fault : r.faults)
            rows << faultRow(fault).join(QLatin1Char('|'));
        QCOMPARE(rows.join(QStringLiteral("; ")), faults);
        QCOMPARE(QStringLiteral("%1 %2").arg(r.durationMs).arg(r.messagesPerSecond, 0, 'f', 1), pace);
    }

    // The answer axis is scaled to the answers: a time-out, drawn at the top edge, flattens none.
    void answerAxisOverTheAnswersOnly()
    {
        LoadTestChart chart;
        for (int ms = 16; ms <= 35; ++ms)
            chart.ok.append({ms / 10.0, double(ms)});
        chart.timedOut.append({3.0, double(kAnswerTimeoutMs)});
        const AnswerAxis withAnswers = answerAxis(chart);
        QCOMPARE(withAnswers.top, 40.0);
        QCOMPARE(withAnswers.ticks, 9);
        chart.ok.clear();
        const AnswerAxis timeoutsOnly = answerAxis(chart);
        QCOMPARE(timeoutsOnly.top, 1.25);
        QCOMPARE(timeoutsOnly.ticks, 6);
    }

    // Each kind in its own series, the first column's fastest and slowest (sent in the same
    // millisecond) among them; answers binned by the millisecond below 40 ms.
    void chartOfAShortTest()
    {
        const LoadTestChart chart = logOf("0@1000/2=0:1 0@1001/2=0:5 10@1002/2=3:4 20@1003/2=t").chart(40);
        QCOMPARE(chart.ok, (QList<QPointF>{{0, 1}, {0, 5}}));
        QCOMPARE(chart.negative, (QList<QPointF>{{0.01, 4}}));
        QCOMPARE(chart.timedOut, (QList<QPointF>{{0.02, double(kAnswerTimeoutMs)}}));
        QCOMPARE(chart.binMs, qint64(1));
        QCOMPARE(chart.bins, (QList<int>{0, 1, 0, 0, 1, 1}));
    }

    // A long test still gives a chart of a few hundred points, its extremes kept: 1000 s over
    // columns of 4.096 s.
    void chartOfALongTest()
    {
        LoadTestLog log;
        log.start(kStart, 0);
        for (int i = 0; i < 100000; ++i) {
            log.sent(qint64(i) * 10000, 1000 + i % 10, LampFunction::VmmOn, i % 100);
            if (i % 5000 == 4999)
                log.timedOut();
            else
                log.answered(i % 1000 == 0 ? 3 : 0, i == 54321 ? 900 : i % 97);
        }
        const LoadTestChart chart = log.chart(40);
        QCOMPARE(chart.ok.size(), 2 * 245);
        QVERIFY(chart.ok.contains(QPointF(543.21, 900)));
        QVERIFY(chart.ok.contains(QPointF(0.96, 96)));
        QCOMPARE(chart.negative.size(), 100); // every 10 s, a column each
        QCOMPARE(chart.timedOut.size(), 20);
        QCOMPARE(chart.timedOut.front(), QPointF(49.99, double(kAnswerTimeoutMs)));
        QCOMPARE(chart.binMs, qint64(23));
        QCOMPARE(chart.bins.size(), 40);
        QCOMPARE(std::accumulate(chart.bins.begin(), chart.bins.end(), 0), 100000 - 20);
    }

    void csvOfMoreThanKeptInMemory_data()
    {
        QTest::addColumn<bool>("diskFull");
        QTest::newRow("the rest in a file") << false;
        QTest::newRow("no room on disk: the rest in memory") << true;
    }

    // Past the messages kept in memory the rows wait in a file, or in memory when the file cannot
    // be written; the CSV has every one, in the order sent, the last still unanswered. A device
    // that takes less than all of it is a failure, wherever it stops.
    void csvOfMoreThanKeptInMemory()
    {
        QFETCH(bool, diskFull);
        const std::optional<QByteArray> temp =
            qEnvironmentVariableIsSet("TMPDIR") ? std::optional(qgetenv("TMPDIR")) : std::nullopt;
        if (diskFull)
            qputenv("TMPDIR", "/dev/null"); // no folder: no file can be made there
        LoadTestLog log(2);
        log.start(kStart, 0);
        for (int i = 0; i < 5; ++i) {
            log.sent(qint64(i) * 1500, 1000 + i, LampFunction::MwOn, i);
            if (i < 4)
                log.answered(i % 2, 7);
        }
        if (temp)
            qputenv("TMPDIR", *temp);
        else
            qunsetenv("TMPDIR");
        const QByteArray csv("2026-03-02T09:00:00.000,1000,mw-on,0,0,7,no,no\r\n"
                             "2026-03-02T09:00:00.001,1001,mw-on,1,1,7,no,no\r\n"
                             "2026-03-02T09:00:00.003,1002,mw-on,2,0,7,no,no\r\n"
                             "2026-03-02T09:00:00.004,1003,mw-on,3,1,7,no,no\r\n"
                             "2026-03-02T09:00:00.006,1004,mw-on,4,,,no,no\r\n");
        QCOMPARE(log.csvRows(), csv);
        QCOMPARE(log.count(), 5);
        for (qsizetype room = 0; room < csv.size(); room += 22) {
            Room device(room);
            QVERIFY2(!log.writeCsvRows(device), qPrintable(QString::number(room)));
        }
        log.start(kStart, 0);
        QCOMPARE(log.csvRows(), QByteArray());
    }
};

QTEST_APPLESS_MAIN(TestLoadTestResults)
#include "tst_load_test_results.moc"
