// The lamp load test on a simulated clock: the order of stations and phases, pacing by the delay
// and the answers, the switch-off sweep, and the callers that wait for it.
#include "link_fixture.h"

#include "lamp/extensions.h"
#include "lamp/load_test_plan.h"
#include "lamp/load_test_stats.h"

#include <QTest>

using namespace zkn;
using namespace zkn::link;
using zkn::test::Link;
using zkn::test::withCheckByte;
using Phase = zkn::link::LoadTestPhase;

Q_DECLARE_METATYPE(zkn::ConnectionType)

namespace {

// "1000+" for VMM on at station 1000, "1000-" for off: read back from the tagged messages.
QString visit(const QByteArray& message)
{
    const qsizetype from = message.indexOf("02") + 4;
    const QByteArray station = message.mid(from, message.indexOf('\x03') - from);
    return QString::fromLatin1(station) + (message.at(8) == '2' ? QLatin1Char('+') : QLatin1Char('-'));
}

QStringList visits(const QList<QByteArray>& messages)
{
    QStringList found;
    for (const QByteArray& message : messages)
        found.append(visit(message.mid(message.indexOf('\x02'))));
    return found;
}

struct Test : Link
{
    QByteArray file = "1000\r\n2002\r\n3003";
    bool fileThere = true;

    explicit Test(ConnectionType type = ConnectionType::Lan) : Link(QStringLiteral("60"))
    {
        loadTest.setRange(1000, 1002);
        host.extensions = [this] {
            lamp::ExtensionsRead read{std::nullopt, QStringLiteral("/home/op/Extensions.dat"),
                                      QStringLiteral("No such file or directory")};
            if (fileThere)
                read.content = file;
            return read;
        };
        if (type == ConnectionType::Lan) {
            bringUp();
        } else {
            connection.setConnectionType(type);
            host.portOpen = true;
        }
    }
    const QList<QByteArray>& onTheLine() const
    {
        return connection.connectionType() == ConnectionType::Lan ? host.sent : host.serialOutput;
    }
    void answer(char code = '0') { engine->onSocketData(responseToLast(code)); }
    // Ticks of the delay until `count` messages have gone (each answered over TCP).
    void run(int count)
    {
        for (int sent = 0; sent < count; ++sent) {
            const auto before = onTheLine().size();
            tick(loadTest.delayMs());
            QCOMPARE_GT(onTheLine().size(), before);
            if (connection.connectionType() == ConnectionType::Lan)
                answer();
        }
    }
};

} // namespace

class TestLoadTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void extensionsFile_data();
    void extensionsFile();
    void passesAndPhases_data();
    void passesAndPhases();
    void answerTimes();
    void serialSendsOnePerTick();
    void tcpWaitsForTheAnswerOrTheTimeout();
    void delayChangedAppliesAfterTheNextTick();
    void startIsRefused_data();
    void startIsRefused();
    void stopSweepsEveryStationOff_data();
    void stopSweepsEveryStationOff();
    void stopWaitsForTheMessageInFlight();
    void linkLostDuringTheSweepEndsIt();
    void releaseWaitsForTheSweep();
    void exitStopsTheTestPausesThenReleases();
    void figuresAgreeWithTheAnswers();
    void lostLinkStallsTheTestUntilStop();
    void stopAfterALinkLostWithAMessageAwaited_data();
    void stopAfterALinkLostWithAMessageAwaited();
    void serialSweepThatLosesItsPortEnds_data();
    void serialSweepThatLosesItsPortEnds();
};

