// The link engine on a simulated clock against hand-written frames: connect, health checks,
// resets, release, and the processing of what the PBX sends.
#include "link_fixture.h"

#include "lamp/single_station_request.h"

#include <QTest>

using namespace zkn;
using namespace zkn::link;
using zkn::test::withCheckByte;
using Panel = LinkOutput::PanelId;

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

// Frames of device "01" under odd parity, written out by hand.
using zkn::test::kOkSeq0;
using zkn::test::Link;
const QByteArray kConnectSeq0 = hex("16 35 30 30 36 30 31 30 30 30 30 FD");
const QByteArray kHealthSeq1 = hex("16 35 30 30 36 30 31 30 31 30 30 FC");
const QByteArray kReleaseSeq1 = hex("16 36 30 30 34 30 31 30 31 FD");
const QByteArray kOkSeq1 = hex("16 33 30 30 35 30 31 30 31 30 C9");
const QByteArray kRecord0107 = hex("16 32 30 30 39 30 31 30 37 02 4A 20 31 03 A8");
const QByteArray kRecord0108 = hex("16 32 30 30 39 30 31 30 38 02 4A 20 32 03 A4");
const QByteArray kAnswer0107Normal = hex("16 34 30 30 35 30 31 30 37 30 C8");
const QByteArray kAnswer0107Parity = hex("16 34 30 30 35 30 31 30 37 31 C9");
const QByteArray kAnswer0107Text = hex("16 34 30 30 35 30 31 30 37 33 CB");
const QByteArray kAnswer0108Normal = hex("16 34 30 30 35 30 31 30 38 30 C7");
const QByteArray kAnswer0108Parity = hex("16 34 30 30 35 30 31 30 38 31 C6");
const QString kLampTimeoutText = QStringLiteral("PBX did not respond to Lamp Control.");

} // namespace

using LinkEnd = std::function<void(Link&)>;
Q_DECLARE_METATYPE(LinkEnd)
Q_DECLARE_METATYPE(zkn::ConnectionType)

class TestLinkEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void connectSendsTheRequestAndShowsTheLink();
    void healthCheckCountdown_data();
    void healthCheckCountdown();
    void stopHealthKeepsTheCountdownButSendsNothing();
    void sixMissesCountAndTheSeventhResets();
    void releaseNeverClosedEndsAfterTenSeconds_data();
    void releaseNeverClosedEndsAfterTenSeconds();
    void operatorConnectCancelsAPendingReconnect_data();
    void operatorConnectCancelsAPendingReconnect();
    void resetByThePbxReconnectsWithTheNumberingContinued();
    void connectFailureIsShownWithoutRetry_data();
    void connectFailureIsShownWithoutRetry();
    void brokenFragmentCostsOnlyItself_data();
    void brokenFragmentCostsOnlyItself();
    void responses_data();
    void responses();
    void improperSequenceForgetsEveryPendingRequest();
    void lampControlTimeoutShowsOneBox_data();
    void lampControlTimeoutShowsOneBox();
    void lampAnswerUnderTheTimeoutBoxIsHandledAfterIt();
    void lampControlAnswer_data();
    void lampControlAnswer();
    void lampControlOnTheLine_data();
    void lampControlOnTheLine();
    void singleStationSend_data();
    void singleStationSend();
    void recordAnswers_data();
    void recordAnswers();
    void forcedAnswerAppliesToOneRecordOnly();
    void detailLinesOfARecord();
    void recordWithoutStxIsReportedAndTheRestDropped();
    void connectTimeIsShownAndCleared();
    void transmitLampGoesOutAfterTheLastBlink();
    void serialRecordsAcrossReads();
    void typedKeys_data();
    void typedKeys();
    void serialPortWithoutDsrOrMissing();
    void partialFrameEndsWithTheConnection_data();
    void partialFrameEndsWithTheConnection();
    void dataArrivingWhileABoxIsOpenWaitsItsTurn();
    void dataOfAConnectionReplacedDuringABoxIsDropped();
    void framesLeaveSpaced();
    void answersLeaveBeforeTheClose();
    void exitWaitsForThePbxToClose_data();
    void exitWaitsForThePbxToClose();
};

void TestLinkEngine::connectSendsTheRequestAndShowsTheLink()
{
    Link l;
    l.engine->connectCommand();
    QCOMPARE(l.host.connects, QStringList{QStringLiteral("10.1.2.3")});
    QCOMPARE(l.host.terminal, QByteArray("<- :14:03:59: LINK CONNECT REQUEST...\r\n"));
    QVERIFY(l.host.debugLanEnabled);
    l.host.state = SocketState::Connected;
    l.engine->onSocketConnected();
    QCOMPARE(l.host.sent, QList<QByteArray>{kConnectSeq0});
    QVERIFY(l.host.connected && l.host.connectChecked && !l.host.propertiesEnabled);
    QCOMPARE(l.host.terminal, QByteArray("<- :14:03:59: LINK CONNECT REQUEST...\r\n"
                                         "<->:14:03:59: LINK CONNECTED...\r\n\r\n"
                                         "<- :14:03:59: (0) Connecting as ZKN Device No. (01)...\r\n"));
    l.engine->onSocketData(kOkSeq0);
    QVERIFY(l.host.terminal.endsWith(" ->:14:03:59: (0) Connect Message Rcv'd: OK\r\n\r\n"));
}

void TestLinkEngine::healthCheckCountdown_data()
{
    QTest::addColumn<QString>("interval");
    QTest::addColumn<QStringList>("panels");
    QTest::addColumn<int>("ticksToFirstCheck");
    QTest::newRow("5 seconds") << "5"
                               << QStringList{"HC: 5", "HC: 4", "HC: 3", "HC: 2", "HC: 1", "HC: 0", "HC: 5"}
                               << 6;
    QTest::newRow("1 second") << "1" << QStringList{"HC: 1", "HC: 0", "HC: 1", "HC: 0"} << 2;
    QTest::newRow("0: every tick") << "0" << QStringList{"HC: 0", "HC: 0", "HC: 0"} << 1;
    QTest::newRow("empty: every tick") << "" << QStringList{"HC: 0", "HC: 0"} << 1;
}

void TestLinkEngine::healthCheckCountdown()
{
    QFETCH(QString, interval);
    QFETCH(QStringList, panels);
    QFETCH(int, ticksToFirstCheck);
    Link l(interval, true);
    l.bringUp();
    QCOMPARE(l.ticksToHealthCheck(), ticksToFirstCheck);
    QCOMPARE(l.host.sent, QList<QByteArray>{kHealthSeq1});
    // The clock started at 14:03:59.
    QCOMPARE(l.host.terminal,
             QByteArray("<- :14:04:" + QByteArray::number(ticksToFirstCheck - 1).rightJustified(2, '0') +
                        ": (1) Health Check...\r\n"));
    l.answerLastHealthCheck();
    while (l.host.panelHistory[Panel::HealthChk].size() < panels.size())
        l.tick();
    QCOMPARE(l.host.panelHistory[Panel::HealthChk], panels);
}

