// SPDX-License-Identifier: GPL-3.0-or-later
// The link watched from between its ends: frames named, requests matched with their answers by
// connection and sequence number, answer times, faults and the lamps set, on a simulated clock.
#include "check_byte.h"
#include "monitor/answer_times.h"
#include "monitor/link_watch.h"

#include <QTest>

using namespace zkn::monitor;

namespace {

// "MS SIDE WHAT SEQ [ARG]" steps, "|" between them; the times in ms. WHAT: status, release, lamp
// (ARG the tagged message's function code and station, "2:1000"), record, response (ARG the code),
// answer (ARG the code), bad (a status frame with its check byte flipped); "MS tick"; "MS end SIDE
// close|reset"; "MS begin"; "MS finished" (both sides closed). Every step is on connection 1 unless it ends
// in "@N". What comes out: "SIDE MEANING SEQ" for each frame, with " <- REQUEST MS" for an answer ("late"
// when its time was up), and "! FAULT" at its time.
QString watch(const QString& script, LinkWatch** kept = nullptr)
{
    QStringList seen;
    auto* watch = new LinkWatch(
        zkn::link::Parity::Odd,
        {[&seen](const WatchedFrame& f) {
             QString line = QStringLiteral("%1 %2 %3")
                                .arg(QLatin1String(sideName(f.from)), QLatin1String(meaningName(f.meaning)),
                                     QString::fromLatin1(f.frame.sequenceField));
             if (f.answered)
                 line += QStringLiteral(" <- %1 %2%3")
                             .arg(QLatin1String(meaningName(f.answered->request)))
                             .arg(f.answered->afterUs / 1000)
                             .arg(f.answered->late ? QStringLiteral(" late") : QString());
             seen << line;
         },
         [&seen](const WatchFault& f) {
             seen << QStringLiteral("!%1 %2").arg(f.timeUs / 1000).arg(f.what);
         }});
    for (QString step : script.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        int connection = 1;
        if (step.contains(QLatin1Char('@'))) {
            connection = step.section(QLatin1Char('@'), 1).toInt();
            step = step.section(QLatin1Char('@'), 0, 0);
        }
        const QStringList w = step.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const qint64 us = w[0].toLongLong() * 1000;
        if (w[1] == QLatin1String("tick")) {
            watch->advanceTo(us);
            continue;
        }
        if (w[1] == QLatin1String("begin")) {
            watch->began(connection, us);
            continue;
        }
        if (w[1] == QLatin1String("finished")) {
            watch->finished(connection);
            continue;
        }
        const Side side = w[2] == QLatin1String("pbx") ? Side::Pbx : Side::Mc;
        if (w[1] == QLatin1String("end")) {
            watch->ending(connection, us, side, w[3] == QLatin1String("reset"));
            continue;
        }
        const Side from = w[1] == QLatin1String("pbx") ? Side::Pbx : Side::Mc;
        const QByteArray what = w[2].toLatin1();
        const QByteArray sequence = w[3].toLatin1();
        const QByteArray arg = w.size() > 4 ? w[4].toLatin1() : QByteArray();
        QByteArray bytes;
        if (what == "status") {
            bytes = zkn::test::linkFrame('5', sequence, "00");
        } else if (what == "bad") {
            bytes = zkn::test::linkFrame('5', sequence, "00");
            bytes.back() = char(~bytes.back());
        } else if (what == "release") {
            bytes = zkn::test::linkFrame('6', sequence, {});
        } else if (what == "lamp") {
            const QByteArray station = arg.mid(2);
            const QByteArray len = QByteArray::number(station.size()).rightJustified(2, '0');
            bytes = zkn::test::linkFrame('1', sequence,
                                         "\x02"
                                         "0!A"
                                         "0101" +
                                             arg.left(1) + "02" + len + station + "\x03");
        } else if (what == "record") {
            bytes = zkn::test::linkFrame('2', sequence,
                                         "\x02"
                                         "0!J1234\x03");
        } else if (what == "response") {
            bytes = zkn::test::linkFrame('3', sequence, arg);
        } else if (what == "answer") {
            bytes = zkn::test::linkFrame('4', sequence, arg);
        }
        // Each frame in two pieces: what is cut never depends on where reads end.
        watch->received(connection, us, from, QByteArrayView(bytes).first(3));
        watch->received(connection, us, from, QByteArrayView(bytes).sliced(3));
    }
    if (kept)
        *kept = watch;
    else
        delete watch;
    return seen.join(QLatin1String("; "));
}

} // namespace

