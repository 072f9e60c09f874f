// SPDX-License-Identifier: GPL-3.0-or-later
// The lamp load test on a simulated clock: its figures on their own, then scripts over the engine
// for the extensions file, the order of stations and phases, pacing by the delay and the answers,
// the switch-off sweep, and the callers that wait for it.
#include "link_script.h"

#include <QTest>

using namespace zkn;
using namespace zkn::link;

Q_DECLARE_METATYPE(zkn::ConnectionType)

namespace {

// A test over stations 1000 to 1002, or the file 1000, 2002, 3003, on a LAN link that stands or
// on an open serial port with DSR.
struct Test : test::LinkScript
{
    explicit Test(ConnectionType type)
    {
        debug.setHealthCheckIntervalText(QStringLiteral("60"));
        loadTest.setRange(1000, 1002);
        if (type == ConnectionType::Lan) {
            bringUp();
        } else {
            connection.setConnectionType(type);
            host.portOpen = true;
        }
    }
};

} // namespace

class TestLoadTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void answerTimes()
    {
        lamp::LoadTestStats stats;
        QCOMPARE(stats.summary(true), QByteArray("0 sent, 0 answered: 0 ok, 0 refused, 0 unanswered"));
        QCOMPARE(stats.panelText(true), QByteArray("0 sent, 0 ok, 0 ref., 0 unans."));
        for (const qint64 ms : {5, 1, 3, 200, 4})
            stats.answered(ms == 200, ms);
        stats.answered(false, 60000); // later than the timeout: counted as the slowest
        stats.timedOut();
        QCOMPARE(stats.medianAnswerMs(), qint64(4));
        const QList<qint64> at{stats.answerMsAt(0), stats.answerMsAt(66), stats.answerMsAt(67),
                               stats.answerMsAt(95)};
        QCOMPARE(at, (QList<qint64>{1, 5, 200, 10000}));
        QCOMPARE(stats.maxAnswerMs(), qint64(60000));
        QCOMPARE(stats.summary(true), QByteArray("0 sent, 6 answered: 5 ok, 1 refused, 1 unanswered; answer "
                                                 "time median 4 ms, p95 10000 ms, max 60000 ms"));
        QCOMPARE(stats.summary(false), QByteArray("0 sent"));
        QCOMPARE(stats.panelText(true), QByteArray("0 sent, 5 ok, 1 ref., 1 unans., 4/60000 ms"));
        QCOMPARE(stats.panelText(false), QByteArray("0 sent"));
    }
    void scripts_data();
    void scripts()
    {
        QFETCH(ConnectionType, type);
        QFETCH(QString, script);
        Test(type).run(script);
    }
};