void TestLoadTest::extensionsFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QList<qint32>>("stations");
    QTest::addColumn<QList<int>>("skipped"); // line numbers
    using L = QList<qint32>;
    QTest::newRow("CR LF, last line without an end")
        << QByteArray("1000\r\n2002\r\n3003") << L{1000, 2002, 3003} << QList<int>{};
    QTest::newRow("LF, last line ended") << QByteArray("1000\n2002\n") << L{1000, 2002} << QList<int>{};
    QTest::newRow("blanks around a number")
        << QByteArray(" 1000 \r\n\t2002") << L{1000, 2002} << QList<int>{};
    QTest::newRow("empty line and letters skipped")
        << QByteArray("1000\r\n\r\nabc\r\n12a\r\n2002") << L{1000, 2002} << QList<int>{2, 3, 4};
    QTest::newRow("too large, signed, decimal")
        << QByteArray("99999999999\n-5\n1.5\n7") << L{7} << QList<int>{1, 2, 3};
    QTest::newRow("empty file") << QByteArray() << L{} << QList<int>{};
}

void TestLoadTest::extensionsFile()
{
    QFETCH(QByteArray, content);
    const lamp::Extensions found = lamp::parseExtensions(content);
    QTEST(found.stations, "stations");
    QList<int> skipped;
    for (const lamp::SkippedLine& line : found.skipped)
        skipped.append(line.number);
    QTEST(skipped, "skipped");
}

void TestLoadTest::passesAndPhases_data()
{
    QTest::addColumn<bool>("file");
    QTest::addColumn<int>("before");        // steps before a restart (Stop, Start)
    QTest::addColumn<QStringList>("after"); // the steps after it
    // A range turns when the station after its last is due, the file when its last line is read.
    QTest::newRow("range, from the start")
        << false << 0 << QStringList{"1000+", "1001+", "1002+", "1000-", "1001-", "1002-", "1000+"};
    QTest::newRow("file, from the start")
        << true << 0 << QStringList{"1000+", "2002+", "3003+", "1000-", "2002-", "3003-", "1000+"};
    QTest::newRow("range, restarted after a pass: the pass again")
        << false << 3 << QStringList{"1000+", "1001+"};
    QTest::newRow("file, restarted after a pass: the other pass")
        << true << 3 << QStringList{"1000-", "2002-"};
    QTest::newRow("range, restarted within a pass") << false << 4 << QStringList{"1000-", "1001-"};
}

void TestLoadTest::passesAndPhases()
{
    QFETCH(bool, file);
    QFETCH(int, before);
    QFETCH(QStringList, after);
    lamp::LoadTestPlan plan;
    if (file)
        plan.useStations({1000, 2002, 3003});
    else
        plan.useRange(1000, 1002);
    for (int i = 0; i < before; ++i)
        plan.next();
    if (before > 0)
        plan.restart();
    QStringList steps;
    for (qsizetype i = 0; i < after.size(); ++i) {
        const lamp::LoadTestPlan::Step step = plan.next();
        steps.append(QString::number(step.station) +
                     (step.function == lamp::LampFunction::VmmOn ? QLatin1Char('+') : QLatin1Char('-')));
    }
    QCOMPARE(steps, after);
}

void TestLoadTest::answerTimes()
{
    lamp::LoadTestStats stats;
    QCOMPARE(stats.summary(true), QByteArray("0 sent, 0 answered (0 negative), 0 timed out"));
    for (const qint64 ms : {5, 1, 3, 200, 4})
        stats.answered(ms == 200, ms);
    stats.answered(false, 60000); // later than the timeout: counted as the slowest
    stats.timedOut();
    QCOMPARE(stats.medianAnswerMs(), qint64(4));
    QCOMPARE(stats.maxAnswerMs(), qint64(60000));
    QCOMPARE(
        stats.summary(true),
        QByteArray("0 sent, 6 answered (1 negative), 1 timed out; answer time median 4 ms, max 60000 ms"));
    QCOMPARE(stats.summary(false), QByteArray("0 sent"));
}

void TestLoadTest::serialSendsOnePerTick()
{
    Test t(ConnectionType::Serial);
    t.engine->mnuStart_Click();
    QCOMPARE(t.host.loadTestPhases, QList<Phase>{Phase::Running});
    t.tick(299);
    QVERIFY(t.host.serialOutput.isEmpty());
    t.tick(1);
    QCOMPARE(t.host.serialOutput, QList<QByteArray>{QByteArray("\x02"
                                                               "0!A0101202041000\x03")});
    for (int i = 0; i < 5; ++i)
        t.tick(300);
    QCOMPARE(visits(t.host.serialOutput),
             (QStringList{"1000+", "1001+", "1002+", "1000-", "1001-", "1002-"}));
    QCOMPARE(t.host.loadTestFigures, QByteArray("6 sent"));
}

