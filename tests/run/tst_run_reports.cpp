// SPDX-License-Identifier: GPL-3.0-or-later
// zkn-run's reports of a passed and a failed step, byte for byte in each format: the line on
// stderr, TAP, the JSON summary and JUnit.
#include "answer_figures.h"
#include "lamp_tally.h"
#include "probe.h"
#include "reports.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <functional>

using namespace zkn::run;

namespace {

const QDateTime kStart(QDate(2026, 12, 8), QTime(9, 30, 0, 250), Qt::UTC);

StepResult passed()
{
    StepResult r;
    r.name = QStringLiteral("connect");
    r.passed = true;
    r.started = kStart;
    r.ms = 12;
    r.message = QStringLiteral("connected");
    return r;
}

// A lamps step that failed, with more events than a report keeps and a message of two lines.
StepResult failed()
{
    StepResult r;
    r.name = QStringLiteral("lamps");
    r.started = kStart.addMSecs(12);
    r.ms = 1500;
    r.message = QStringLiteral("1 of 2 answered:\r\n\"code 3\"");
    for (int i = 1; i <= 42; ++i)
        r.events.append({kStart.addSecs(i), QStringLiteral("Critical: box %1").arg(i)});
    r.records = 1;
    r.recordTexts.append(QStringLiteral("J 1"));
    r.figures = {{QStringLiteral("sent"), 2}, {QStringLiteral("answered"), 1}};
    return r;
}

// A step that never ran: the link never came up.
StepResult skipped()
{
    StepResult r;
    r.name = QStringLiteral("records");
    r.skipped = true;
    r.message = QStringLiteral("the link never came up");
    return r;
}

QByteArray eventLines(const char* prefix, const char* suffix)
{
    QByteArray lines;
    for (int i = 1; i <= 42; ++i) {
        if (i == 21)
            lines += prefix + QByteArray("... 2 more events ...") + suffix;
        if (i <= 20 || i >= 23)
            lines += QByteArray(prefix) + "Critical: box " + QByteArray::number(i) + suffix;
    }
    return lines;
}

} // namespace

Q_DECLARE_METATYPE(std::function<QByteArray()>)