void TestLinkEngine::stopHealthKeepsTheCountdownButSendsNothing()
{
    Link l(QStringLiteral("2"), true);
    l.bringUp();
    l.debug.setStopHealth(true);
    for (int i = 0; i < 9; ++i)
        l.tick();
    QVERIFY(l.host.sent.isEmpty());
    QVERIFY(!l.engine->timers().isActive(Timer::T2));
    QCOMPARE(l.host.panelHistory[Panel::HealthChk],
             (QStringList{"HC: 2", "HC: 1", "HC: 0", "HC: 2", "HC: 1", "HC: 0", "HC: 2", "HC: 1", "HC: 0"}));
}

// Misses count across answered checks; the seventh since the last reset resets the link.
void TestLinkEngine::sixMissesCountAndTheSeventhResets()
{
    Link l(QStringLiteral("0"));
    l.bringUp();
    l.tick(500); // half-way between health checks: each check leaves on a whole second
    const auto miss = [&l] {
        l.tick(500);
        l.tick(500);
    };
    for (int missed = 1; missed <= 6; ++missed) {
        miss();
        QCOMPARE(l.engine->missedHealthChecks(), missed);
        for (int i = 0; missed == 3 && i < 20; ++i) {
            l.tick(500);
            l.answerLastHealthCheck();
            l.tick(500);
        }
    }
    QVERIFY(l.op.messages.isEmpty());
    miss();
    QCOMPARE(l.op.messages.size(), 1);
    QCOMPARE(l.op.messages[0].title, QStringLiteral("Health Check Timout"));
    QCOMPARE(l.op.messages[0].text, QStringLiteral("PBX does not respond to Health Checks."));
    QCOMPARE(l.op.messages[0].icon, Operator::Icon::Critical);
    QCOMPARE(l.engine->missedHealthChecks(), 0);
    QVERIFY(l.host.terminal.endsWith(" ->:14:04:26: WARNING!:  ** RESETTING LINK **\r\n"
                                     "-X-:14:04:26: LINK RELEASED...\r\n"));
    QCOMPARE(l.host.state, SocketState::Closed);
    QVERIFY(!l.host.connected);
    QCOMPARE(l.host.connects.size(), 1);
    l.tick(1999);
    QCOMPARE(l.host.connects.size(), 1);
    l.tick(1);
    QCOMPARE(l.host.connects.size(), 2); // reconnected 2 s after the reset
}

void TestLinkEngine::releaseNeverClosedEndsAfterTenSeconds_data()
{
    QTest::addColumn<int>("answerAfterMs"); // -1: never
    QTest::newRow("answered, not closed") << 3000;
    QTest::newRow("neither answered nor closed") << 0;
}

// The wait window goes 10 s after the release answer, or after the request when none comes.
void TestLinkEngine::releaseNeverClosedEndsAfterTenSeconds()
{
    QFETCH(int, answerAfterMs);
    Link l;
    l.bringUp();
    l.engine->connectCommand();
    if (answerAfterMs >= 0) {
        l.tick(answerAfterMs);
        l.engine->onSocketData(kOkSeq1);
    }
    l.tick(9999);
    QVERIFY(l.host.waitWindow);
    l.tick(1);
    QVERIFY(!l.host.waitWindow);
    QCOMPARE(l.host.state, SocketState::Closed);
    QVERIFY(l.host.terminal.endsWith("LINK RELEASED...\r\n"));
}

void TestLinkEngine::operatorConnectCancelsAPendingReconnect_data()
{
    QTest::addColumn<ConnectionType>("type");
    QTest::newRow("LAN") << ConnectionType::Lan;
    QTest::newRow("Serial") << ConnectionType::Serial;
}

void TestLinkEngine::operatorConnectCancelsAPendingReconnect()
{
    QFETCH(ConnectionType, type);
    Link l;
    l.bringUp();
    l.engine->onSocketReset();
    l.tick(1000);
    l.connection.setConnectionType(type);
    l.engine->connectCommand(); // the operator does not wait
    l.tick(5000);
    // A second connection, or the port just opened closed again by the reconnect.
    QCOMPARE(l.host.connects.size(), type == ConnectionType::Lan ? 2 : 1);
    QCOMPARE(l.host.portOpen, type == ConnectionType::Serial);
}

void TestLinkEngine::resetByThePbxReconnectsWithTheNumberingContinued()
{
    Link l;
    l.bringUp();
    l.host.state = SocketState::Error;
    l.engine->onSocketReset();
    QVERIFY(l.host.terminal.startsWith(" ->:14:03:59: WARNING!:  ** LINK WAS RESET BY PBX **\r\n"
                                       "-X-:14:03:59: LINK RELEASED...\r\n"));
    QCOMPARE(l.host.state, SocketState::Closed);
    l.tick(2000);
    QCOMPARE(l.host.connects.size(), 2);
    l.host.state = SocketState::Connected;
    l.engine->onSocketConnected();
    QCOMPARE(l.host.sent.last(), hex("16 35 30 30 36 30 31 30 31 30 30 FC")); // sequence 01
}

void TestLinkEngine::connectFailureIsShownWithoutRetry_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("failsAtOnce"); // the socket's own description, or none
    QTest::addColumn<int>("connects");
    QTest::addColumn<QByteArray>("terminal");
    QTest::addColumn<QString>("title");
    QTest::addColumn<Operator::Icon>("icon");
    QTest::addColumn<QString>("text");
    const QByteArray request("<- :14:03:59: LINK CONNECT REQUEST...\r\n");
    const QByteArray released("-X-:14:03:59: LINK RELEASED...\r\n");
    QTest::newRow("the socket fails at once")
        << "10.1.2.3"
        << "Invalid operation at current state" << 1 << QByteArray() << QString()
        << Operator::Icon::Exclamation << "Invalid operation at current state";
    QTest::newRow("the connection is refused")
        << "10.1.2.3" << QString() << 1 << request + released << "IP-Error!" << Operator::Icon::Critical
        << "'Connection refused'\r\n@(2026-12-06 14:03:59) :Number = 10061";
    // "0.0.0.0" would quietly reach a program on this very machine.
    QTest::newRow("no host given") << "0.0.0.0" << QString() << 0 << request + released << "IP-Error!"
                                   << Operator::Icon::Critical
                                   << "'The requested address is not valid in its context'\r\n"
                                      "@(2026-12-06 14:03:59) :Number = 10049";
}

