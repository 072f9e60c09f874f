// SPDX-License-Identifier: GPL-3.0-or-later
// zkn-run as a technician and a monitoring system run it, against zkn-pbxsim over TCP: plans,
// their exit status, the lines on stderr and the JUnit file; the probe's line and its statuses.
#include "simulator_process.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {

struct Simulator : SimulatorProcess
{
    explicit Simulator(const QStringList& args) : SimulatorProcess(QStringLiteral(ZKN_PBXSIM_PATH), args) {}
};

} // namespace

class TestZknRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void plans_data()
    {
        QTest::addColumn<QStringList>("simulator"); // its options; "none": no PBX at all
        QTest::addColumn<QString>("steps");         // the plan's steps, %1 the link
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("stderr");
        QTest::addColumn<QString>("junit");      // each testcase's name, " (failed)" after a failure
        QTest::addColumn<int>("sigtermAfterMs"); // 0: none
        QTest::addColumn<QString>("event");      // a box of the last step, "title: text"; empty: none checked
        const QString all = QStringLiteral(
            R"([{"connect": {"within_ms": 5000}}, {"lamps": {"stations": [1000, 1001], "function": "mw-on"}},
                {"lamps": {"first": 1000, "last": 1009, "function": "vmm-off"}},
                {"load_test": {"first": 1000, "last": 1002, "delay_ms": 20, "messages": 3, "max_timeouts": 0}},
                {"records": {"for_ms": 5000, "at_least": 2}}, {"release": {"within_ms": 3000}}])");
        QTest::newRow("every step kind passes")
            << QStringList{"--records", "5", "--record-interval", "200"} << all << 0
            << "^PASS connect \\d+ ms\nPASS lamps \\d+ ms\nPASS lamps \\d+ ms\nPASS load_test \\d+ ms\nPASS "
               "records \\d+ ms\nPASS release \\d+ ms\n$"
            << "connect lamps lamps load_test records release" << 0 << "";
        // A failed step does not stop the plan, unless asked; the link is released all the same.
        const QString fewRecords = QStringLiteral(
            R"([{"connect": {}}, {"records": {"for_ms": 300, "at_least": 1}}, {"release": {}}]%1)");
        QTest::newRow("a step fails, the plan goes on")
            << QStringList() << fewRecords.arg("") << 1
            << "^PASS connect \\d+ ms\nFAIL records 0 records in 300 ms, 1 expected\nPASS release \\d+ ms\n$"
            << "connect records (failed) release" << 0 << "";
        // A report gives the first and the last 20 records of a step, and how many lay between.
        QTest::newRow("43 records: 40 given, 3 counted")
            << QStringList{"--records", "45", "--record-interval", "10"}
            << QStringLiteral(
                   R"([{"connect": {}}, {"records": {"for_ms": 8000, "at_least": 43}}, {"release": {}}])")
            << 0 << "^PASS connect \\d+ ms\nPASS records \\d+ ms\nPASS release \\d+ ms\n$"
            << "connect records release" << 0 << "";
        QTest::newRow("a step fails, the plan stops")
            << QStringList() << fewRecords.arg(R"(, "stop_on_failure": true)") << 1
            << "^PASS connect \\d+ ms\nFAIL records 0 records in 300 ms, 1 expected\n$"
            << "connect records (failed)" << 0 << "";
        // The steps after are listed as skipped, in every report.
        QTest::newRow("refused: nothing tested") << QStringList{"--refuse", "4"} << all << 3
                                                 << "^FAIL connect refused: \\*\\* DEVICE ALREADY IN USE "
                                                    "\\*\\*\n(SKIP \\w+ the link never came up\n){5}$"
                                                 << "connect (failed) lamps (skipped) lamps (skipped) "
                                                    "load_test (skipped) records (skipped) release (skipped)"
                                                 << 0 << "";
        QTest::newRow("no PBX: nothing tested")
            << QStringList{"none"} << QStringLiteral(R"([{"connect": {}}])") << 3
            << "^FAIL connect 127\\.0\\.0\\.1:9 refused the connection\n$"
            << "connect (failed)" << 0 << "";
        QTest::newRow("a typo: the file and the key named")
            << QStringList{"none"}
            << QStringLiteral(R"([{"connect": {}}, {"lamps": {"stations": [1], "fuction": "mw-on"}}])") << 2
            << "^zkn-run: .*plan.json: steps\\[1\\].lamps: unknown key \"fuction\"; expected stations, "
               "first, last, function\n"
            << "" << 0 << "";
        QTest::newRow("connect twice: the link stands already")
            << QStringList() << QStringLiteral(R"([{"connect": {}}, {"connect": {}}, {"release": {}}])") << 0
            << "^PASS connect \\d+ ms\nPASS connect \\d+ ms\nPASS release \\d+ ms\n$"
            << "connect connect release" << 0 << "";
        QTest::newRow("the PBX resets the connection at the connect request")
            << QStringList{"--reset-after", "1"} << QStringLiteral(R"([{"connect": {"within_ms": 5000}}])")
            << 3 << "^FAIL connect [^\n]+\n$"
            << "connect (failed)" << 0 << "";
        QTest::newRow("a release without a link")
            << QStringList{"none"} << QStringLiteral(R"([{"release": {}}])") << 3
            << "^FAIL release no link to release\n$"
            << "release (failed)" << 0 << "";
        QTest::newRow("a lamp answered with another code")
            << QStringList{"--lamp-code", "1001,1005-1009:3"}
            << QStringLiteral(
                   R"([{"connect": {}}, {"lamps": {"stations": [1000, 1001], "function": "mw-on"}}])")
            << 1
            << "^PASS connect \\d+ ms\nFAIL lamps 2 sent, 2 answered: 1 ok, 1 refused; 1001: code 3 \\*\\* "
               "INCORRECT TEXT RECV.d \\*\\*\n$"
            << "connect lamps (failed)" << 0 << "";
        // A lamp left unanswered fails after the lamp answer time, shortened for the test.
        QTest::newRow("a lamp left unanswered")
            << QStringList{"--mute-lamps", "1001"}
            << QStringLiteral(
                   R"([{"connect": {}}, {"lamps": {"stations": [1000, 1001], "function": "mw-on"}}])")
            << 1
            << "^PASS connect \\d+ ms\nFAIL lamps 2 sent, 1 answered: 1 ok, 1 unanswered; 1001: unanswered\n$"
            << "connect lamps (failed)" << 0 << "^.*: PBX did not respond to Lamp Control\\.$";
        // On the serial line a lamp message passes when it went out, the port closed is the release.
        QTest::newRow("serial line over a pty")
            << QStringList{"--pty", "--records", "5", "--record-interval", "200"} << all << 0
            << "^PASS connect \\d+ ms\nPASS lamps \\d+ ms\nPASS lamps \\d+ ms\nPASS load_test \\d+ ms\nPASS "
               "records \\d+ ms\nPASS release \\d+ ms\n$"
            << "connect lamps lamps load_test records release" << 0 << "";
        QTest::newRow("one record over a pty")
            << QStringList{"--pty", "--records", "1", "--record-interval", "100"}
            << fewRecords.arg("").replace("300", "1000").replace("\"at_least\": 1", "\"at_least\": 2") << 1
            << "^PASS connect \\d+ ms\nFAIL records 1 record in 1000 ms, 2 expected\nPASS release \\d+ ms\n$"
            << "connect records (failed) release" << 0 << "";
        // Every record is decoded as the breakdown window decodes it: OLV records on a KRA link are not.
        QTest::newRow("a record the decoder cannot read")
            << QStringList{"--layout", "olv6", "--records", "2", "--record-interval", "100"}
            << fewRecords.arg("").replace("300", "3000") << 1
            << "^PASS connect \\d+ ms\nFAIL records a record could not be decoded: Error: Error # 9 .*\nPASS "
               "release"
            << "connect records (failed) release" << 0 << "";
        // The tool's own load test, its switch-off sweep counted, against the plan's limits; the
        // second over a stations file (1003), its sweep too, its limit under the name older plans gave it.
        QTest::newRow("load tests within and over their limits")
            << QStringList{"--lamp-code", "1003:3"} << QStringLiteral(R"([{"connect": {}},
                {"load_test": {"first": 1000, "last": 1002, "delay_ms": 20, "messages": 6, "max_refused": 0,
                               "max_unanswered": 0, "max_answer_ms": 1000}},
                {"load_test": {"stations_file": "stations.txt", "delay_ms": 20, "messages": 2, "max_negative": 0}}])")
            << 1
            << "^PASS connect \\d+ ms\nPASS load_test \\d+ ms\nFAIL load_test 3 refused, at most 0 allowed "
               "\\(3 sent, 3 answered: 0 ok, 3 refused, 0 unanswered; answer time median \\d+ ms, p95 \\d+ "
               "ms, max \\d+ ms\\)\n$"
            << "connect load_test load_test (failed)" << 0 << "";
        // The ledger an earlier run kept (2000 VMM on) and the lamps of this one, sent again after
        // the PBX forgot them; a lamp left unanswered fails the step.
        QTest::newRow("lamps a PBX forgot put back")
            << QStringList{"--forget-lamps-after", "3"}
            << QStringLiteral(R"([{"connect": {}}, {"lamps": {"stations": [1000, 1001], "function": "mw-on"}},
                                  {"resync": {}}, {"release": {}}])")
            << 0 << "^PASS connect \\d+ ms\nPASS lamps \\d+ ms\nPASS resync \\d+ ms\nPASS release \\d+ ms\n$"
            << "connect lamps resync release" << 0 << "";
        QTest::newRow("a lamp unanswered when sent again")
            << QStringList{"--mute-lamps", "2000"} << QStringLiteral(R"([{"connect": {}}, {"resync": {}}])")
            << 1
            << "^PASS connect \\d+ ms\nFAIL resync 1 unanswered, at most 0 allowed \\(Resynchronisation: 1 "
               "sent, 0 "
               "answered: 0 ok, 0 refused, 1 unanswered\\)\n$"
            << "connect resync (failed)" << 0 << "";
        // A refusal fails a resynchronisation that allows none, as it allows by default.
        QTest::newRow("a lamp refused when sent again")
            << QStringList{"--lamp-code", "2000:3"} << QStringLiteral(R"([{"connect": {}}, {"resync": {}}])")
            << 1
            << "^PASS connect \\d+ ms\nFAIL resync 1 refused, at most 0 allowed \\(Resynchronisation: 1 "
               "sent, 1 "
               "answered: 0 ok, 1 refused, 0 unanswered"
            << "connect resync (failed)" << 0 << "";
        // Ctrl-C or SIGTERM ends the running step, releases the link and writes the reports.
        QTest::newRow("interrupted") << QStringList() << fewRecords.arg("").replace("300", "60000") << 130
                                     << "^PASS connect \\d+ ms\nFAIL records interrupted\n$"
                                     << "connect records (failed)" << 500 << "";
    }

    void plans()
    {
        QFETCH(QStringList, simulator);
        QFETCH(QString, steps);
        QTemporaryDir dir;
        std::optional<Simulator> pbx;
        quint16 port = 9; // nothing listens there: the connection is refused
        if (simulator != QStringList{"none"}) {
            pbx.emplace(simulator);
            QVERIFY(pbx->port != 0 || !pbx->pty.isEmpty());
            port = pbx->port;
        }
        const QString link =
            pbx && !pbx->pty.isEmpty()
                ? QStringLiteral(R"({"serial": {"port": "%1", "settings": "9600,n,8,1"}})").arg(pbx->pty)
                : QStringLiteral(R"({"lan": {"host": "127.0.0.1", "port": %1, "device": 1}})").arg(port);
        const QString planPath = dir.filePath(QStringLiteral("plan.json"));
        QFile plan(planPath);
        QVERIFY(plan.open(QIODevice::WriteOnly));
        plan.write(QStringLiteral(R"({"link": %1, "steps": %2})").arg(link, steps).toUtf8());
        plan.close();
        QFile ledger(dir.filePath(QStringLiteral("ledger.json")));
        QVERIFY(ledger.open(QIODevice::WriteOnly));
        ledger.write(
            R"({"version":1,"stations":{"2000":{"vmm":{"on":true,"asked":"2026-12-08T09:30:00.000Z",)"
            R"("outcome":"confirmed","code":0}}}})");
        ledger.close();
        QFile stations(dir.filePath(QStringLiteral("stations.txt")));
        QVERIFY(stations.open(QIODevice::WriteOnly));
        stations.write("1003\n");
        stations.close();

        QProcess run;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ZKN_RUN_LAMP_ANSWER_MS"), QStringLiteral("300"));
        run.setProcessEnvironment(env);
        const QString junitPath = dir.filePath(QStringLiteral("junit.xml"));
        const QString jsonPath = dir.filePath(QStringLiteral("summary.json"));
        const QString csvPath = dir.filePath(QStringLiteral("load-tests.csv"));
        run.start(QStringLiteral(ZKN_RUN_PATH), {planPath, "--junit", junitPath, "--json", jsonPath, "--tap",
                                                 "--csv", csvPath, "--ledger", ledger.fileName()});
        QFETCH(int, sigtermAfterMs);
        if (sigtermAfterMs > 0) {
            QVERIFY(run.waitForStarted());
            QTest::qWait(sigtermAfterMs);
            run.terminate();
        }
        QVERIFY(run.waitForFinished(20000));
        const QString err = QString::fromUtf8(run.readAllStandardError());
        QFETCH(int, status);
        QVERIFY2(run.exitCode() == status, qPrintable(err));
        QFETCH(QString, stderr);
        QVERIFY2(QRegularExpression(stderr).match(err).hasMatch(), qPrintable(err));

        // The ledger is written back whole, with what became of the lamps sent again.
        QVERIFY(ledger.open(QIODevice::ReadOnly));
        const QJsonObject kept = QJsonDocument::fromJson(ledger.readAll()).object();
        ledger.close();
        QVERIFY(kept.value("stations").toObject().contains("2000"));
        // Each lamps step sets the lamp its function names (the load test's sweep turns VMM off).
        if (status == 0 && steps.contains("mw-on") && steps.contains("vmm-off")) {
            const QJsonObject stations = kept["stations"].toObject();
            QCOMPARE(stations["1000"]["mw"]["on"], QJsonValue(true));
            QCOMPARE(stations["1005"].toObject().keys(), QStringList{"vmm"});
            QCOMPARE(stations["1005"]["vmm"]["on"], QJsonValue(false));
        }
        if (steps.contains("resync"))
            QCOMPARE(kept["stations"]["2000"]["vmm"]["outcome"].toString(),
                     simulator.contains("--mute-lamps")  ? QStringLiteral("unanswered")
                     : simulator.contains("--lamp-code") ? QStringLiteral("refused")
                                                         : QStringLiteral("confirmed"));

        QFETCH(QString, junit);
        QFile report(junitPath);
        QCOMPARE(report.exists(), !junit.isEmpty());
        if (junit.isEmpty())
            return;
        QVERIFY(report.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&report);
        QStringList cases;
        QVERIFY(xml.readNextStartElement() && xml.name() == QLatin1String("testsuites"));
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == QLatin1String("testcase"))
                cases.append(xml.attributes().value(QLatin1String("name")).toString());
            else if (xml.isStartElement() && xml.name() == QLatin1String("failure"))
                cases.last() += QStringLiteral(" (failed)");
            else if (xml.isStartElement() && xml.name() == QLatin1String("skipped"))
                cases.last() += QStringLiteral(" (skipped)");
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(cases.join(' '), junit);

        // TAP and the JSON summary say the same of each step.
        QStringList tap{QStringLiteral("TAP version 14")}, summary;
        for (int i = 0; i < cases.size(); ++i)
            tap.append(QStringLiteral("%1 %2 - %3 # ")
                           .arg(cases[i].endsWith("(failed)") ? "not ok" : "ok")
                           .arg(i + 1)
                           .arg(cases[i].section(' ', 0, 0)));
        tap.append(QStringLiteral("1..%1").arg(cases.size()));
        QStringList tapSeen;
        for (const QByteArray& l : run.readAllStandardOutput().split('\n'))
            if (!l.startsWith(' ') && !l.isEmpty())
                tapSeen.append(QString::fromUtf8(l).section(QStringLiteral("# "), 0, 0) +
                               (l.contains('#') ? "# " : ""));
        QCOMPARE(tapSeen, tap);
        QFile json(jsonPath);
        QVERIFY(json.open(QIODevice::ReadOnly));
        const QJsonObject top = QJsonDocument::fromJson(json.readAll()).object();
        QCOMPARE(top.value("link").toString(),
                 pbx && !pbx->pty.isEmpty() ? QStringLiteral("serial %1 9600,n,8,1").arg(pbx->pty)
                                            : QStringLiteral("lan 127.0.0.1:%1 device 1 odd").arg(port));
        for (const QJsonValue& step : top.value("steps").toArray()) {
            summary.append(step["step"].toString() + (step["result"] == "fail"   ? " (failed)"
                                                      : step["result"] == "skip" ? " (skipped)"
                                                                                 : ""));
            const int records = step["figures"]["records"].toInt();
            QCOMPARE(step["records"].toArray().size(), std::min(records, 40));
            QCOMPARE(step["records_left_out"].toInt(), std::max(0, records - 40));
        }
        QCOMPARE(summary.join(' '), junit);
        // The CSV has a row for every message of the load tests, their sweeps' among them.
        int sent = 0;
        for (const QJsonValue& step : top.value("steps").toArray())
            if (step["step"] == "load_test")
                sent += step["figures"]["sent"].toInt();
        QFile csv(csvPath);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QList<QByteArray> rows = csv.readAll().split('\n');
        QCOMPARE(rows.first(),
                 QByteArray("time_sent,station,function,sequence,code,answer_ms,timed_out,superseded\r"));
        QCOMPARE(rows.size() - 2, sent); // the header, and nothing after the last line end
        QFETCH(QString, event);
        if (!event.isEmpty()) {
            QStringList lastEvents;
            for (const QJsonValue& e : top.value("steps").toArray().last()["events"].toArray())
                lastEvents.append(e["text"].toString());
            QVERIFY2(!lastEvents.filter(QRegularExpression(event)).isEmpty(),
                     qPrintable(lastEvents.join('\n')));
        }
    }

    void probe_data()
    {
        QTest::addColumn<QStringList>("simulator"); // "none": no PBX at all
        QTest::addColumn<QStringList>("options");   // after --probe 127.0.0.1 --port N
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("line"); // on stdout
        const QString figures = QStringLiteral(" \\| connect=\\d+ms;%1;; health=\\d+ms;%1;;\n$");
        QTest::newRow("OK") << QStringList() << QStringList{"--device", "1"} << 0
                            << "^ZKN OK - link up in \\d+ ms, health check answered in \\d+ ms" +
                                   figures.arg("");
        QTest::newRow("WARNING: slower than --warn")
            << QStringList() << QStringList{"--device", "1", "--warn", "0"} << 1
            << "^ZKN WARNING - link up in \\d+ ms, health check answered in \\d+ ms" + figures.arg("0");
        QTest::newRow("CRITICAL: refused")
            << QStringList{"--refuse", "4"} << QStringList() << 2
            << "^ZKN CRITICAL - refused with code 4: \\*\\* DEVICE ALREADY IN USE \\*\\*\n$";
        QTest::newRow("CRITICAL: the health check unanswered")
            << QStringList{"--mute-health", "0"} << QStringList{"--timeout", "300"} << 2
            << "^ZKN CRITICAL - no answer to the health check within 300 ms \\| connect=\\d+ms;;;\n$";
        QTest::newRow("CRITICAL: no PBX") << QStringList{"none"} << QStringList() << 2
                                          << "^ZKN CRITICAL - 127\\.0\\.0\\.1:9 refused the connection\n$";
        QTest::newRow("UNKNOWN: a wrong option")
            << QStringList{"none"} << QStringList{"--parity", "mark"} << 3 << "^$";
    }

    void probe()
    {
        QFETCH(QStringList, simulator);
        QFETCH(QStringList, options);
        std::optional<Simulator> pbx;
        quint16 port = 9;
        if (simulator != QStringList{"none"}) {
            pbx.emplace(simulator);
            QVERIFY(pbx->port != 0);
            port = pbx->port;
        }
        QProcess run;
        run.start(QStringLiteral(ZKN_RUN_PATH),
                  QStringList{"--probe", "127.0.0.1", "--port", QString::number(port)} + options);
        QVERIFY(run.waitForFinished(20000));
        const QString out = QString::fromUtf8(run.readAllStandardOutput());
        QFETCH(int, status);
        QVERIFY2(run.exitCode() == status, qPrintable(out + QString::fromUtf8(run.readAllStandardError())));
        QFETCH(QString, line);
        QVERIFY2(QRegularExpression(line).match(out).hasMatch(), qPrintable(out));
    }
};

QTEST_GUILESS_MAIN(TestZknRun)
#include "tst_zkn_run.moc"