void TestLoadTest::tcpWaitsForTheAnswerOrTheTimeout()
{
    Test t;
    t.loadTest.setDelayMs(100);
    t.engine->mnuStart_Click();
    t.tick(100);
    QCOMPARE(t.host.sent.size(), 1);
    QCOMPARE(t.host.sent[0], withCheckByte(QByteArray("\x16"
                                                      "1022"
                                                      "0101"
                                                      "\x02"
                                                      "0!A0101202041000\x03")));
    t.tick(5000);
    QCOMPARE(t.host.sent.size(), 1); // no answer yet: every tick waits
    t.answer();
    t.tick(99);
    QCOMPARE(t.host.sent.size(), 1);
    t.tick(1); // the first tick after the answer
    QCOMPARE(t.host.sent.size(), 2);
    // No answer: the box 10 s after it left, then the test goes on with the next station.
    t.tick(9999);
    QVERIFY(t.op.messages.isEmpty());
    t.tick(1);
    QCOMPARE(t.op.messages.size(), 1);
    QCOMPARE(t.op.messages[0].text, QStringLiteral("PBX did not respond to Lamp Control."));
    t.tick(100);
    QCOMPARE(visits(t.host.sent), (QStringList{"1000+", "1001+", "1002+"}));
    QCOMPARE(t.engine->loadTestStats().timeouts(), 1);
}

void TestLoadTest::delayChangedAppliesAfterTheNextTick()
{
    Test t(ConnectionType::Serial);
    t.engine->mnuStart_Click();
    t.tick(300);
    t.loadTest.setDelayMs(1000);
    t.tick(300); // already due at the old delay
    QCOMPARE(t.host.serialOutput.size(), 2);
    t.tick(999);
    QCOMPARE(t.host.serialOutput.size(), 2);
    t.tick(1);
    QCOMPARE(t.host.serialOutput.size(), 3);
}

void TestLoadTest::startIsRefused_data()
{
    QTest::addColumn<ConnectionType>("type");
    QTest::addColumn<bool>("lineUp");
    QTest::addColumn<bool>("useFile");
    QTest::addColumn<QByteArray>("file"); // "-" for a missing file
    QTest::addColumn<QString>("box");
    const auto L = ConnectionType::Lan;
    const QString notConnected = QStringLiteral("PBX NOT CONNECTED!");
    QTest::newRow("TCP without a connection") << L << false << false << QByteArray() << notConnected;
    QTest::newRow("serial without DSR")
        << ConnectionType::Serial << false << false << QByteArray() << notConnected;
    QTest::newRow("file missing") << L << true << true << QByteArray("-")
                                  << QStringLiteral(
                                         "The extensions file cannot be read:\r\n/home/op/Extensions.dat"
                                         "\r\nNo such file or directory");
    QTest::newRow("file without a station")
        << L << true << true << QByteArray("\r\nabc\r\n")
        << QStringLiteral("The extensions file names no station; one station number per line:\r\n"
                          "/home/op/Extensions.dat");
}

void TestLoadTest::startIsRefused()
{
    QFETCH(ConnectionType, type);
    QFETCH(bool, lineUp);
    QFETCH(bool, useFile);
    QFETCH(QByteArray, file);
    Test t(type);
    if (!lineUp && type == ConnectionType::Lan) {
        t.host.state = SocketState::Closed;
        t.engine->onSocketClosed();
    }
    if (!lineUp)
        t.host.dsr = false;
    t.loadTest.setUseFile(useFile);
    t.fileThere = file != "-";
    t.file = file;
    t.engine->mnuStart_Click();
    QCOMPARE(t.op.messages.size(), 1);
    QTEST(t.op.messages[0].text, "box");
    QCOMPARE(t.op.messages[0].icon, Operator::Icon::Exclamation);
    QVERIFY(!t.engine->loadTestRunning());
    QVERIFY(t.host.loadTestPhases.isEmpty());
    t.tick(1000);
    QVERIFY(t.onTheLine().isEmpty());
}