void TestLinkEngine::connectFailureIsShownWithoutRetry()
{
    QFETCH(QString, host);
    QFETCH(QString, failsAtOnce);
    Link l;
    l.connection.setRemoteHost(host);
    l.host.connectFailure = failsAtOnce;
    l.engine->connectCommand();
    if (failsAtOnce.isEmpty() && !l.host.connects.isEmpty()) {
        l.host.state = SocketState::Error;
        l.engine->onSocketError(10061, QStringLiteral("Connection refused"));
    }
    QTEST(int(l.host.connects.size()), "connects");
    QTEST(l.host.terminal, "terminal");
    QCOMPARE(l.op.messages.size(), 1);
    QTEST(l.op.messages[0].title, "title");
    QTEST(l.op.messages[0].icon, "icon");
    QTEST(l.op.messages[0].text, "text");
    QCOMPARE(l.host.closes, l.host.connects.size()); // a socket that was started is closed
    QVERIFY(!l.host.connectChecked);
    l.tick(10000);
    QTEST(int(l.host.connects.size()), "connects");
}

namespace {

// A record of device "01", sequence "07", whose text holds `inside` (a 0x16 byte, say).
QByteArray recordHolding(const QByteArray& inside)
{
    const QByteArray text = "\x02J" + inside + '\x03';
    return withCheckByte("\x16"
                         "2" +
                         QByteArray::number(text.size() + 4).rightJustified(3, '0') + "0107" + text);
}

// A record of sequence "07" whose check byte is 0x16: a letter and a Latin-1 character of its
// text chosen to make it.
QByteArray recordEndingInSyn()
{
    const quint8 others = quint8(~recordHolding("AA").back()) ^ 'A' ^ 'A';
    for (char c = 'A'; c <= 'Z'; ++c)
        if (const quint8 d = others ^ quint8(~0x16) ^ quint8(c); d >= 0xA0)
            return recordHolding(QByteArray(1, c) + char(d));
    return {};
}

} // namespace

void TestLinkEngine::brokenFragmentCostsOnlyItself_data()
{
    QTest::addColumn<QList<QByteArray>>("reads");
    QTest::addColumn<QList<QByteArray>>("answers");
    QTest::addColumn<int>("dropped"); // reads dropped for not beginning with SYN
    using Reads = QList<QByteArray>;
    const QByteArray overLong = hex("16 32 39 39 39 30 31");
    const QByteArray both = kAnswer0107Normal;
    QTest::newRow("two frames and a bit in one read, the rest across two")
        << Reads{kRecord0107 + kRecord0108 + kRecord0107.left(4), kRecord0107.mid(4, 7),
                 kRecord0107.mid(11) + kOkSeq1.left(1)}
        << Reads{both, kAnswer0108Normal, both} << 0;
    QTest::newRow("a read not beginning with SYN, junk behind a frame")
        << Reads{"\r\n" + kRecord0107, kRecord0107 + "xyz" + kRecord0108} << Reads{both} << 2;
    QTest::newRow("lone SYN at the end of a read")
        << Reads{kRecord0108 + "\x16", kRecord0107} << Reads{kAnswer0108Normal, both} << 0;
    QTest::newRow("SYN doubled before a frame") << Reads{"\x16" + kRecord0107} << Reads{both} << 0;
    QTest::newRow("over-long length field")
        << Reads{overLong, kRecord0107, kRecord0108} << Reads{both, kAnswer0108Normal} << 0;
    QTest::newRow("over-long length field, the frame behind it split")
        << Reads{overLong + kRecord0107.left(6), kRecord0107.mid(6)} << Reads{both} << 0;
    QTest::newRow("over-long length field, junk, a frame")
        << Reads{overLong, "xy", kRecord0107} << Reads{both} << 0;
    QTest::newRow("no frame's header, the next SYN in a later read")
        << Reads{kRecord0108 + hex("16 41"), "xy", "z" + kRecord0107} << Reads{kAnswer0108Normal, both} << 0;
    // Frames genuinely cut across reads are still put together, 0x16 bytes in them or not.
    const QByteArray synInText = recordHolding(QByteArray("A") + '\x16' + "3005010");
    QTest::newRow("0x16 in the text, cut after it")
        << Reads{synInText.left(12), synInText.mid(12)} << Reads{both} << 0;
    QTest::newRow("0x16 in the text, cut before it")
        << Reads{synInText.left(11), synInText.mid(11)} << Reads{both} << 0;
    const QByteArray synAtEnd = recordEndingInSyn();
    QCOMPARE(synAtEnd.right(1), QByteArray("\x16"));
    QTest::newRow("0x16 check byte, then a frame")
        << Reads{synAtEnd.chopped(1), synAtEnd.right(1) + kRecord0108} << Reads{both, kAnswer0108Normal} << 0;
}

// A stray SYN or a length field that claims too much is a broken fragment: it costs itself, and
// every sound frame behind it, in the same read or a later one, is shown and answered.
void TestLinkEngine::brokenFragmentCostsOnlyItself()
{
    QFETCH(QList<QByteArray>, reads);
    Link l;
    l.bringUp();
    for (const QByteArray& read : reads)
        l.engine->onSocketData(read);
    QTEST(l.host.sent, "answers");
    QCOMPARE(l.host.records.size(), l.host.sent.size());
    QVERIFY(l.op.messages.isEmpty());
    QTEST(l.engine->droppedChunks(), "dropped");
}

void TestLinkEngine::responses_data()
{
    QTest::addColumn<QByteArray>("response");
    QTest::addColumn<bool>("detail");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("linkEnds");
    const QByteArray prefix(" ->:14:04:00: (1) Health Check Message Rcv'd: ");
    QTest::newRow("code 0, quiet without detail") << kOkSeq1 << false << QByteArray() << false;
    QTest::newRow("code 0 with detail") << kOkSeq1 << true << prefix + "OK\r\n\r\n" << false;
    QTest::newRow("code 1 always shown")
        << hex("16 33 30 30 35 30 31 30 31 31 C8") << false << prefix + "** PARITY ERROR **\r\n\r\n"
        << false;
    QTest::newRow("code 7") << hex("16 33 30 30 35 30 31 30 31 37 CE") << false
                            << prefix + "** INVALID RESPONSE NUMBER (7)\r\n\r\n"
                            << false;
    QTest::newRow("code 2 ends the link") << hex("16 33 30 30 35 30 31 30 31 32 CB") << false
                                          << prefix + "** DEVICE ID NOT DEFINED **\r\n\r\n"
                                                      "-X-:14:04:00: LINK RELEASED...\r\n"
                                          << true;
    QTest::newRow("code 4 ends the link") << hex("16 33 30 30 35 30 31 30 31 34 CD") << false
                                          << prefix + "** DEVICE ALREADY IN USE **\r\n\r\n"
                                                      "-X-:14:04:00: LINK RELEASED...\r\n"
                                          << true;
    QTest::newRow("the PBX's release request") << hex("16 36 30 30 34 30 31 30 35 F9") << false
                                               << QByteArray(" ->:14:04:00: PBX Response: Link Release Request...\r\n"
                                                             "-X-:14:04:00: LINK RELEASED...\r\n")
                                               << true;
}