class TestRunReports : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reports_data()
    {
        QTest::addColumn<std::function<QByteArray()>>("report");
        QTest::addColumn<QByteArray>("expected");
        const auto row = [](const char* name, std::function<QByteArray()> report,
                            const QByteArray& expected) { QTest::newRow(name) << report << expected; };
        row(
            "stderr: a pass gives its time", [] { return stepLine(passed()); }, "PASS connect 12 ms\n");
        row(
            "stderr: a failure gives its message on one line", [] { return stepLine(failed()); },
            "FAIL lamps 1 of 2 answered: \"code 3\"\n");
        // A lamps step's words: every station that went wrong named, up to twenty.
        const auto lamps = [](bool answersCome, int stations, int code) {
            LampTally tally;
            for (int i = 0; i < stations; ++i) {
                tally.sending(QString::number(1000 + i));
                if (!answersCome)
                    i % 2 ? tally.notSent(QStringLiteral("no DSR")) : tally.wentOut();
                else if (i == 1)
                    tally.unanswered();
                else
                    tally.answered(i == 0 ? 0 : code);
            }
            QStringList figures;
            for (const auto& [name, value] : tally.figures(answersCome))
                figures.append(name + QLatin1Char('=') + QString::number(value));
            return (tally.text(answersCome) + QStringLiteral(" | ") + figures.join(QLatin1Char(' ')))
                       .toUtf8() +
                   (tally.allWell() ? " | well" : "");
        };
        row(
            "lamps: all ok", [lamps] { return lamps(true, 1, 0); },
            "1 sent, 1 answered: 1 ok | sent=1 answered=1 ok=1 "
            "refused=0 unanswered=0 | well");
        row(
            "lamps: refused and unanswered, twenty named", [lamps] { return lamps(true, 23, 3); },
            "23 sent, 22 answered: 1 ok, 21 refused, 1 unanswered; 1001: unanswered; " +
                [] {
                    QByteArray named;
                    for (int i = 2; i <= 20; ++i)
                        named += "1" + QByteArray::number(i).rightJustified(3, '0') +
                                 ": code 3 ** INCORRECT TEXT RECV'd **; ";
                    return named;
                }() +
                "and 2 more | sent=23 answered=22 ok=1 refused=21 unanswered=1");
        row(
            "lamps: serial, one not sent", [lamps] { return lamps(false, 2, 0); },
            "1 of 2 sent; 1001: no DSR | sent=2 out=1");
        row(
            "lamps: serial, all out", [lamps] { return lamps(false, 1, 0); }, "1 sent | sent=1 out=1 | well");
        row(
            "stderr: a record's bytes readable, on one line",
            [] {
                StepResult r = failed();
                r.name = QStringLiteral("records");
                r.message =
                    QStringLiteral("a record could not be decoded: \u00020!J 1\u0003\r\nnext\rline\u007F");
                return stepLine(r);
            },
            "FAIL records a record could not be decoded: <02>0!J 1<03> next line<7F>\n");
        row(
            "stderr: a step skipped", [] { return stepLine(skipped()); },
            "SKIP records the link never came up\n");
        row(
            "TAP: a step skipped", [] { return tapLine(3, skipped()); },
            "ok 3 - records # SKIP the link never came up\n");
        row(
            "JUnit: a step skipped, counted apart from the failures",
            [] { return junitReport(QStringLiteral("plan"), {skipped()}); },
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites>\n"
            "    <testsuite name=\"plan\" tests=\"1\" failures=\"0\" skipped=\"1\" time=\"0.000\">\n"
            "        <testcase classname=\"plan\" name=\"records\" time=\"0.000\">\n"
            "            <skipped message=\"the link never came up\"/>\n"
            "        </testcase>\n    </testsuite>\n</testsuites>\n");
        row(
            "TAP: a pass", [] { return tapHeader() + tapLine(1, passed()); },
            "TAP version 14\nok 1 - connect # 12 ms\n");
        row(
            "TAP: a failure with its message and events quoted",
            [] { return tapLine(2, failed()) + tapPlan(2); },
            "not ok 2 - lamps # 1500 ms\n  ---\n  message: \"1 of 2 answered:\\r\\n\\\"code 3\\\"\"\n" +
                eventLines("  event: \"", "\"\n") + "  ...\n1..2\n");
        row(
            "JUnit: one testcase a step, the failure with its texts",
            [] {
                return junitReport(QStringLiteral("plan"), {passed(), failed()});
            },
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites>\n"
            "    <testsuite name=\"plan\" tests=\"2\" failures=\"1\" time=\"1.512\">\n"
            "        <testcase classname=\"plan\" name=\"connect\" time=\"0.012\"/>\n"
            "        <testcase classname=\"plan\" name=\"lamps\" time=\"1.500\">\n"
            "            <failure message=\"1 of 2 answered:&#13;&#10;&quot;code 3&quot;\">" +
                eventLines("", "\n").chopped(1) +
                "</failure>\n        </testcase>\n    </testsuite>\n</testsuites>\n");
    }

    // The probe's status and line: a time of 0 ms is a time, one not taken is left out.
    void probeVerdicts_data()
    {
        QTest::addColumn<qint64>("connectMs");
        QTest::addColumn<qint64>("healthMs");
        QTest::addColumn<int>("warnMs"); // -1: none
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("verdict"); // the status's number, then the line
        QTest::newRow("OK in no time") << 0LL << 0LL << -1 << ""
                                       << "0 ZKN OK - link up in 0 ms, health check answered in 0 ms | "
                                          "connect=0ms;;; health=0ms;;;";
        QTest::newRow("WARNING: one answer slower than the limit")
            << 3LL << 21LL << 20 << ""
            << "1 ZKN WARNING - link up in 3 ms, health check answered in 21 ms | connect=3ms;20;; "
               "health=21ms;20;;";
        QTest::newRow("OK at the limit") << 20LL << 20LL << 20 << ""
                                         << "0 ZKN OK - link up in 20 ms, health check answered in 20 ms | "
                                            "connect=20ms;20;; health=20ms;20;;";
        QTest::newRow("CRITICAL before the link stood") << -1LL << -1LL << -1 << "refused"
                                                        << "2 ZKN CRITICAL - refused";
        QTest::newRow("CRITICAL after the connect") << 0LL << -1LL << 5 << "no answer"
                                                    << "2 ZKN CRITICAL - no answer | connect=0ms;5;;";
        // What follows a "|" is read as figures by monitoring; a box's text may quote the PBX's bytes.
        QTest::newRow("CRITICAL with a bar and control characters") << -1LL << -1LL << -1 << "a|b\r\n\u0002c"
                                                                    << "2 ZKN CRITICAL - a/b <02>c";
    }

    void probeVerdicts()
    {
        QFETCH(qint64, connectMs);
        QFETCH(qint64, healthMs);
        QFETCH(int, warnMs);
        QFETCH(QString, failure);
        const ProbeVerdict v =
            probeVerdict({connectMs, healthMs, warnMs < 0 ? std::nullopt : std::optional(warnMs),
                          failure.isEmpty() ? std::nullopt : std::optional(failure)});
        QTEST(QString::number(int(v.status)) + QLatin1Char(' ') + v.line, "verdict");
    }

    void reports()
    {
        QFETCH(std::function<QByteArray()>, report);
        QFETCH(QByteArray, expected);
        QCOMPARE(report(), expected);
    }

    // Over more than a hundred answers the fastest is still the least of them.
    void loadTestFiguresOfManyAnswers()
    {
        zkn::lamp::LoadTestStats stats;
        for (int ms = 200; ms >= 1; --ms) {
            stats.messageSent();
            stats.answered(ms == 7, ms);
        }
        stats.messageSent();
        stats.timedOut();
        stats.messageSent();
        stats.messageSuperseded();
        QStringList figures;
        for (const auto& [name, value] : loadTestFigures(stats))
            figures.append(name + QLatin1Char('=') + QString::number(value));
        QCOMPARE(
            figures.join(QLatin1Char(' ')),
            QStringLiteral("sent=202 answered=200 ok=199 refused=1 unanswered=1 superseded=1 min_answer_ms=1 "
                           "median_answer_ms=100 p95_answer_ms=190 max_answer_ms=200"));
    }

    // The summary names the plan and the link, and for each step its result, figures, records and
    // the events kept, with how many were left out.
    void jsonSummary()
    {
        const QJsonObject top =
            QJsonDocument::fromJson(jsonReport(QStringLiteral("p.json"),
                                               QStringLiteral("lan 10.1.2.3:60020 device 1 odd"), kStart,
                                               kStart.addSecs(2), {passed(), failed()}))
                .object();
        QCOMPARE(top["plan"].toString(), QStringLiteral("p.json"));
        QCOMPARE(top["link"].toString(), QStringLiteral("lan 10.1.2.3:60020 device 1 odd"));
        QCOMPARE(top["started"].toString(), QStringLiteral("2026-12-08T09:30:00.250Z"));
        QCOMPARE(top["ended"].toString(), QStringLiteral("2026-12-08T09:30:02.250Z"));
        const QJsonArray steps = top["steps"].toArray();
        QCOMPARE(steps.size(), 2);
        QCOMPARE(steps[0].toObject(), (QJsonObject{{"step", "connect"},
                                                   {"result", "pass"},
                                                   {"started", "2026-12-08T09:30:00.250Z"},
                                                   {"ms", 12},
                                                   {"message", "connected"},
                                                   {"figures", QJsonObject{{"records", 0}, {"undecoded", 0}}},
                                                   {"records", QJsonArray()},
                                                   {"events", QJsonArray()}}));
        const QJsonObject lamps = steps[1].toObject();
        QCOMPARE(lamps["result"].toString(), QStringLiteral("fail"));
        QCOMPARE(lamps["started"].toString(), QStringLiteral("2026-12-08T09:30:00.262Z"));
        QCOMPARE(lamps["message"].toString(), QStringLiteral("1 of 2 answered:\r\n\"code 3\""));
        QCOMPARE(lamps["figures"].toObject(),
                 (QJsonObject{{"records", 1}, {"undecoded", 0}, {"sent", 2}, {"answered", 1}}));
        QCOMPARE(lamps["records"].toArray(), QJsonArray{"J 1"});
        QVERIFY(!lamps.contains("records_left_out"));
        QCOMPARE(lamps["events_left_out"].toInt(), 2);
        const QJsonArray events = lamps["events"].toArray();
        QCOMPARE(events.size(), 40);
        QCOMPARE(events[20].toObject(),
                 (QJsonObject{{"time", "2026-12-08T09:30:23.250Z"}, {"text", "Critical: box 23"}}));
    }
};

QTEST_GUILESS_MAIN(TestRunReports)
#include "tst_run_reports.moc"