// clang-format off
void TestLoadTest::scripts_data()
{
    QTest::addColumn<ConnectionType>("type");
    QTest::addColumn<QString>("script"); // steps separated by " | "
    const auto row = [](const QString& name, ConnectionType type, const QString& script) {
        QTest::newRow(qPrintable(name)) << type << script;
    };
    const auto S = ConnectionType::Serial;
    const auto L = ConnectionType::Lan;
    const QString lampOff = QStringLiteral("Critical: PBX did not respond to Lamp Control.");

    // A range turns when the station after its last is due (the extensions file left unread), the
    // file when its last line is read; the phase outlives a test.
    row("serial: one message per tick of 300 ms, the range on, then off", S,
        "start | ?phases=Running | tick:299 | ?count=0 | tick:1 | ?count=1 | "
        "?sent=02 302141 3031 3031 32 3032 3034 31303030 03 | run:6 | "
        "?line=1000+ 1001+ 1002+ 1000- 1001- 1002- 1000+ | ?figures=7 sent | ?reads=0");
    row("serial: the file on, then off", S,
        "usefile | start | run:7 | ?line=1000+ 2002+ 3003+ 1000- 2002- 3003- 1000+");
    row("range restarted after a pass: the pass again", S,
        "start | run:3 | stop | turns | clear | start | run:2 | ?line=1000+ 1001+");
    row("range restarted within a pass", S,
        "start | run:4 | stop | turns | clear | start | run:2 | ?line=1000- 1001-");
    row("file restarted after a pass: the other pass", S,
        "usefile | start | run:3 | stop | turns | clear | start | run:2 | ?line=1000- 2002-");
    // The file is read again after each pass; one that names no station keeps the last stations.
    row("file read afresh for every pass", S,
        "usefile | start | run:2 | file:4004 | run:3 | file:abc | run:2 | "
        "?line=1000+ 2002+ 3003+ 4004- 4004+ 4004- 4004+");
    row("a new delay applies after the next tick", S,
        "start | tick:300 | delay:1000 | tick:300 | ?count=2 | tick:999 | ?count=2 | tick:1 | ?count=3");
    // No answer: the box 10 s after the message left, then the test goes on with the next station.
    row("TCP: every tick waits for the answer or the timeout", L,
        "delay:100 | start | tick:100 | ?count=1 | "
        "?sent=16 31303232 3031 3031 02 302141 3031 3031 32 3032 3034 31303030 03 9A | "
        "tick:5000 | ?count=1 | answer | tick:99 | ?count=1 | tick:1 | ?count=2 | tick:9999 | ?boxes= | "
        "tick:1 | ?boxes=" + lampOff + " | tick:100 | ?line=1000+ 1001+ 1002+ | ?timeouts=1");
    // Every message kept with what became of it: answered, answered with another code, timed out,
    // and the sweep's (each answer time counts the 20 ms spacing), dated by the wall clock.
    row("TCP: each message in the CSV", L,
        "delay:100 | start | tick:100 | later:5 | answer | tick:100 | later:3 | answer:3 | tick:100 | "
        "tick:10000 | stop | later:2 | answer | tick:20 | answer | tick:20 | answer | ?csv="
        "2026-12-06T14:03:59.150,1000,vmm-on,1,0,5,no,no\r\n"
        "2026-12-06T14:03:59.255,1001,vmm-on,2,3,3,no,no\r\n"
        "2026-12-06T14:03:59.358,1002,vmm-on,3,,,yes,no\r\n"
        "2026-12-06T14:04:09.358,1000,vmm-off,4,0,2,no,no\r\n"
        "2026-12-06T14:04:09.360,1001,vmm-off,5,0,20,no,no\r\n"
        "2026-12-06T14:04:09.380,1002,vmm-off,6,0,20,no,no\r\n");
    // The dialog's frame takes the answer of the test's message awaited: that message is superseded,
    // the answer is the dialog's, for the ledger only, and the test goes on after it.
    row("TCP: a message whose answer the dialog's frame took is superseded", L,
        "delay:100 | start | tick:100 | single:2000, ,on,- | later:4 | answer | ?figures=1 sent, 0 answered: "
        "0 ok, 0 refused, 0 unanswered, 1 superseded | ?ledger~=2000 mw:on/confirmed/0 | tick:100 | ?count=3 | "
        "later:6 | answer | ?figures=2 sent, 1 answered: 1 ok, 0 refused, 0 unanswered, 1 superseded; "
        "answer time median 6 ms, p95 6 ms, max 6 ms | ?csv~=,1000,vmm-on,1,,,no,yes\r\n");
    row("TCP: the figures agree with the answers, a negative one counted", L,
        "start | tick:300 | later:7 | answer:3 | tick:300 | later:2 | answer | "
        "?figures=2 sent, 2 answered: 1 ok, 1 refused, 0 unanswered; answer time median 2 ms, p95 7 ms, max 7 ms");

    const QString refused = QStringLiteral(
        " | start | ?boxes=Exclamation: %1 | ?running=false | ?phases= | tick:1000 | ?count=0");
    row("refused: TCP without a connection", L, "closed" + refused.arg("PBX NOT CONNECTED!"));
    row("refused: serial without DSR", S, "nodsr" + refused.arg("PBX NOT CONNECTED!"));
    row("refused: file missing", L, "usefile | nofile" + refused.arg(
        "The extensions file cannot be read:\r\n/home/op/Extensions.dat\r\nNo such file or directory"));
    const auto skipped = [](int line, const char* text) {
        return QStringLiteral("<->:14:03:59: Extensions file line %1 skipped: \"%2\" is no station number")
                   .arg(QString::number(line), QLatin1String(text)) +
               QStringLiteral("\r\n");
    };
    row("refused: file without a station", L,
        "usefile | file:\r\nabc\r\n" + refused.arg("The extensions file names no station; one station number "
                                                 "per line:\r\n/home/op/Extensions.dat") +
        " | ?terminal=" + skipped(1, "") + skipped(2, "abc"));
    // One whole number a line, blanks around it allowed, CR LF or LF, the last line's end no line;
    // every other line is told and skipped.
    row("the file's stations, the other lines told", S,
        "usefile | file: 1000 \r\n\r\nabc\r\n12a\r\n\t2002\n99999999999\n-5\n1.5\n2147483647\n2147483648\n1909\n | "
        "start | ?terminal=" + skipped(2, "") + skipped(3, "abc") + skipped(4, "12a") +
        skipped(6, "99999999999") + skipped(7, "-5") + skipped(8, "1.5") + skipped(10, "2147483648") +
        " | run:5 | ?line=1000+ 2002+ 2147483647+ 1909+ 1000-");

    // Stop sweeps over the range boxes as they stand when they hold a sound range, else over the
    // test's range; in file mode over the file as it is now.
    const QString sweep = QStringLiteral(
        "%1start | run:3 | clear | %2 | stop | turns | ?running=false | ?line=%3 | ?count=%4 | "
        "?terminal^=<->:14:03:59: Stopping Load Test...\r\n | "
        "?terminal~=<->:14:03:59: Load Test Stopped...\r\n<->:14:03:59: Load test: %5 sent\r\n | "
        "?phases=Running Stopping Idle | tick:1000 | ?count=%4");
    const char* const range = "1000- 1001- 1002-";
    row("sweep: the boxes as they stand", S, sweep.arg("", "from:2000 | to: 2001 ", "2000- 2001-", "2", "5"));
    row("sweep: one station in both boxes", S, sweep.arg("", "from:2000 | to:2000", "2000-", "1", "4"));
    row("sweep: a box empty: the test's range", S, sweep.arg("", "from:2000 | to:", range, "3", "6"));
    row("sweep: letters: the test's range", S, sweep.arg("", "from:2000 | to:abc", range, "3", "6"));
    row("sweep: start after end: the test's range", S, sweep.arg("", "from:2001 | to:2000", range, "3", "6"));
    // Read at Start, after the pass, and for the sweep: not again while it sweeps. Lines that
    // name no station were told at Start, not again.
    row("sweep: the file now", S,
        sweep.arg("usefile | ", "file:3003\nx\n4004", "3003- 4004-", "2", "5") + " | ?reads=3 | ?terminal!=skipped");
    row("sweep: the file emptied meanwhile: nothing", S, sweep.arg("usefile | ", "file:", "", "0", "3"));

    // The message of the last tick is answered before the sweep begins; each of the sweep's
    // messages waits for its own answer or its timeout.
    row("TCP: the sweep waits for the message in flight", L,
        "start | tick:300 | ?count=1 | stop | ?count=1 | answer | ?line=1000+ 1000- | tick:5000 | ?count=2 | "
        "answer | ?count=3 | tick:10000 | ?boxes=" + lampOff + " | ?count=4 | answer | ?running=false | "
        "?line=1000+ 1000- 1001- 1002- | ?timeouts=1");
    const QString figures = QStringLiteral(
        "Load Test Stopped...\r\n<->:14:03:59: Load test: %1 sent, %2 answered: %2 ok, 0 refused, 0 unanswered; "
        "answer time median 0 ms, p95 0 ms, max 0 ms\r\n");
    row("TCP: the link lost during the sweep ends it", L,
        "start | run:2 | stop | ?count=3 | closed | ?running=false | ?terminal$=" + figures.arg("3", "2") +
        " | tick:20000 | ?boxes= | ?count=3");
    // Sweep 1000 to 1002 (numbers 2 to 4), then the release request numbered 5.
    row("TCP: the release waits for the sweep, pressed twice still one", L,
        "start | run:1 | clear | release | release | ?line=1000- | answer | answer | answer | ?count=4 | "
        "?sent=16 36303034 3031 3035 F9 | ?terminal~=" + figures.arg("4", "4") +
        "<- :14:03:59: (5) LINK RELEASE REQUEST...\r\n");
    row("TCP: the connected picture stops the test, then releases after the sweep", L,
        "start | run:1 | clear | picture | ?line=1000- | answer | answer | answer | ?count=4 | "
        "?sent=16 36303034 3031 3035 F9");
    row("TCP: the exit stops the test, pauses a second, then releases", L,
        "start | run:1 | exit | tick:2000 | answer | tick:2000 | answer | tick:2000 | answer | "
        "?running=false | tick:999 | ?released=false | ?count=4 | tick:1 | ?released=true | "
        "?sent=16 36303034 3031 3035 F9");
    // The send clock stops with the link and nothing starts it again, not even a new connection:
    // the operator sees the figures stand still and stops the test.
    row("TCP: a lost link stalls the test until Stop", L,
        "start | run:2 | closed | up | tick:5000 | ?count=0 | ?running=true | stop | ?line=1000-");

    for (const char* caller : {"stop", "picture", "exit"}) {
        const QString exit = QLatin1String(qstrcmp(caller, "exit") == 0 ? "true" : "false");
        // The message awaited belonged to a connection that is gone, so its answer can never come:
        // with the link back, the sweep goes out at once, each message awaiting its own answer;
        // without it, the sweep has nothing to reach and the test stops at once. Nothing connects
        // by itself.
        const QString lost = QStringLiteral(
            "start | run:1 | tick:300 | ?line=1000+ 1001+ | reset | %1clear | %2 | %3 | ?running=false | "
            "tick:1000 | ?released=%4 | ?phases=Running Stopping Idle | ?boxes= | ?connects=%5");
        row(caller + QStringLiteral(" after a reset, the link back"), L,
            lost.arg("tick:2000 | ?connects=2 | reconnected | ", caller,
                     "?line=1000- | answer | answer | answer | ?line=1000- 1001- 1002-", exit, "2"));
        row(caller + QStringLiteral(" after a reset, the link still down"), L,
            lost.arg("", caller, "?count=0", exit, "1"));
        // The serial sweep goes on from the send clock, which the closed port stops: the sweep
        // ends with it, with the test's figures, and the port is not opened again.
        const QString port = QStringLiteral(
            "range:1000-1099 | start | run:2 | %1 | tick:0 | ?count=4 | %2 | tick:1000 | ?running=false | "
            "?released=%3 | ?port=false | ?count=4 | "
            "?terminal$=Load Test Stopped...\r\n<->:14:03:59: Load test: 4 sent\r\n");
        row(caller + QStringLiteral(" during a serial sweep, the port lost"), S,
            port.arg(caller, "portlost", exit));
        row(caller + QStringLiteral(" during a serial sweep, the port closed by the operator"), S,
            port.arg(caller, "release", exit));
    }
}
// clang-format on

QTEST_MAIN(TestLoadTest)
#include "tst_load_test.moc"