void TestLoadTest::stopSweepsEveryStationOff_data()
{
    QTest::addColumn<bool>("useFile");
    QTest::addColumn<QString>("startBox");
    QTest::addColumn<QString>("endBox");
    QTest::addColumn<QByteArray>("fileAtStop");
    QTest::addColumn<QStringList>("sweep");
    const QStringList range{"1000-", "1001-", "1002-"};
    QTest::newRow("range, the boxes as they stand")
        << false << "2000"
        << " 2001 " << QByteArray() << QStringList{"2000-", "2001-"};
    QTest::newRow("range, one station in both boxes") << false << "2000"
                                                      << "2000" << QByteArray() << QStringList{"2000-"};
    QTest::newRow("range, a box empty: the test's range") << false << "2000"
                                                          << "" << QByteArray() << range;
    QTest::newRow("range, letters: the test's range") << false << "2000"
                                                      << "abc" << QByteArray() << range;
    QTest::newRow("range, start after end: the test's range") << false << "2001"
                                                              << "2000" << QByteArray() << range;
    QTest::newRow("file, as it is now") << true << ""
                                        << "" << QByteArray("3003\n4004") << QStringList{"3003-", "4004-"};
    QTest::newRow("file, emptied meanwhile: nothing") << true << ""
                                                      << "" << QByteArray("") << QStringList{};
}

void TestLoadTest::stopSweepsEveryStationOff()
{
    QFETCH(bool, useFile);
    QFETCH(QString, startBox);
    QFETCH(QString, endBox);
    QFETCH(QByteArray, fileAtStop);
    Test t(ConnectionType::Serial);
    t.loadTest.setUseFile(useFile);
    t.engine->mnuStart_Click();
    t.run(3);
    t.host.serialOutput.clear();
    t.host.terminal.clear();
    t.loadTest.setStartText(startBox);
    t.loadTest.setEndText(endBox);
    t.file = fileAtStop;
    t.engine->mnuStop_Click();
    for (int i = 0; i < 10 && t.engine->loadTestRunning(); ++i)
        t.tick(0); // the serial sweep goes on at every turn of the event loop
    QVERIFY(!t.engine->loadTestRunning());
    QTEST(visits(t.host.serialOutput), "sweep");
    QVERIFY(t.host.terminal.startsWith("<->:14:03:59: Stopping Load Test...\r\n"));
    QVERIFY(t.host.terminal.contains("<->:14:03:59: Load Test Stopped...\r\n<->:14:03:59: Load test: "));
    QCOMPARE(t.host.loadTestPhases, (QList<Phase>{Phase::Running, Phase::Stopping, Phase::Idle}));
    const auto swept = t.host.serialOutput.size();
    t.tick(1000);
    QCOMPARE(t.host.serialOutput.size(), swept); // the test has ended: no more ticks
}

// The message of the last tick is answered before the sweep begins; each of the sweep's messages
// waits for its own answer.
void TestLoadTest::stopWaitsForTheMessageInFlight()
{
    Test t;
    t.engine->mnuStart_Click();
    t.tick(300);
    QCOMPARE(t.host.sent.size(), 1);
    t.engine->mnuStop_Click();
    QCOMPARE(t.host.sent.size(), 1);
    t.answer();
    QCOMPARE(visits(t.host.sent), (QStringList{"1000+", "1000-"}));
    t.tick(5000);
    QCOMPARE(t.host.sent.size(), 2);
    t.answer();
    QCOMPARE(t.host.sent.size(), 3);
    t.tick(10000); // this one is never answered: its timeout ends the wait
    QCOMPARE(t.op.messages.size(), 1);
    QCOMPARE(t.host.sent.size(), 4);
    t.answer();
    QVERIFY(!t.engine->loadTestRunning());
    QCOMPARE(visits(t.host.sent), (QStringList{"1000+", "1000-", "1001-", "1002-"}));
    QCOMPARE(t.engine->loadTestStats().timeouts(), 1);
}

