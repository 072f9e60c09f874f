// SPDX-License-Identifier: GPL-3.0-or-later
// zkn-run's plan reader: what a plan with each kind of mistake is told, file and key named, and
// the link and steps a sound plan gives.
#include "run_plan.h"

#include <QTemporaryDir>
#include <QTest>

using namespace zkn::run;

class TestRunPlan : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void mistakes_data()
    {
        QTest::addColumn<QByteArray>("plan");
        QTest::addColumn<QString>("error"); // after "p.json: "
        const QByteArray connect = R"({"connect": {}})";
        const auto steps = [&](const QByteArray& step) {
            return R"({"steps": [)" + connect + ", " + step + "]}";
        };
        const auto row = [](const char* name, const QByteArray& plan, const char* error) {
            QTest::newRow(name) << plan << QString::fromUtf8(error);
        };
        row("not JSON", "{\"steps\": [", "not JSON at line 1, column 12: unterminated array");
        row("not JSON, on its third line",
            "{\n  \"steps\": [\n    {\"connect\": {}} {\"release\": {}}\n  ]\n}",
            "not JSON at line 3, column 22: missing value separator");
        row("serial settings that are none",
            R"({"link": {"serial": {"port": "/dev/ttyS0", "settings": "fast please"}},
                                                 "steps": []})",
            "link.serial.settings: expected speed,parity,data bits,stop bits, such as 9600,n,8,1");
        row("serial settings with no such parity",
            R"({"link": {"serial": {"port": "p", "settings": "9600,q,8,1"}},
                                                       "steps": []})",
            "link.serial.settings: expected speed,parity,data bits,stop bits, such as 9600,n,8,1");
        row("not an object", "[]", "the plan: expected an object");
        row("no steps", "{}", "the plan: \"steps\" is missing");
        row("an unknown key", R"({"steps": [], "stop": true})",
            "the plan: unknown key \"stop\"; expected link, steps, stop_on_failure");
        row("steps empty", R"({"steps": []})", "steps: expected a list of steps");
        row("stop_on_failure not a boolean", R"({"steps": [{"connect": {}}], "stop_on_failure": 1})",
            "stop_on_failure: expected true or false");
        row("an unknown link", R"({"link": {"modem": {}}, "steps": [{"connect": {}}]})",
            "link: unknown key \"modem\"; expected lan, serial");
        row("a LAN link not an object", R"({"link": {"lan": 5}, "steps": [{"connect": {}}]})",
            "link.lan: expected an object");
        row("a serial link without its port", R"({"link": {"serial": {}}, "steps": [{"connect": {}}]})",
            "link.serial: \"port\" is missing");
        row("no link in the link", R"({"link": {}, "steps": [{"connect": {}}]})",
            "link: expected one of lan, serial");
        row("a parity no link has",
            R"({"link": {"lan": {"host": "h", "parity": "none"}}, "steps": [{"connect": {}}]})",
            "link.lan.parity: expected odd or even");
        row("a host not a text", R"({"link": {"lan": {"host": 7}}, "steps": [{"connect": {}}]})",
            "link.lan.host: expected a text");
        row("an empty host", R"({"link": {"lan": {"host": ""}}, "steps": [{"connect": {}}]})",
            "link.lan.host: expected a text");
        row("two steps in one", R"({"steps": [{"connect": {}, "release": {}}]})",
            "steps[0]: expected one step: connect, lamps, load_test, records, release, resync");
        row("an unknown step", R"({"steps": [{"dial": {}}]})",
            "steps[0]: unknown step \"dial\"; expected connect, lamps, load_test, records, release, resync");
        row("a key connect does not have", R"({"steps": [{"connect": {"within": 5}}]})",
            "steps[0].connect: unknown key \"within\"; expected within_ms");
        row("a step not an object", R"({"steps": [{"connect": 5}]})", "steps[0].connect: expected an object");
        row("an unknown function", steps(R"({"lamps": {"stations": [1], "function": "blink"}})"),
            "steps[1].lamps.function: expected mw-on, mw-off, vmm-on or vmm-off");
        row("lamps by list and range",
            steps(R"({"lamps": {"stations": [1], "first": 1, "function": "mw-on"}})"),
            "steps[1].lamps: expected either \"stations\" or \"first\" and \"last\"");
        row("lamps by neither", steps(R"({"lamps": {"function": "mw-on"}})"),
            "steps[1].lamps: expected either \"stations\" or \"first\" and \"last\"");
        row("a station list holding a text",
            steps(R"({"lamps": {"stations": [1, "2"], "function": "mw-on"}})"),
            "steps[1].lamps.stations.station: expected a whole number from 0 to 2147483647");
        row("an empty station list", steps(R"({"lamps": {"stations": [], "function": "mw-on"}})"),
            "steps[1].lamps.stations: expected a list of station numbers");
        // One station is a range; one that ends below its start is not.
        row("a range of lamps backwards",
            R"({"steps": [{"lamps": {"first": 5, "last": 5, "function": "mw-on"}},
                          {"lamps": {"first": 6, "last": 5, "function": "mw-on"}}]})",
            "steps[1].lamps.last: expected a station not below \"first\"");
        // The load test's own bound: a delay it cannot take is a plan error, not a crash.
        row("a delay over a minute",
            steps(R"({"load_test": {"first": 1, "last": 2, "delay_ms": 60001, "messages": 1}})"),
            "steps[1].load_test.delay_ms: expected a whole number from 1 to 60000");
        row("a delay in fractions",
            steps(R"({"load_test": {"first": 1, "last": 2, "delay_ms": 2.5, "messages": 1}})"),
            "steps[1].load_test.delay_ms: expected a whole number from 1 to 60000");
        for (const char* bound : {"first", "last"})
            row(QByteArray("a load test by file and range: ").append(bound),
                steps(R"({"load_test": {"stations_file": "s.txt", ")" + QByteArray(bound) +
                      R"(": 0, "messages": 1}})"),
                "steps[1].load_test: expected either \"first\" and \"last\" or \"stations_file\"");
        row("a resynchronisation with a key of another step", steps(R"({"resync": {"messages": 1}})"),
            "steps[1].resync: unknown key \"messages\"; expected all_off, within_ms, max_unanswered, "
            "max_refused, "
            "max_timeouts, max_negative");
        row("a limit under its name and its older one",
            steps(
                R"({"load_test": {"first": 1, "last": 2, "messages": 1, "max_refused": 0, "max_negative": 1}})"),
            "steps[1].load_test: \"max_refused\" and \"max_negative\" are one limit; expected only "
            "\"max_refused\"");
        row("a load test backwards", steps(R"({"load_test": {"first": 2, "last": 1, "messages": 1}})"),
            "steps[1].load_test.last: expected a station not below \"first\"");
        row("a load test bounded twice",
            steps(R"({"load_test": {"first": 1, "last": 2, "messages": 1, "for_ms": 5}})"),
            "steps[1].load_test: expected either \"messages\" or \"for_ms\"");
        row("a load test unbounded", steps(R"({"load_test": {"first": 1, "last": 2}})"),
            "steps[1].load_test: expected either \"messages\" or \"for_ms\"");
        row("a stations file not there",
            steps(R"({"load_test": {"stations_file": "none.txt", "messages": 1}})"),
            "steps[1].load_test.stations_file: none.txt: No such file or directory");
        row("a stations file without a station",
            steps(R"({"load_test": {"stations_file": "empty.txt", "messages": 1}})"),
            "steps[1].load_test.stations_file: empty.txt names no station; expected one station number per "
            "line");
    }

    // A stations file is found beside the plan; the folder is left out of the texts compared.
    void mistakes()
    {
        QFETCH(QByteArray, plan);
        QFETCH(QString, error);
        QTemporaryDir dir;
        QFile noStation(dir.filePath(QStringLiteral("empty.txt")));
        QVERIFY(noStation.open(QIODevice::WriteOnly) && noStation.write("x\n") == 2);
        noStation.close();
        const auto read = readPlan(plan, dir.filePath(QStringLiteral("p.json")));
        QVERIFY(std::holds_alternative<QString>(read));
        QCOMPARE(QString(std::get<QString>(read)).remove(dir.path() + QLatin1Char('/')),
                 QStringLiteral("p.json: ") + error);
    }

    // The link as the reports name it, its defaults filled in, and the steps in order.
    void soundPlans_data()
    {
        QTest::addColumn<QByteArray>("plan");
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("steps");
        QTest::newRow("stored link") << QByteArray(R"({"steps": [{"connect": {}}, {"release": {}}]})")
                                     << "stored"
                                     << "connect release";
        QTest::newRow("LAN, defaults")
            << QByteArray(
                   R"({"link": {"lan": {"host": "10.1.2.3"}}, "steps": [{"records": {"for_ms": 5, "at_least": 0}}]})")
            << "lan 10.1.2.3:60020 device 0 odd"
            << "records";
        QTest::newRow("LAN, all given")
            << QByteArray(R"({"link": {"lan": {"host": "h", "port": 5000, "device": 9, "parity": "even"}},
                             "steps": [{"lamps": {"first": 1, "last": 1, "function": "vmm-off"}}, {"resync": {}}]})")
            << "lan h:5000 device 9 even"
            << "lamps resync";
        QTest::newRow("serial")
            << QByteArray(R"({"link": {"serial": {"port": "/dev/ttyUSB0", "settings": "19200,e,7,1"}},
                                              "steps": [{"load_test": {"first": 0, "last": 0, "for_ms": 1, "max_answer_ms": 0}}]})")
            << "serial /dev/ttyUSB0 19200,e,7,1"
            << "load_test";
    }

    void soundPlans()
    {
        QFETCH(QByteArray, plan);
        const auto read = readPlan(plan, QStringLiteral("p.json"));
        if (const auto* error = std::get_if<QString>(&read))
            QFAIL(qPrintable(*error));
        QStringList steps;
        for (const Step& step : std::get<Plan>(read).steps)
            steps.append(stepName(step.kind));
        QTEST(linkText(std::get<Plan>(read).link), "link");
        QTEST(steps.join(' '), "steps");
    }
};

QTEST_GUILESS_MAIN(TestRunPlan)
#include "tst_run_plan.moc"