void TestLinkEngine::responses()
{
    QFETCH(QByteArray, response);
    QFETCH(bool, detail);
    Link l(QStringLiteral("0"), detail);
    l.bringUp();
    l.tick(); // health check 1 leaves
    l.host.terminal.clear();
    l.engine->onSocketData(response);
    QTEST(l.host.terminal, "line");
    QTEST(l.host.state == SocketState::Closed, "linkEnds");
    QVERIFY(!l.engine->timers().isActive(Timer::T2));
    QVERIFY(l.op.messages.isEmpty());
    QCOMPARE(l.host.sent.size(), 1); // only the health check: nothing from the PBX is answered
}

void TestLinkEngine::improperSequenceForgetsEveryPendingRequest()
{
    Link l(QStringLiteral("0"));
    l.bringUp();
    l.tick();                                                        // health check 1 pending
    l.engine->onSocketData(hex("16 33 30 30 35 30 31 30 35 30 CD")); // answers sequence 05
    QCOMPARE(l.op.messages.size(), 1);
    QCOMPARE(
        l.op.messages[0].text,
        QStringLiteral("Improper sequence received!\r\nPossibly due to a system reset or CMOD.\r\n05\r\n0"));
    QCOMPARE(l.op.messages[0].title, QString());
    // The health check's own answer now matches nothing either.
    l.engine->onSocketData(kOkSeq1);
    QCOMPARE(l.op.messages.size(), 2);
}

void TestLinkEngine::lampControlTimeoutShowsOneBox_data()
{
    QTest::addColumn<qint64>("elapsed");
    QTest::addColumn<int>("boxes");
    QTest::newRow("just under 10 s: none") << qint64(9999) << 0;
    QTest::newRow("10 s: one") << qint64(10000) << 1;
    QTest::newRow("a minute: still one") << qint64(60000) << 1;
}

void TestLinkEngine::lampControlTimeoutShowsOneBox()
{
    QFETCH(qint64, elapsed);
    QFETCH(int, boxes);
    Link l(QStringLiteral("30"));
    l.bringUp();
    l.sendLampMessage();
    l.host.sent.clear();
    l.tick(elapsed);
    QCOMPARE(l.op.messages.size(), boxes);
    QCOMPARE(l.engine->timers().isActive(Timer::T3), boxes == 0);
    if (boxes == 0)
        return;
    const Operator::Message& box = l.op.messages[0];
    QCOMPARE(box.text, kLampTimeoutText);
    QCOMPARE(box.title, QStringLiteral("Error"));
    QCOMPARE(box.icon, Operator::Icon::Critical);
    QCOMPARE(box.buttons, Operator::Buttons::Ok);
    QVERIFY(l.host.sent.isEmpty()); // the health-check clock is stopped: no check follows
}

// While the box is open the health-check clock still runs and the frame is not yet given up; an
// answer arriving then is handled once the box is closed, still as the lamp answer, and its data
// starts the health-check clock the box had stopped.
void TestLinkEngine::lampAnswerUnderTheTimeoutBoxIsHandledAfterIt()
{
    Link l(QStringLiteral("30"), true);
    l.bringUp();
    const QByteArray answer = l.sendLampMessage();
    l.host.terminal.clear();
    bool clockRanUnderTheBox = false;
    l.op.whileShown = [&](const Operator::Message&) {
        clockRanUnderTheBox = l.engine->timers().isActive(Timer::StatusMonitor);
        l.engine->onSocketData(answer);
    };
    l.tick(10000);
    QVERIFY(clockRanUnderTheBox);
    QCOMPARE(l.op.messages.size(), 1);
    QCOMPARE(l.host.terminal, QByteArray(" ->:14:04:09: (1) Lamp Control Message Rcv'd: OK\r\n\r\n"));
    QVERIFY(l.engine->timers().isActive(Timer::StatusMonitor));
}

void TestLinkEngine::lampControlAnswer_data()
{
    QTest::addColumn<qint64>("newerAfterMs"); // a second lamp frame sent this long after the first; 0: none
    QTest::addColumn<qint64>("answerAfterMs"); // the first frame's answer, after the first frame
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<bool>("stillAwaited"); // T3 runs on after the answer
    const QByteArray ok(" ->:14:04:09: (1) Lamp Control Message Rcv'd: OK\r\n\r\n");
    const QString improper =
        QStringLiteral("Improper sequence received!\r\nPossibly due to a system reset or CMOD.\r\n01\r\n2");
    QTest::newRow("in time") << qint64(0) << qint64(9999) << ok << QStringList() << false;
    QTest::newRow("timed out, still the lamp frame")
        << qint64(0) << qint64(19999)
        << QByteArray(" ->:14:04:19: (1) Lamp Control Message Rcv'd: OK\r\n\r\n")
        << QStringList{kLampTimeoutText} << false;
    QTest::newRow("timed out, a newer lamp frame replaced it")
        << qint64(10000) << qint64(19999) << QByteArray(" ->:14:04:19: (1)  Message Rcv'd: OK\r\n\r\n")
        << QStringList{kLampTimeoutText, improper} << true;
    // The newer frame waits its own 10 s: nothing has timed out 9.999 s after it.
    QTest::newRow("a newer frame before the time-out")
        << qint64(9000) << qint64(18999) << QByteArray(" ->:14:04:18: (1)  Message Rcv'd: OK\r\n\r\n")
        << QStringList{improper} << true;
}

void TestLinkEngine::lampControlAnswer()
{
    QFETCH(qint64, newerAfterMs);
    QFETCH(qint64, answerAfterMs);
    Link l(QStringLiteral("30"), true);
    l.bringUp();
    const QByteArray answer = l.sendLampMessage();
    QVERIFY(l.engine->timers().isActive(Timer::T3));
    if (newerAfterMs > 0) {
        l.tick(newerAfterMs);
        l.sendLampMessage();
    }
    l.tick(answerAfterMs - newerAfterMs);
    l.host.terminal.clear();
    l.engine->onSocketData(answer);
    QTEST(l.host.terminal, "line");
    QStringList boxes;
    for (const Operator::Message& box : std::as_const(l.op.messages))
        boxes.append(box.text);
    QTEST(boxes, "boxes");
    QTEST(l.engine->timers().isActive(Timer::T3), "stillAwaited");
    l.engine->onSocketData(answer); // an answer is matched once
    QCOMPARE(l.op.messages.size(), boxes.size() + 1);
}