void TestLoadTest::linkLostDuringTheSweepEndsIt()
{
    Test t;
    t.engine->mnuStart_Click();
    t.run(2);
    t.engine->mnuStop_Click();
    QCOMPARE(t.host.sent.size(), 3);
    t.host.state = SocketState::Closed;
    t.engine->onSocketClosed();
    QVERIFY(!t.engine->loadTestRunning());
    QVERIFY(t.host.terminal.endsWith("Load Test Stopped...\r\n<->:14:03:59: Load test: 3 sent, 2 answered "
                                     "(0 negative), 0 timed out; answer time median 0 ms, max 0 ms\r\n"));
    t.tick(20000);
    QVERIFY(t.op.messages.isEmpty()); // no lamp timeout for a link that is gone
    QCOMPARE(t.host.sent.size(), 3);
}

void TestLoadTest::releaseWaitsForTheSweep()
{
    Test t;
    t.engine->mnuStart_Click();
    t.run(1);
    t.host.sent.clear();
    t.engine->connectCommand();
    t.engine->connectCommand(); // pressed again during the sweep: still one release
    QCOMPARE(visits(t.host.sent), QStringList{"1000-"});
    t.answer();
    t.answer();
    t.answer();
    // Sweep 1000 to 1002 (numbers 2 to 4), then the release request numbered 5.
    QCOMPARE(t.host.sent.size(), 4);
    QCOMPARE(t.host.sent.last(), withCheckByte(QByteArray("\x16"
                                                          "6004"
                                                          "0105")));
    const qsizetype stopped = t.host.terminal.indexOf("Load Test Stopped...");
    QVERIFY(stopped > 0 && stopped < t.host.terminal.indexOf("(5) LINK RELEASE REQUEST..."));
}

void TestLoadTest::exitStopsTheTestPausesThenReleases()
{
    Test t;
    t.engine->mnuStart_Click();
    t.run(1);
    bool released = false;
    t.host.whenReleasedForExit = [&released] { released = true; };
    t.engine->releaseForExit();
    for (int i = 0; i < 3; ++i) {
        t.tick(2000); // the sweep takes its time
        t.answer();
    }
    QVERIFY(!t.engine->loadTestRunning());
    t.tick(999);
    QVERIFY(!released);
    QCOMPARE(t.host.sent.size(), 4);
    t.tick(1);
    QVERIFY(released);
    QCOMPARE(t.host.sent.last(), withCheckByte(QByteArray("\x16"
                                                          "6004"
                                                          "0105")));
}

void TestLoadTest::figuresAgreeWithTheAnswers()
{
    Test t;
    t.engine->mnuStart_Click();
    t.tick(300);
    t.clock.advance(7);
    t.answer('3'); // a negative answer still counts as one
    t.tick(300);
    t.clock.advance(2);
    t.answer();
    QCOMPARE(t.host.loadTestFigures,
             QByteArray("2 sent, 2 answered (1 negative), 0 timed out; answer time median 2 ms, max 7 ms"));
}

// The send clock stops with the link and nothing starts it again, not even a new connection: the
// operator sees the figures stand still and stops the test.
void TestLoadTest::lostLinkStallsTheTestUntilStop()
{
    Test t;
    t.engine->mnuStart_Click();
    t.run(2);
    t.host.state = SocketState::Closed;
    t.engine->onSocketClosed();
    t.bringUp();
    t.tick(5000);
    QVERIFY(t.host.sent.isEmpty());
    QVERIFY(t.engine->loadTestRunning());
    t.engine->mnuStop_Click();
    QCOMPARE(visits(t.host.sent), QStringList{"1000-"});
}

using Caller = std::function<void(Test&, bool& goneOn)>;
Q_DECLARE_METATYPE(Caller)

