// SPDX-License-Identifier: GPL-3.0-or-later
// The lamp ledger: what each message and its answer leave in it, the stations of a range, and the
// ledger and the lamp map as files, read back or refused with the line that is wrong.
#include "lamp/lamp_ledger.h"
#include "lamp/lamp_ledger_file.h"
#include "lamp/single_station_request.h"
#include "ledger_text.h"

#include <QTest>

using namespace zkn;
using namespace zkn::lamp;
using namespace Qt::StringLiterals;

namespace {

const QDateTime kAt(QDate(2026, 12, 8), QTime(9, 30), Qt::UTC);

LampFunction function(const QString& name)
{
    return name == "mw-on"_L1    ? LampFunction::MwOn
           : name == "mw-off"_L1 ? LampFunction::MwOff
           : name == "vmm-on"_L1 ? LampFunction::VmmOn
                                 : LampFunction::VmmOff;
}

} // namespace

class TestLampLedger : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Steps: tcp:FROM[-TO]:function or serial:..., answer:code, timeout, lost.
    void updates_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("ledger");
        QTest::newRow("confirmed") << "tcp:1000:mw-on | answer:0"
                                   << "1000 mw:on/confirmed/0";
        QTest::newRow("refused with its code") << "tcp:1000:vmm-off | answer:3"
                                               << "1000 vmm:off/refused/3";
        QTest::newRow("awaited until the answer") << "tcp:1000:mw-on"
                                                  << "1000 mw:on/awaiting";
        QTest::newRow("timed out") << "tcp:1000:mw-on | timeout"
                                   << "1000 mw:on/unanswered";
        QTest::newRow("a late answer still settles it") << "tcp:1000:mw-on | timeout | answer:0"
                                                        << "1000 mw:on/confirmed/0";
        QTest::newRow("the connection ended: no answer can settle it") << "tcp:1000:mw-on | lost | answer:0"
                                                                       << "1000 mw:on/unanswered";
        QTest::newRow("an answer settles its message for good")
            << "tcp:1000:mw-on | answer:0 | answer:3 | tcp:1001:mw-on | answer:3"
            << "1000 mw:on/confirmed/0; 1001 mw:on/refused/3";
        QTest::newRow("a new message leaves the one before unanswered")
            << "tcp:1000:vmm-on | tcp:1001:vmm-on | answer:0"
            << "1000 vmm:on/unanswered; 1001 vmm:on/confirmed/0";
        QTest::newRow("a range switches each station, in the width of the first")
            << "tcp:0099-0101:mw-off | answer:0"
            << "0099 mw:off/confirmed/0; 0100 mw:off/confirmed/0; 0101 mw:off/confirmed/0";
        QTest::newRow("the other lamp is kept") << "tcp:1000:mw-on | answer:0 | tcp:1000:vmm-on | timeout"
                                                << "1000 mw:on/confirmed/0 vmm:on/unanswered";
        QTest::newRow("the load test's sweep leaves its lamps off")
            << "tcp:1000:vmm-on | answer:0 | tcp:1001:vmm-on | answer:5 | tcp:1000:vmm-off | answer:0 | "
               "tcp:1001:vmm-off | timeout"
            << "1000 vmm:off/confirmed/0; 1001 vmm:off/unanswered";
        QTest::newRow("serial: no answer comes, and none is taken")
            << "serial:1000:mw-on | serial:1000:vmm-on | answer:0"
            << "1000 mw:on/no-answer vmm:on/no-answer";
        QTest::newRow("a serial message after one awaited over TCP ends its wait")
            << "tcp:1000:mw-on | serial:1001:mw-on | answer:0"
            << "1000 mw:on/unanswered; 1001 mw:on/no-answer";
    }
    void updates()
    {
        QFETCH(QString, steps);
        LampLedger ledger;
        for (const QString& step : steps.split(u" | "_s)) {
            const QStringList part = step.split(u':');
            if (part[0] == "answer"_L1) {
                ledger.answered(part[1].toInt());
            } else if (part[0] == "timeout"_L1) {
                ledger.timedOut();
            } else if (part[0] == "lost"_L1) {
                ledger.answerLost();
            } else {
                const QStringList range = part[1].split(u'-');
                ledger.asked(lamp::rangeStations(range[0].toLatin1(), range.value(1).toLatin1()),
                             function(part[2]), kAt, part[0] == "tcp"_L1);
            }
        }
        QTEST(zkn::test::ledgerText(ledger.stations()), "ledger");
    }

    // What the ledger window says became of a lamp.
    void outcomeTexts()
    {
        const auto text = [](LampOutcome outcome, int code = -1) {
            return outcomeText({true, QDateTime(), outcome, code});
        };
        QCOMPARE(text(LampOutcome::Awaiting), QStringLiteral("awaiting the answer"));
        QCOMPARE(text(LampOutcome::Confirmed, 0), QStringLiteral("confirmed"));
        QCOMPARE(text(LampOutcome::Refused, 3), QStringLiteral("code 3 ** INCORRECT TEXT RECV'd **"));
        QCOMPARE(text(LampOutcome::Unanswered), QStringLiteral("no answer"));
        QCOMPARE(text(LampOutcome::NoAnswerComes), QStringLiteral("sent; no answers on the serial line"));
        QCOMPARE(text(LampOutcome::NotSent), QStringLiteral("not sent yet"));
    }

    void rangeStations_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<int>("count");
        QTest::addColumn<QByteArray>("last");
        QTest::newRow("one station") << "1000"_ba
                                     << ""_ba << 1 << "1000"_ba;
        QTest::newRow("one station that is no number") << "#12"_ba
                                                       << ""_ba << 1 << "#12"_ba;
        QTest::newRow("the largest range") << "0"_ba
                                           << "9999"_ba << 10000 << "9999"_ba;
        QTest::newRow("one more is refused") << "0"_ba
                                             << "10000"_ba << 0 << ""_ba;
        QTest::newRow("backwards") << "1005"_ba
                                   << "1000"_ba << 0 << ""_ba;
        QTest::newRow("not numbers") << "10a"_ba
                                     << "1005"_ba << 0 << ""_ba;
        QTest::newRow("ending at the largest number")
            << "18446744073709551614"_ba
            << "18446744073709551615"_ba << 2 << "18446744073709551615"_ba;
    }
    void rangeStations()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        const QList<QByteArray> stations = lamp::rangeStations(from, to);
        QTEST(int(stations.size()), "count");
        QTEST(stations.value(stations.size() - 1), "last");
    }

    // The dialog's range before anything is sent: reversed, or how many stations.
    void stationRanges_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<QString>("range");
        for (const auto& [name, from, to, range] :
             {std::tuple{"reversed", "2000", "1999", "reversed"},
              {"From = To", "1000", "1000", "1"},
              {"To one blank", "1000", " ", "1"},
              {"To empty", "1000", "", "1"},
              {"upwards", "0998", "1098", "101"},
              {"with # not compared", "12#", "10", "1"},
              {"with * not compared", "20", "1*", "1"},
              {"every number", "0", "18446744073709551615", "18446744073709551615"}})
            QTest::newRow(name) << QByteArray(from) << QByteArray(to) << QString::fromLatin1(range);
    }
    void stationRanges()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        const lamp::StationRange r =
            lamp::stationRange({from, to, lamp::LampAction::On, lamp::LampAction::NoChange});
        QTEST(r.reversed ? QStringLiteral("reversed") : QString::number(r.stations), "range");
    }

    // Written and read back whole, every outcome among them.
    void ledgerFileRoundTrip()
    {
        LampMap stations;
        stations["1000"].mw = LampEntry{true, kAt, LampOutcome::Confirmed, 0};
        stations["1000"].vmm = LampEntry{false, kAt.addSecs(1), LampOutcome::Refused, 3};
        stations["1001"].vmm = LampEntry{true, kAt, LampOutcome::Awaiting};
        stations["1002"].mw = LampEntry{true, kAt, LampOutcome::Unanswered};
        stations["1003"].mw = LampEntry{false, kAt, LampOutcome::NoAnswerComes};
        stations["1004"].vmm = LampEntry{false, kAt, LampOutcome::NotSent};
        stations["1234567890"].mw = LampEntry{true, kAt, LampOutcome::Confirmed, 0}; // the longest number
        const auto read = readLedgerJson(ledgerJson(stations));
        QVERIFY(std::holds_alternative<LampMap>(read));
        QCOMPARE(std::get<LampMap>(read), stations);
    }

    void ledgerFileRefused_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("why");
        QTest::newRow("cut short") << R"({"version":1,"stations":{"1000":)"_ba
                                   << "not JSON: unterminated object at byte 32";
        QTest::newRow("another version") << R"({"version":2,"stations":{}})"_ba
                                         << "not a lamp ledger of version 1";
        QTest::newRow("a lamp without its outcome")
            << R"({"version":1,"stations":{"1000":{"mw":{"on":true,"asked":"2026-12-08T09:30:00.000Z"}}}})"_ba
            << "station 1000: its mw lamp is not readable";
        // Its names reach the lamp frames: they are station numbers, as an imported map's.
        QTest::newRow("a name that is no number")
            << R"({"version":1,"stations":{"10\u00010":{}}})"_ba
            << "\"10\u00010\" is not a station number of 1 to 10 digits";
        QTest::newRow("a name of eleven digits")
            << R"({"version":1,"stations":{"12345678901":{}}})"_ba
            << "\"12345678901\" is not a station number of 1 to 10 digits";
        QTest::newRow("a name of a thousand digits")
            << QByteArray(R"({"version":1,"stations":{")" + QByteArray(1000, '7') + R"(":{}}})")
            << "\"77777777777...\" is not a station number of 1 to 10 digits";
    }
    void ledgerFileRefused()
    {
        QFETCH(QByteArray, json);
        const auto read = readLedgerJson(json);
        QVERIFY(std::holds_alternative<QString>(read));
        QTEST(std::get<QString>(read), "why");
    }

    void lampMapExport()
    {
        LampMap stations;
        stations["1000"].mw = LampEntry{true, kAt, LampOutcome::Confirmed, 0};
        stations["1000"].vmm = LampEntry{false, kAt, LampOutcome::Refused, 3};
        stations["1001"].vmm = LampEntry{true, kAt, LampOutcome::Unanswered};
        stations["1,2"].mw = LampEntry{false, kAt, LampOutcome::NoAnswerComes};
        QCOMPARE(lampMapCsv(stations), "station,MW,VMM\r\n\"1,2\",off,\r\n1000,on,off\r\n1001,,on\r\n"_ba);
    }

    void lampMapImport_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("result");
        QTest::newRow("with its header, quoted, LF or CR LF")
            << "station,MW,VMM\r\n1000,on,off\n\"1001\",,ON\r\n0042,1,\r\n"_ba
            << "0042 mw:on/not-sent; 1000 mw:on/not-sent vmm:off/not-sent; 1001 vmm:on/not-sent";
        QTest::newRow("without a header") << "1000,off,0"_ba
                                          << "1000 mw:off/not-sent vmm:off/not-sent";
        QTest::newRow("too few fields") << "station,MW,VMM\r\n1000,on,off\r\n1001,on\r\n"_ba
                                        << "line 3: 2 fields; a line is station,MW,VMM";
        QTest::newRow("a bad state") << "1000,on,blink\r\n"_ba
                                     << "line 1: a lamp's state is \"blink\"; it is on, off or empty";
        QTest::newRow("not a station") << "1000,on,\r\n10 0,on,\r\n"_ba
                                       << "line 2: \"10 0\" is not a station number of 1 to 10 digits";
        QTest::newRow("a station twice") << "1000,on,\r\n1000,,on\r\n"_ba
                                         << "line 2: station 1000 is given twice";
        QTest::newRow("no state") << "1000,,\r\n"_ba
                                  << "line 1: station 1000 has no lamp state";
        QTest::newRow("a quote left open") << "\"1000,on,\r\n"_ba
                                           << "line 1: a quote is not closed";
    }
    void lampMapImport()
    {
        QFETCH(QByteArray, csv);
        const auto read = readLampMapCsv(csv, kAt);
        const QString result = std::holds_alternative<LampMap>(read)
                                   ? zkn::test::ledgerText(std::get<LampMap>(read))
                                   : u"line %1: %2"_s.arg(std::get<LampMapError>(read).line)
                                         .arg(std::get<LampMapError>(read).why);
        QTEST(result, "result");
    }
};

QTEST_GUILESS_MAIN(TestLampLedger)
#include "tst_lamp_ledger.moc"