void TestLinkEngine::lampControlOnTheLine_data()
{
    QTest::addColumn<ConnectionType>("type");
    QTest::addColumn<bool>("kra");
    QTest::addColumn<bool>("expansion");
    QTest::addColumn<bool>("dsr");
    QTest::addColumn<QByteArray>("sent");     // the frame on TCP, the bare message on the serial line
    QTest::addColumn<QByteArray>("terminal"); // after the time stamp

    const auto L = ConnectionType::Lan;
    const auto S = ConnectionType::Serial;
    // Device "1", the first number after the connect request's 0, odd parity.
    QTest::newRow("TCP, KRA: tagged, length 022")
        << L << true << false << true
        << withCheckByte(hex("16 31 303232 3031 3031 02 302141 3031 3031 36 3032 3034 31303030 03"))
        << QByteArray("\x02"
                      "0!A0101602041000\x03");
    QTest::newRow("TCP, OLV: fixed fields, blanks shown as dots")
        << L << false << false << true
        << withCheckByte(hex("16 31 303232 3031 3031 02 302141 36 31303030 2020202020202020 03"))
        << QByteArray("\x02"
                      "0!A61000........\x03");
    QTest::newRow("TCP, OLV, expansion: 32 characters, length 036")
        << L << false << true << true
        << withCheckByte(hex("16 31 303336 3031 3031 02 302141 36 31303030") + QByteArray(22, ' ') + '\x03')
        << QByteArray("\x02"
                      "0!A61000" +
                      QByteArray(22, '.') + '\x03');
    QTest::newRow("serial, OLV: the message bare") << S << false << false << true
                                                   << QByteArray("\x02"
                                                                 "0!A61000        \x03")
                                                   << QByteArray("\x02"
                                                                 "0!A61000........\x03");
    QTest::newRow("serial, KRA: the form goes by the PBX") << S << true << false << true
                                                           << QByteArray("\x02"
                                                                         "0!A0101602041000\x03")
                                                           << QByteArray("\x02"
                                                                         "0!A0101602041000\x03");
    QTest::newRow("serial without DSR: nothing, and the sweep goes on")
        << S << false << false << false << QByteArray() << QByteArray();
}

void TestLinkEngine::lampControlOnTheLine()
{
    QFETCH(ConnectionType, type);
    QFETCH(bool, kra);
    QFETCH(bool, expansion);
    QFETCH(bool, dsr);
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, terminal);
    Link l(QStringLiteral("30"));
    l.connection.setKraSelected(kra);
    l.expansion.setEnabled(expansion);
    if (type == ConnectionType::Lan) {
        l.bringUp();
    } else {
        l.connection.setConnectionType(type);
        l.host.portOpen = true;
    }
    // A load test over one station stopped at once: the switch-off sweep's one message.
    l.loadTest.setRange(1000, 1000);
    l.engine->mnuStart_Click();
    l.host.dsr = dsr;
    l.host.txBlinks = 0;
    l.engine->mnuStop_Click();
    const QList<QByteArray> onTheLine = type == ConnectionType::Lan ? l.host.sent : l.host.serialOutput;
    QCOMPARE(onTheLine, sent.isEmpty() ? QList<QByteArray>() : QList<QByteArray>{sent});
    const QByteArray line = "<- :14:03:59: " + terminal + "\r\n";
    QCOMPARE(l.host.terminal.contains(line), !terminal.isEmpty());
    QCOMPARE(l.engine->timers().isActive(Timer::T3), type == ConnectionType::Lan);
}

namespace {

// How the line stands when the dialog's Send is clicked.
enum class Line
{
    TcpUp,        // the link stands
    TcpDown,      // no connection
    SerialOpen,   // port open, DSR held
    SerialClosed, // port closed; it opens and holds DSR
    SerialNoDsr,  // port open, DSR down
    SerialMissing // port closed; no such device
};

} // namespace

Q_DECLARE_METATYPE(Line)
Q_DECLARE_METATYPE(zkn::lamp::SingleStationRequest)

void TestLinkEngine::singleStationSend_data()
{
    using lamp::LampAction;
    QTest::addColumn<Line>("line");
    QTest::addColumn<bool>("expansion");
    QTest::addColumn<lamp::SingleStationRequest>("request");
    QTest::addColumn<QByteArray>("sent");     // the frame on TCP, the bare message on the serial line
    QTest::addColumn<QByteArray>("terminal"); // after the time stamp
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("quits");

    const auto request = [](const char* from, const char* to, LampAction mw, LampAction vmm) {
        return lamp::SingleStationRequest{from, to, mw, vmm};
    };
    const auto none = LampAction::NoChange;
    const QString noDsr = QStringLiteral("MODEM/PBX not connected, check cable!");

    QTest::newRow("no option chosen")
        << Line::TcpUp << false << request("1000", " ", none, none) << QByteArray() << QByteArray()
        << QStringLiteral("Please select an option.") << false;
    // TCP: tagged, the frame shown from STX without its check byte, blanks as they are.
    QTest::newRow("TCP, range 1000 to 1010, MW off")
        << Line::TcpUp << false << request("1000", "1010", LampAction::Off, none)
        << withCheckByte(
               hex("16 31 303330 3031 3031 02 302141 3031 3031 35 3032 3034 31303030 3033 3034 31303130 03"))
        << QByteArray("\x02"
                      "0!A010150204100003041010\x03")
        << QString() << false;
    QTest::newRow("TCP, second box one blank: no field 03")
        << Line::TcpUp << false << request("1000", " ", none, LampAction::On)
        << withCheckByte(hex("16 31 303232 3031 3031 02 302141 3031 3031 32 3032 3034 31303030 03"))
        << QByteArray("\x02"
                      "0!A0101202041000\x03")
        << QString() << false;
    QTest::newRow("TCP, expansion does not change the tagged form")
        << Line::TcpUp << true << request("12345678", "", LampAction::On, none)
        << withCheckByte(hex("16 31 303236 3031 3031 02 302141 3031 3031 31 3032 3038 3132333435363738 03"))
        << QByteArray("\x02"
                      "0!A010110208"
                      "12345678\x03")
        << QString() << false;
    QTest::newRow("TCP, no connection")
        << Line::TcpDown << false << request("1000", " ", LampAction::On, none) << QByteArray()
        << QByteArray() << QStringLiteral("PBX does not respond, check Host Name or IP address!") << true;
    // Serial: fixed fields, shown with dots, no transmit blink.
    QTest::newRow("serial, 1000 alone, MW on")
        << Line::SerialOpen << false << request("1000", " ", LampAction::On, none)
        << QByteArray("\x02"
                      "0!A11000        \x03")
        << QByteArray("\x02"
                      "0!A11000........\x03")
        << QString() << false;
    QTest::newRow("serial, range, VMM off, expansion")
        << Line::SerialOpen << true << request("1000", "1010", none, LampAction::Off)
        << QByteArray("\x02"
                      "0!A61000    1010              \x03")
        << QByteArray("\x02"
                      "0!A61000....1010..............\x03")
        << QString() << false;
    QTest::newRow("serial, the port is opened first")
        << Line::SerialClosed << false << request("1000", " ", none, LampAction::On)
        << QByteArray("\x02"
                      "0!A21000        \x03")
        << QByteArray("\x02"
                      "0!A21000........\x03")
        << QString() << false;
    QTest::newRow("serial without DSR: nothing, the port closed again")
        << Line::SerialNoDsr << false << request("1000", " ", LampAction::On, none) << QByteArray()
        << QByteArray() << noDsr << true;
    QTest::newRow("serial, no such port: only the connect command's box")
        << Line::SerialMissing << false << request("1000", " ", LampAction::On, none) << QByteArray()
        << QByteArray()
        << QStringLiteral(
               "The COMM port you have selected in Connection Properties\r\ndoes not exist on this machine!")
        << false;
    QTest::newRow("serial, seven characters in a field of six")
        << Line::SerialOpen << false << request("1234567", " ", LampAction::On, none) << QByteArray()
        << QByteArray() << QStringLiteral("A station number on the serial line has at most 6 characters.")
        << false;
}