class tst_LinkWatch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void matching_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const char* script, const char* expected) {
            QTest::newRow(name) << QString::fromLatin1(script) << QString::fromLatin1(expected);
        };
        row("connect request, then health checks",
            "0 mc status 00 | 3 pbx response 00 0 | 1000 mc status 01 | 1002 pbx response 01 0",
            "mc connect request 00; pbx response 00 <- connect request 3; mc health check 01; "
            "pbx response 01 <- health check 2");
        row("a health check answered after 500 ms: a fault at 500 ms, the answer late",
            "0 mc status 00 | 1 pbx response 00 0 | 1000 mc status 01 | 1499 tick | 1500 tick | 1700 pbx "
            "response 01 0",
            "mc connect request 00; pbx response 00 <- connect request 1; mc health check 01; "
            "!1500 no answer in time to the health check seq 01 (500 ms); pbx response 01 <- health check "
            "700 late");
        row("a lamp message refused", "0 mc lamp 02 2:1000 | 5 pbx response 02 3",
            "mc lamp message 02; pbx response 02 <- lamp message 5; "
            "!5 a negative answer to the lamp message seq 02 (VMM on 1000): code 3 ** INCORRECT TEXT RECV'd "
            "**");
        row("a lamp message unanswered for 10 s", "0 mc lamp 02 6:1000 | 9999 tick | 10000 tick",
            "mc lamp message 02; !10000 no answer in time to the lamp message seq 02 (VMM off 1000) (10 s)");
        row("a response to nothing, an answer to a record never sent",
            "0 pbx response 07 0 | 1 mc answer 08 0",
            "pbx response 07; !0 a response to nothing: seq 07; mc record answer 08; "
            "!1 an answer to a record never sent: seq 08");
        row("records answered, one refused by the message centre",
            "0 pbx record 10 | 2 mc answer 10 0 | 5 pbx record 11 | 6 mc answer 11 1",
            "pbx record 10; mc record answer 10 <- record 2; pbx record 11; mc record answer 11 <- record 1; "
            "!6 a negative answer to the record seq 11: code 1");
        row("a bad check byte", "0 mc bad 04",
            "mc connect request 04; !0 a bad check byte in the message centre's connect request frame seq "
            "04");
        row("the PBX's release awaits nothing; the message centre's is answered",
            "0 pbx release 20 | 1 mc release 30 | 2 pbx response 30 0 | 20000 tick",
            "pbx release request 20; mc release request 30; pbx response 30 <- release request 1");
        row("what a connection awaited ends with it; a new one begins with a connect request",
            "0 mc status 00 | 1 mc lamp 01 2:1000 | 2 end pbx reset | 3 mc status 02@2 | 20000 tick@2",
            "mc connect request 00; mc lamp message 01; mc connect request 02; "
            "!10003 no answer in time to the connect request seq 02 (10 s)");
        row("after the first FIN answers still match, and no time is up",
            "0 mc lamp 01 2:1000 | 1 mc lamp 02 2:1001 | 2 end mc close | 3 pbx response 01 0 | "
            "4 pbx record 09 | 20000 tick | 20001 finished | 20002 mc status 03",
            "mc lamp message 01; mc lamp message 02; pbx response 01 <- lamp message 3; pbx record 09; "
            "mc connect request 03");
        row("connections kept apart",
            "0 mc status 00@1 | 0 mc status 00@2 | 1 pbx response 00 0@2 | 2 pbx response 00 0@1",
            "mc connect request 00; mc connect request 00; pbx response 00 <- connect request 1; "
            "pbx response 00 <- connect request 2");
        row("a sequence number come round gives up the request before",
            "0 mc lamp 05 2:1000 | 1000 mc lamp 05 2:1001 | 1003 pbx response 05 0",
            "mc lamp message 05; mc lamp message 05; "
            "!1000 no answer in time to the lamp message seq 05 (VMM on 1000) (10 s); "
            "pbx response 05 <- lamp message 3");
    }
    void matching()
    {
        QFETCH(QString, script);
        QTEST(watch(script), "expected");
    }

    void figuresAndLamps()
    {
        LinkWatch* w = nullptr;
        watch("0 mc status 00 | 2 pbx response 00 0 | 10 mc lamp 01 2:1000 | 14 pbx response 01 0 | "
              "20 mc lamp 02 6:1001 | 21 pbx response 02 2 | 30 mc lamp 03 1:1002 | 11000 tick | "
              "11001 pbx record 40 | 11002 mc answer 40 0 | 11003 end mc close",
              &w);
        const std::unique_ptr<LinkWatch> owned(w);
        QCOMPARE(
            figuresText(w->figures()),
            QByteArray(
                "connections: 1, closed by pbx 0, by mc 1, reset by pbx 0, by mc 0\n"
                "pbx: 4 frames, 1 records, 0 lamp messages, 0 bad check bytes, negative answers: 1 code 2\n"
                "mc: 5 frames, 0 records, 3 lamp messages, 0 bad check bytes, negative answers: none\n"
                "connect request: 1 answered, median 2.000 ms, p95 2.000 ms, max 2.000 ms, 0 not in time\n"
                "health check: 0 answered, 0 not in time\n"
                "lamp message: 2 answered, median 1.000 ms, p95 4.000 ms, max 4.000 ms, 1 not in time\n"
                "release request: 0 answered, 0 not in time\n"
                "record: 1 answered, median 1.000 ms, p95 1.000 ms, max 1.000 ms, 0 not in time\n"
                "responses to nothing: 0, answers to records never sent: 0\n"
                "faults: 2\n"));
        QCOMPARE(w->lamps().csv(), QByteArray("station,function,set_at,answer\n"
                                              "1000,VMM on,0.010000,\"ok\"\n"
                                              "1001,VMM off,0.020000,\"code 2 ** DEVICE ID NOT DEFINED **\"\n"
                                              "1002,MW on,0.030000,\"no answer\"\n"));
        QCOMPARE(w->faults().size(), 2);
    }

    void answerTimes_data()
    {
        QTest::addColumn<QList<qint64>>("us");
        QTest::addColumn<QString>("expected"); // median p95 max
        QTest::newRow("none") << QList<qint64>{} << "0 0 0";
        QTest::newRow("exact below 64 µs") << QList<qint64>{10, 20, 30, 40, 63} << "30 63 63";
        QTest::newRow("an answer in no time") << QList<qint64>{0, 0, 5} << "0 5 5";
        QTest::newRow("the lower edge of a bucket above")
            << QList<qint64>{1000, 1010, 1030} << "1008 1024 1030";
        QTest::newRow("one slow answer: p95 of twenty") << [] {
            QList<qint64> us(19, 500);
            us << 9'000'000;
            return us;
        }() << "500 500 9000000";
        QTest::newRow("a percentile is its bucket's lower edge") << QList<qint64>{129} << "128 128 129";
    }
    void answerTimes()
    {
        QFETCH(QList<qint64>, us);
        AnswerTimes times;
        for (const qint64 t : us)
            times.add(t);
        QTEST(QStringLiteral("%1 %2 %3")
                  .arg(times.percentileUs(50))
                  .arg(times.percentileUs(95))
                  .arg(times.maxUs()),
              "expected");
    }
};

QTEST_APPLESS_MAIN(tst_LinkWatch)
#include "tst_link_watch.moc"