namespace {

// The callers that wait for a stopped test, each telling when it went on.
void addWaitingCallers()
{
    QTest::addColumn<Caller>("caller");
    QTest::newRow("Stop") << Caller([](Test& t, bool& goneOn) {
        t.engine->mnuStop_Click();
        goneOn = true;
    });
    QTest::newRow("connected picture") << Caller([](Test& t, bool& goneOn) {
        t.engine->connectedPictureClicked();
        goneOn = true;
    });
    QTest::newRow("exit") << Caller([](Test& t, bool& goneOn) {
        t.host.whenReleasedForExit = [&goneOn] { goneOn = true; };
        t.engine->releaseForExit();
    });
}

} // namespace

void TestLoadTest::stopAfterALinkLostWithAMessageAwaited_data()
{
    addWaitingCallers();
}

// The message awaited belonged to a connection that is gone, so its answer can never come: with
// the link back, the sweep goes out at once, each message awaiting its own answer; without it,
// the sweep has nothing to reach and the test stops at once.
void TestLoadTest::stopAfterALinkLostWithAMessageAwaited()
{
    QFETCH(Caller, caller);
    for (const bool reconnected : {true, false}) {
        Test t;
        t.engine->mnuStart_Click();
        t.run(1);
        t.tick(300);
        QCOMPARE(visits(t.host.sent), (QStringList{"1000+", "1001+"}));
        t.host.state = SocketState::Error;
        t.engine->onSocketReset();
        if (reconnected) {
            t.tick(2000);
            QCOMPARE(t.host.connects.size(), 2);
            t.host.state = SocketState::Connected;
            t.engine->onSocketConnected();
            t.answer(); // the connect request
        }
        t.host.sent.clear();
        bool goneOn = false;
        caller(t, goneOn);
        if (reconnected) {
            QCOMPARE(visits(t.host.sent), QStringList{"1000-"});
            t.answer();
            t.answer();
            t.answer();
            QCOMPARE(visits(t.host.sent.mid(0, 3)), (QStringList{"1000-", "1001-", "1002-"}));
        } else {
            QVERIFY(t.host.sent.isEmpty());
        }
        QVERIFY(!t.engine->loadTestRunning());
        t.tick(1000); // the exit's pause
        QVERIFY(goneOn);
        QCOMPARE(t.host.loadTestPhases.last(), Phase::Idle);
        QVERIFY(t.op.messages.isEmpty());
        QCOMPARE(t.host.connects.size(), reconnected ? 2 : 1); // nothing connects by itself
    }
}

void TestLoadTest::serialSweepThatLosesItsPortEnds_data()
{
    addWaitingCallers();
}

// The sweep over the serial line goes on from the send clock, which the closed port stops: the
// sweep ends with it, the test is stopped with its figures, and the caller goes on without
// opening the port again.
void TestLoadTest::serialSweepThatLosesItsPortEnds()
{
    QFETCH(Caller, caller);
    for (const bool byTheOperator : {false, true}) {
        Test t(ConnectionType::Serial);
        t.loadTest.setRange(1000, 1099);
        t.engine->mnuStart_Click();
        t.run(2);
        bool goneOn = false;
        caller(t, goneOn);
        t.tick(0); // one message per turn of the event loop
        QCOMPARE(t.host.serialOutput.size(), 4);
        if (byTheOperator) {
            t.engine->connectCommand(); // Port Open
        } else {
            t.host.portOpen = false;
            t.engine->onSerialClosedByError(QStringLiteral("The device went away"));
        }
        t.tick(1000);
        QVERIFY(!t.engine->loadTestRunning());
        QVERIFY(goneOn);
        QVERIFY(!t.host.portOpen);
        QCOMPARE(t.host.serialOutput.size(), 4);
        QVERIFY2(t.host.terminal.endsWith("Load Test Stopped...\r\n<->:14:03:59: Load test: 4 sent\r\n"),
                 t.host.terminal.right(120).constData());
    }
}

QTEST_MAIN(TestLoadTest)
#include "tst_load_test.moc"