void TestLinkEngine::singleStationSend()
{
    QFETCH(Line, line);
    QFETCH(bool, expansion);
    QFETCH(lamp::SingleStationRequest, request);
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, terminal);
    QFETCH(QString, box);
    Link l(QStringLiteral("30"));
    l.expansion.setEnabled(expansion);
    const bool tcp = line == Line::TcpUp || line == Line::TcpDown;
    if (line == Line::TcpUp) {
        l.bringUp();
    } else if (!tcp) {
        l.connection.setConnectionType(ConnectionType::Serial);
        l.host.portOpen = line == Line::SerialOpen || line == Line::SerialNoDsr;
        l.host.portExists = line != Line::SerialMissing;
        l.host.dsr = line != Line::SerialNoDsr;
    }
    l.engine->sendSingleStation(request);
    QTEST(l.host.singleStationQuits == 1, "quits");

    const QList<QByteArray> onTheLine = tcp ? l.host.sent : l.host.serialOutput;
    QCOMPARE(onTheLine, sent.isEmpty() ? QList<QByteArray>() : QList<QByteArray>{sent});
    QCOMPARE(l.host.terminal, terminal.isEmpty() ? QByteArray() : "<- :14:03:59: " + terminal + "\r\n");
    QStringList boxes;
    for (const Operator::Message& shown : std::as_const(l.op.messages))
        boxes.append(shown.text);
    QCOMPARE(boxes.value(boxes.size() - 1), box);
    QCOMPARE(l.engine->timers().isActive(Timer::T3), tcp && !sent.isEmpty());
    QCOMPARE(l.host.txBlinks, tcp && !sent.isEmpty() ? 1 : 0);
    if (line == Line::SerialNoDsr)
        QVERIFY(!l.host.portOpen);
}

void TestLinkEngine::recordAnswers_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<bool>("ignoreParity");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("parityGood");
    QByteArray bad = kRecord0107;
    bad.back() = '\x00';
    QTest::newRow("good record") << kRecord0107 << false << kAnswer0107Normal << true;
    QTest::newRow("bad check byte") << bad << false << kAnswer0107Parity << false;
    QTest::newRow("bad check byte, parity ignored") << bad << true << kAnswer0107Normal << false;
}

void TestLinkEngine::recordAnswers()
{
    QFETCH(QByteArray, record);
    QFETCH(bool, ignoreParity);
    Link l;
    l.bringUp();
    l.debug.setIgnoreParity(ignoreParity);
    l.engine->onSocketData(record);
    QCOMPARE(l.host.sent.size(), 1);
    QTEST(l.host.sent[0], "answer");
    QCOMPARE(l.host.records.size(), 1);
    QCOMPARE(l.host.records[0].first, QByteArray("\x02J.1\x03"));
    QTEST(l.host.records[0].second, "parityGood");
    QCOMPARE(l.engine->recordText(), QByteArray("\x02J.1\x03"));
}

void TestLinkEngine::forcedAnswerAppliesToOneRecordOnly()
{
    Link l;
    l.bringUp();
    l.debug.setForcedAnswer(DebugOptions::ForcedAnswer::ParityError);
    l.engine->onSocketData(kRecord0108 + kRecord0108);
    QCOMPARE(l.host.sent, (QList<QByteArray>{kAnswer0108Parity, kAnswer0108Normal}));
    l.debug.setForcedAnswer(DebugOptions::ForcedAnswer::InvalidText);
    l.engine->onSocketData(kRecord0107 + kRecord0107);
    QCOMPARE(l.host.sent.mid(2), (QList<QByteArray>{kAnswer0107Text, kAnswer0107Normal}));
    QCOMPARE(l.debug.forcedAnswer(), DebugOptions::ForcedAnswer::Normal);
}

void TestLinkEngine::detailLinesOfARecord()
{
    Link l(QStringLiteral("5"), true);
    l.bringUp();
    l.engine->onSocketData(kRecord0107);
    QCOMPARE(l.host.terminal, QByteArray(" ->:14:03:59: \x02J.1\x03\r\n"
                                         "            : Sequence_ID: <07>    Byte_Length: <009>"
                                         "    Received_Parity: <A8h>    Calculated_Parity: <A8h>\r\n"
                                         "<- :14:03:59: J-Record Received NORMAL\r\n\r\n"));
    // A check byte below 16 shows as one hex digit.
    QByteArray bad = kRecord0108;
    bad.back() = '\x0B';
    l.host.terminal.clear();
    l.engine->onSocketData(bad);
    QVERIFY(l.host.terminal.contains("Received_Parity: <Bh>    Calculated_Parity: <A4h>\r\n"
                                     "<- :14:03:59: ** PARITY ERROR **\r\n\r\n"));
}

void TestLinkEngine::recordWithoutStxIsReportedAndTheRestDropped()
{
    Link l;
    l.bringUp();
    // A record frame of length 5 whose data holds no STX, then a good record.
    const QByteArray data = hex("16 32 30 30 35 30 31 30 37 25 00") + kRecord0108;
    l.engine->onSocketData(data);
    QCOMPARE(l.op.messages.size(), 1);
    QCOMPARE(l.op.messages[0].title, QStringLiteral("Error"));
    QCOMPARE(l.op.messages[0].icon, Operator::Icon::Critical);
    QCOMPARE(l.op.messages[0].text,
             QStringLiteral("Error # 5 was generated by ZKN-Control Tool\r @2026-12-06 14:03:59\r") +
                 QString::fromLatin1(data) +
                 QStringLiteral(":(ProcessZKNPacket)\rInvalid procedure call or argument"));
    QVERIFY(l.host.sent.isEmpty());
    l.engine->onSocketData(kRecord0108);
    QCOMPARE(l.host.sent, QList<QByteArray>{kAnswer0108Normal});
}

void TestLinkEngine::connectTimeIsShownAndCleared()
{
    Link l;
    l.bringUp();
    for (int i = 0; i < 5; ++i)
        l.tick();
    QCOMPARE(l.host.panels[Panel::ConnectTime], QStringLiteral("00:00:05"));
    l.engine->onSocketClosed();
    QCOMPARE(l.host.panels[Panel::ConnectTime], QString());
    QCOMPARE(l.host.panels[Panel::Settings], QStringLiteral("Settings: "));
}

void TestLinkEngine::typedKeys_data()
{
    QTest::addColumn<ConnectionType>("type");
    QTest::addColumn<bool>("portOpen");
    QTest::addColumn<bool>("echo");
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<QByteArray>("terminal");
    QTest::addColumn<QString>("box");
    const auto S = ConnectionType::Serial;
    QTest::newRow("serial: sent, shown when the far end echoes it")
        << S << true << false << QByteArray("A") << QByteArray() << QString();
    QTest::newRow("serial, local echo: sent and shown")
        << S << true << true << QByteArray("A") << QByteArray("A") << QString();
    QTest::newRow("serial, a control character as it is")
        << S << true << false << QByteArray("\x03") << QByteArray() << QString();
    QTest::newRow("serial, port closed")
        << S << false << true << QByteArray() << QByteArray() << QStringLiteral("Serial port NOT connected!");
    QTest::newRow("TCP: nothing") << ConnectionType::Lan << true << true << QByteArray() << QByteArray()
                                  << QString();
}

void TestLinkEngine::typedKeys()
{
    QFETCH(ConnectionType, type);
    QFETCH(bool, portOpen);
    QFETCH(bool, echo);
    QFETCH(QByteArray, written);
    QFETCH(QString, box);
    Link l;
    l.connection.setConnectionType(type);
    l.connection.setEcho(echo);
    l.host.portOpen = portOpen;
    l.engine->typedOnTerminal(written.isEmpty() ? QByteArray("A") : written);
    QCOMPARE(l.host.serialOutput, written.isEmpty() ? QList<QByteArray>() : QList<QByteArray>{written});
    QTEST(l.host.terminal, "terminal");
    QCOMPARE(l.host.txBlinks, written.isEmpty() ? 0 : 1);
    QCOMPARE(l.op.messages.size(), box.isEmpty() ? 0 : 1);
    if (!box.isEmpty()) {
        QCOMPARE(l.op.messages[0].text, box);
        QCOMPARE(l.op.messages[0].icon, Operator::Icon::Critical);
    }
}

// The transmit lamp lights once and goes out 50 ms after the last thing sent.
void TestLinkEngine::transmitLampGoesOutAfterTheLastBlink()
{
    Link l;
    l.connection.setConnectionType(ConnectionType::Serial);
    l.host.portOpen = true;
    l.engine->typedOnTerminal("A");
    l.tick(30);
    l.engine->textBlockWritten();
    l.tick(49);
    QVERIFY(l.host.txLamp);
    l.tick(1);
    QVERIFY(!l.host.txLamp);
    QCOMPARE(l.host.txBlinks, 1);
}

void TestLinkEngine::serialRecordsAcrossReads()
{
    Link l;
    l.connection.setConnectionType(ConnectionType::Serial);
    l.engine->connectCommand();
    QVERIFY(l.host.portOpen && l.host.receiving && l.host.connected && !l.host.propertiesEnabled);
    l.engine->onSerialData("AB\r\n\x02"
                           "1 ");
    QCOMPARE(l.host.terminal, QByteArray("AB\r\n"));
    l.engine->onSerialData("2\x03\r\x03");
    QCOMPARE(l.host.terminal, QByteArray("AB\r\n ->:14:03:59: \x02"
                                         "1.2\x03\r\n\x03"));
    QCOMPARE(l.host.records.size(), 1);
    QCOMPARE(l.host.records[0].first, QByteArray("\x02"
                                                 "1.2\x03"));
    // A carrier change drops a half-received record.
    l.engine->onSerialData("\x02half");
    l.engine->onSerialEvent(SerialEvent::CdChange);
    QCOMPARE(l.host.panels[Panel::Status], QStringLiteral("Status: Change in CD Detected"));
    l.engine->onSerialData("\x03");
    QCOMPARE(l.host.records.size(), 1);
    QVERIFY(l.host.sent.isEmpty()); // nothing is answered on a serial line
}

void TestLinkEngine::serialPortWithoutDsrOrMissing()
{
    Link l;
    l.connection.setConnectionType(ConnectionType::Serial);
    l.host.dsr = false;
    l.engine->connectCommand();
    QCOMPARE(l.op.messages.size(), 1);
    QCOMPARE(l.op.messages[0].text,
             QStringLiteral("MODEM/PBX not connected, check COM port settings or cable!"));
    QVERIFY(l.host.portOpen && !l.host.receiving && !l.host.connectChecked && l.host.propertiesEnabled);
    l.engine->connectCommand(); // the next command closes it
    QVERIFY(!l.host.portOpen);

    l.host.portExists = false;
    l.engine->connectCommand();
    QCOMPARE(l.op.messages.size(), 2);
    QCOMPARE(l.op.messages[1].text,
             QStringLiteral("The COMM port you have selected in Connection Properties\r\n"
                            "does not exist on this machine!"));
    QVERIFY(!l.host.connectChecked);
}

void TestLinkEngine::partialFrameEndsWithTheConnection_data()
{
    QTest::addColumn<QByteArray>("lastData");
    QTest::addColumn<LinkEnd>("linkEnds");
    const QByteArray partial = kRecord0108.left(7);
    const auto nothing = [](Link&) {};
    QTest::newRow("PBX release request")
        << hex("16 36 30 30 34 30 31 30 35 F9") + partial << LinkEnd(nothing);
    QTest::newRow("refusal") << hex("16 33 30 30 35 30 31 30 35 32 CF") + partial << LinkEnd(nothing);
    QTest::newRow("closed by the PBX") << partial << LinkEnd([](Link& l) {
        l.host.state = SocketState::Closing;
        l.engine->onSocketClosed();
    });
    QTest::newRow("reset by the PBX") << partial << LinkEnd([](Link& l) {
        l.host.state = SocketState::Error;
        l.engine->onSocketReset();
    });
    QTest::newRow("socket error") << partial << LinkEnd([](Link& l) {
        l.host.state = SocketState::Error;
        l.engine->onSocketError(10053, QStringLiteral("Software caused connection abort"));
    });
    QTest::newRow("health checks unanswered") << partial << LinkEnd([](Link& l) {
        for (int i = 0; i < 20 && l.host.state != SocketState::Closed; ++i)
            l.tick(500);
    });
}

// Bytes of a frame cut short by the end of a connection never reach the next connection.
void TestLinkEngine::partialFrameEndsWithTheConnection()
{
    QFETCH(QByteArray, lastData);
    QFETCH(LinkEnd, linkEnds);
    Link l(QStringLiteral("0"));
    l.bringUp();
    l.engine->onSocketData(lastData);
    linkEnds(l);
    QCOMPARE(l.host.state, SocketState::Closed);
    const auto boxes = l.op.messages.size();

    l.engine->connectCommand();
    l.host.state = SocketState::Connected;
    l.engine->onSocketConnected();
    l.host.terminal.clear();
    l.engine->onSocketData(l.responseToLast());
    QVERIFY2(l.host.terminal.contains(") Connect Message Rcv'd: OK\r\n\r\n"), l.host.terminal.constData());
    l.engine->onSocketData(kRecord0107);
    QCOMPARE(l.host.sent.last(), kAnswer0107Normal);
    QCOMPARE(l.host.records.size(), 1);
    QCOMPARE(l.op.messages.size(), boxes);
}

// A box opened while a chunk is processed runs the event loop; a chunk arriving then is processed
// after the first one, in order, and a frame cut between the two is put together.
void TestLinkEngine::dataArrivingWhileABoxIsOpenWaitsItsTurn()
{
    Link l;
    l.bringUp();
    const QByteArray improper = hex("16 33 30 30 35 30 31 30 35 30 CD");
    l.op.whileShown = [&l](const Operator::Message&) {
        l.engine->onSocketData(kRecord0108.mid(3) + kRecord0107);
    };
    l.engine->onSocketData(improper + kRecord0107 + kRecord0108.left(3));
    QCOMPARE(l.op.messages.size(), 1);
    QCOMPARE(l.host.sent, (QList<QByteArray>{kAnswer0107Normal, kAnswer0108Normal, kAnswer0107Normal}));
    QCOMPARE(l.host.terminal, QByteArray(" ->:14:03:59: \x02J.1\x03\r\n ->:14:03:59: \x02J.2\x03\r\n"
                                         " ->:14:03:59: \x02J.1\x03\r\n"));
    QCOMPARE(l.engine->droppedChunks(), 0);
}

// While a box holds the processing of a chunk, the link is reset and comes up again: what arrived
// before the reset is handled first (its answer has no socket left to leave on), and data of the
// old connection still waiting then is dropped.
void TestLinkEngine::dataOfAConnectionReplacedDuringABoxIsDropped()
{
    Link l;
    l.bringUp();
    l.op.whileShown = [&l](const Operator::Message&) {
        l.host.state = SocketState::Error;
        l.engine->onSocketData(kRecord0108.left(3));
        l.engine->onSocketReset();
        l.engine->onSocketData(kRecord0108.mid(3));
        l.engine->connectCommand();
    };
    l.engine->onSocketData(hex("16 33 30 30 35 30 31 30 35 30 CD") + kRecord0107);
    l.host.state = SocketState::Connected;
    l.engine->onSocketConnected();
    QCOMPARE(l.host.sent.size(), 1);
    QVERIFY(l.host.sent[0].startsWith(hex("16 35 30 30 36"))); // the new connect request
    QCOMPARE(l.host.records.size(), 1);
}

// Each frame leaves 20 ms after it was handed over and after the one before it left; the health
// check's answer time starts when it leaves.
void TestLinkEngine::framesLeaveSpaced()
{
    Link l;
    l.bringUp();
    l.realEngine.setSendSpacing(20);
    l.engine->onSocketData(kRecord0107 + kRecord0108);
    const auto sentAfter = [&l](qint64 ms) {
        l.tick(ms);
        return l.host.sent.size();
    };
    QCOMPARE(sentAfter(19), 0);
    QCOMPARE(sentAfter(1), 1);
    QCOMPARE(sentAfter(19), 1);
    QCOMPARE(sentAfter(1), 2);
    QCOMPARE(l.host.sent, (QList<QByteArray>{kAnswer0107Normal, kAnswer0108Normal}));
    for (int i = 0; i < 10 && !l.engine->timers().isActive(Timer::Pace); ++i)
        l.tick(1000); // until the health check is handed over; a lamp frame behind it
    l.sendLampMessage();
    QCOMPARE(sentAfter(20), 3);
    QCOMPARE(l.host.sent[2], kHealthSeq1);
    QCOMPARE(sentAfter(20), 4);
    l.tick(479);
    QCOMPARE(l.engine->missedHealthChecks(), 0);
    l.tick(1);
    QCOMPARE(l.engine->missedHealthChecks(), 1);
}

// The PBX ends the link behind a record in the same read: the record's answer still leaves, then
// the socket closes gracefully; nothing is answered on the connection after the end.
void TestLinkEngine::answersLeaveBeforeTheClose()
{
    Link l;
    l.bringUp();
    l.realEngine.setSendSpacing(20);
    l.engine->onSocketData(kRecord0107 + hex("16 36 30 30 34 30 31 30 35 F9") + kRecord0108);
    QCOMPARE(l.host.closes, 0);
    l.tick(20);
    QCOMPARE(l.host.sent, QList<QByteArray>{kAnswer0107Normal});
    QCOMPARE(l.host.closes, 1);
    QVERIFY(l.host.lastCloseGraceful);
    l.tick(1000);
    QCOMPARE(l.host.sent.size(), 1);
}

void TestLinkEngine::exitWaitsForThePbxToClose_data()
{
    QTest::addColumn<int>("pbxClosesAfterMs"); // 0: never
    QTest::addColumn<int>("closedAfterMs");
    QTest::newRow("PBX closes after 2 s") << 2000 << 2000;
    QTest::newRow("PBX never closes: 5 s") << 0 << 5000;
}

void TestLinkEngine::exitWaitsForThePbxToClose()
{
    QFETCH(int, pbxClosesAfterMs);
    QFETCH(int, closedAfterMs);
    Link l(QStringLiteral("180"));
    l.bringUp();
    l.engine->releaseForExit();
    QCOMPARE(l.host.releasedForExit, 1);
    l.engine->onSocketData(kOkSeq1);
    int waited = 0;
    l.engine->waitForLinkClosedAtExit();
    while (l.host.closedForExit == 0 && waited < 20000) {
        l.tick(100);
        waited += 100;
        if (waited == pbxClosesAfterMs) {
            l.host.state = SocketState::Closing;
            l.engine->onSocketClosed();
        }
    }
    QCOMPARE(waited, closedAfterMs);
    QCOMPARE(l.host.state, SocketState::Closed);
    QCOMPARE(l.host.terminal.count("LINK RELEASED..."), 1);
}

QTEST_APPLESS_MAIN(TestLinkEngine)
#include "tst_link_engine.moc"
