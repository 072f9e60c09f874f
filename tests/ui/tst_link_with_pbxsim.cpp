// The whole tool against the PBX simulator over real loopback TCP and a real pseudo-terminal.
#include "pbxsim_rig.h"

#include "check_byte.h"
#include "frm_break_down.h"
#include "frm_debug.h"
#include "link/link_engine.h"
#include "pbxsim/pbx_simulator.h"
#include "pbxsim/record_catalogue.h"
#include "pty_pair.h"
#include "terminal_view.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTcpServer>

#include <unistd.h>

using namespace zkn;
using zkn::pbxsim::FrameInfo;
using zkn::pbxsim::PbxSimulator;
using zkn::test::connectOverPty;
using zkn::test::kWait;
using zkn::test::LanRig;
using zkn::test::ToolFixture;

namespace {

// The answer a record frame must get, built by hand: SYN, "4005", its device and sequence, the
// code, and the check byte (odd parity).
QByteArray expectedAnswer(const QByteArray& record, char code)
{
    return test::withCheckByte(QByteArray(1, '\x16') + "4005" + record.mid(5, 2) + record.mid(7, 2) + code);
}

// A frame with its check byte under odd parity, from its bytes after SYN.
QByteArray oddParityFrame(const QByteArray& body)
{
    return test::withCheckByte('\x16' + body);
}

} // namespace

class TestLinkWithPbxSim : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wholeLinkLife();
    void resetByThePbxIsToldApartFromAClose();
    void refusedConnectionIsShownAndNotRetried();
    void connectFailingAtOnceIsShownWithoutAConnectLine();
    void answerHandedOverBeforeTheLinkEndsStillLeaves_data();
    void answerHandedOverBeforeTheLinkEndsStillLeaves();
    void recordArrivingWhileABoxIsOpenIsHandledWhenItCloses();
    void exitWithTheLinkUpReleasesItFirst();
    void lanDebugWindowTracesFramesBothWays();
    void recordFromThePbxIsDecodedIntoTheBreakdownWindow();
    void serialRecordsAcrossReadsAreShownOnce();
    void hungUpFarEndClosesThePortQuietly(); // and the next connect opens it again
};

void TestLinkWithPbxSim::wholeLinkLife()
{
    LanRig rig;
    QVERIFY(rig.start(QStringLiteral("0")));
    QVERIFY(rig.connectAndWaitForLink());
    QVERIFY(rig.tool.action("mnuOpen")->isChecked());
    QVERIFY(!rig.tool.action("mnuProperties")->isEnabled());
    QCOMPARE(rig.framesIn('5').first().bytes, QByteArray::fromHex("16 35 30 30 36 30 31 30 30 30 30 FD"));

    // Health checks leave every second and are answered.
    QTRY_VERIFY_WITH_TIMEOUT(rig.framesIn('5').size() >= 2, kWait);
    QCOMPARE(rig.framesIn('5')[1].bytes, QByteArray::fromHex("16 35 30 30 36 30 31 30 31 30 30 FC"));

    // Records are shown and answered byte for byte.
    const QList<QByteArray> texts = pbxsim::catalogueTexts(std::nullopt);
    rig.sim.link().sendRecord(texts.first());
    rig.sim.link().sendRecord(texts.last());
    QTRY_COMPARE_WITH_TIMEOUT(rig.framesIn('4').size(), 2, kWait);
    QList<QByteArray> records;
    for (const FrameInfo& f : rig.out)
        if (f.kind == '2')
            records.append(f.bytes);
    QCOMPARE(records.size(), 2);
    QCOMPARE(rig.framesIn('4')[0].bytes, expectedAnswer(records[0], '0'));
    QCOMPARE(rig.framesIn('4')[1].bytes, expectedAnswer(records[1], '0'));
    QByteArray shown = texts.first();
    shown.replace(' ', '.');
    QVERIFY(rig.terminal().contains(": " + shown + "\r\n"));
    QCOMPARE(rig.sim.stats().checkByteFailures, 0);

    // Release: the PBX answers and closes the connection.
    rig.tool.action("mnuOpen")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(rig.terminal().contains("LINK RELEASED..."), kWait);
    QVERIFY(rig.terminal().contains(") LINK RELEASE REQUEST...\r\n"));
    QVERIFY(rig.terminal().contains(") LINK RELEASE Message Rcv'd: OK\r\n\r\n"));
    QCOMPARE(rig.tool.app->socket().state(), link::SocketState::Closed);
    QVERIFY(!rig.tool.action("mnuOpen")->isChecked());
    QVERIFY(rig.tool.action("mnuProperties")->isEnabled());
    QVERIFY(!rig.tool.window->findChild<QWidget*>(QStringLiteral("frmWait")));
}

// A reset over real TCP is told apart from an orderly close: the tool connects again in 2 s.
void TestLinkWithPbxSim::resetByThePbxIsToldApartFromAClose()
{
    LanRig rig;
    QVERIFY(rig.start(QStringLiteral("30")));
    QVERIFY(rig.connectAndWaitForLink());
    // The answer to the next record is met with a reset instead.
    rig.sim.link().resetAfterFrames(1);
    rig.sim.link().sendRecord(pbxsim::catalogueTexts(std::nullopt).first());
    QTRY_VERIFY_WITH_TIMEOUT(rig.terminal().contains("WARNING!:  ** LINK WAS RESET BY PBX **\r\n"), kWait);
    QVERIFY(rig.terminal().contains("-X-:"));
    QVERIFY(rig.tool.op.messages.isEmpty());
    QVERIFY(rig.tool.app->engine().timers().isActive(link::Timer::Reconnect));
}

void TestLinkWithPbxSim::refusedConnectionIsShownAndNotRetried()
{
    ToolFixture t;
    QVERIFY(t.start());
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 port = closed.serverPort();
    closed.close();
    t.app->connection().setConnectionType(ConnectionType::Lan);
    t.app->connection().setRemoteHost(QStringLiteral("127.0.0.1"));
    t.app->socket().setRemotePort(port);
    t.action("mnuOpen")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(t.op.messages.size(), 1, kWait);
    QCOMPARE(t.op.messages[0].title, QStringLiteral("IP-Error!"));
    QVERIFY(t.op.messages[0].text.contains(QStringLiteral(":Number = 10061")));
    QVERIFY(!t.app->engine().timers().isActive(link::Timer::Reconnect)); // no retry is due
    QCOMPARE(t.window->terminal()->content().count("LINK CONNECT REQUEST..."), 1);
}

void TestLinkWithPbxSim::connectFailingAtOnceIsShownWithoutAConnectLine()
{
    ToolFixture t;
    QVERIFY(t.start());
    t.app->connection().setConnectionType(ConnectionType::Lan);
    // The system refuses a TCP connection to a multicast group inside the connect call.
    t.app->connection().setRemoteHost(QStringLiteral("224.0.0.1"));
    t.action("mnuOpen")->trigger();
    QCOMPARE(t.op.messages.size(), 1);
    QCOMPARE(t.op.messages[0].icon, Operator::Icon::Exclamation);
    QVERIFY(!t.op.messages[0].text.isEmpty());
    QCOMPARE(t.app->socket().state(), link::SocketState::Closed);
    QTest::qWait(100);
    QCOMPARE(t.op.messages.size(), 1);
    QCOMPARE(t.window->terminal()->content(), QByteArray());
    QVERIFY(!t.action("mnuOpen")->isChecked());
}

void TestLinkWithPbxSim::answerHandedOverBeforeTheLinkEndsStillLeaves_data()
{
    QTest::addColumn<QByteArray>("linkEnd");
    QTest::newRow("PBX release request") << oddParityFrame("6004"
                                                           "01"
                                                           "05");
    QTest::newRow("refusal of the device") << oddParityFrame("3005"
                                                             "01"
                                                             "00"
                                                             "2");
}

// A record and the end of the link in one read: the record's answer, queued behind the spacing,
// still leaves before the tool closes the connection.
void TestLinkWithPbxSim::answerHandedOverBeforeTheLinkEndsStillLeaves()
{
    QFETCH(QByteArray, linkEnd);
    ToolFixture t;
    QVERIFY(t.start());
    QTcpServer pbx;
    QVERIFY(pbx.listen(QHostAddress::LocalHost, 0));
    t.app->connection().setConnectionType(ConnectionType::Lan);
    t.app->connection().setRemoteHost(QStringLiteral("127.0.0.1"));
    t.app->connection().setDeviceNumber(QStringLiteral("1"));
    t.app->socket().setRemotePort(pbx.serverPort());
    t.action("mnuOpen")->trigger();
    QVERIFY(pbx.waitForNewConnection(kWait));
    std::unique_ptr<QTcpSocket> link(pbx.nextPendingConnection());
    QByteArray fromTool;
    QTRY_VERIFY_WITH_TIMEOUT((fromTool += link->readAll()).size() == 12, kWait); // the connect request

    const QByteArray record = oddParityFrame("2009"
                                             "01"
                                             "07"
                                             "\x02J 1\x03");
    link->write(record + linkEnd);
    QSignalSpy closedByTool(link.get(), &QTcpSocket::disconnected);
    QTRY_VERIFY_WITH_TIMEOUT((fromTool += link->readAll(), closedByTool.size() == 1), kWait);
    fromTool += link->readAll();
    QCOMPARE(fromTool.mid(12), expectedAnswer(record, '0'));
    QVERIFY(t.window->terminal()->content().endsWith("LINK RELEASED...\r\n"));
}

// A box inside the receive path runs the event loop, and the socket does not report data that
// arrives meanwhile again: the record is still shown and answered as soon as the box closes,
// though nothing else comes from the PBX after it.
void TestLinkWithPbxSim::recordArrivingWhileABoxIsOpenIsHandledWhenItCloses()
{
    LanRig rig;
    QVERIFY(rig.start(QStringLiteral("0")));
    QVERIFY(rig.connectAndWaitForLink());
    const QByteArray text = pbxsim::catalogueTexts(std::nullopt).front();
    bool recordArrivedDuringTheBox = false;
    rig.tool.op.whileShown = [&](const Operator::Message& box) {
        if (!box.text.startsWith(QStringLiteral("Improper sequence received!")))
            return;
        rig.tool.app->debugOptions().setStopHealth(true);
        rig.sim.link().sendRecord(text);
        recordArrivedDuringTheBox = QTest::qWaitFor([&] { return rig.sim.stats().recordsSent == 1; }, kWait);
        QTest::qWait(200); // long enough to reach the tool's socket
    };
    rig.sim.link().addFaultToNextFrame({pbxsim::FrameFault::Type::WrongSequence, 0});
    QTRY_VERIFY_WITH_TIMEOUT(recordArrivedDuringTheBox, kWait);
    QTRY_COMPARE_WITH_TIMEOUT(rig.framesIn('4').size(), 1, 2000);
    QCOMPARE(rig.sim.stats().recordsAnswered, 1);
    QCOMPARE(rig.tool.op.messages.size(), 1);
}

void TestLinkWithPbxSim::exitWithTheLinkUpReleasesItFirst()
{
    LanRig rig;
    QVERIFY(rig.start(QStringLiteral("30")));
    QVERIFY(rig.connectAndWaitForLink());
    rig.tool.op.answers = {Operator::Answer::Yes};
    rig.tool.window->close();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.tool.window->isVisible(), kWait);
    QCOMPARE(rig.framesIn('6').size(), 1);
    const QByteArray shown = rig.terminal();
    QVERIFY(shown.indexOf("LINK RELEASE REQUEST...") < shown.indexOf("LINK RELEASE Message Rcv'd: OK"));
    QVERIFY(shown.indexOf("LINK RELEASE Message Rcv'd: OK") < shown.indexOf("-X-:"));
    QCOMPARE(rig.tool.app->socket().state(), link::SocketState::Closed);
}

void TestLinkWithPbxSim::lanDebugWindowTracesFramesBothWays()
{
    LanRig rig;
    QVERIFY(rig.start(QStringLiteral("30")));
    rig.tool.app->debugOptions().setHexView(true);
    QVERIFY(rig.connectAndWaitForLink());
    const QByteArray trace = rig.tool.window->lanDebugWindow()->view()->content();
    QVERIFY(trace.contains("<- : 16 35 30 30 36 30 31 30 30 30 30 FD \r\n"));
    QVERIFY(trace.contains(" ->: 16 33 30 30 35 30 31 30 30 30 C8 \r\n"));
}

void TestLinkWithPbxSim::recordFromThePbxIsDecodedIntoTheBreakdownWindow()
{
    LanRig rig;
    QVERIFY(rig.start(QStringLiteral("30")));
    QVERIFY(rig.connectAndWaitForLink());
    rig.tool.action("mnuFormat")->trigger();
    FrmBreakDown* window = rig.tool.window->breakDownWindow();
    rig.sim.link().sendRecord(pbxsim::catalogueTexts(pbxsim::RecordLayout::Kra).constFirst());
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QStringLiteral("Format Message Information (KRA)"),
                              kWait);
    QTRY_COMPARE_WITH_TIMEOUT(rig.framesIn('4').size(), 1, kWait); // answered as well
    QVERIFY(!window->findChild<QLabel*>(QStringLiteral("lblTime"))->text().isEmpty());
    QVERIFY(rig.tool.op.messages.isEmpty());
}

void TestLinkWithPbxSim::serialRecordsAcrossReadsAreShownOnce()
{
    zkn::test::PtyPair pty;
    QVERIFY(pty.isValid());
    ToolFixture t;
    QVERIFY(t.start());
    t.app->serial().setPortName(pty.devicePath());
    t.action("mnuOpen")->trigger();
    QVERIFY(t.app->serial().isOpen());
    QVERIFY(t.action("mnuOpen")->isChecked());
    QVERIFY(t.action("mnuSendText")->isEnabled());

    const auto put = [&pty](const QByteArray& bytes) {
        QCOMPARE(::write(pty.master(), bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
    };
    put("AB\r\n\x02"
        "1 ");
    QTest::qWait(150);
    put("2\x03");
    const QByteArray line = "\x02"
                            "1.2\x03\r\n";
    QTRY_VERIFY_WITH_TIMEOUT(t.window->terminal()->content().contains(line), kWait);
    QTest::qWait(150);
    QCOMPARE(t.window->terminal()->content().count(line), 1);
    QVERIFY(t.window->terminal()->content().startsWith("AB\r\n ->:"));

    t.action("mnuOpen")->trigger();
    QVERIFY(!t.app->serial().isOpen());
    QCOMPARE(t.find<QLabel>("Settings")->text(), QStringLiteral("Settings: "));
}

void TestLinkWithPbxSim::hungUpFarEndClosesThePortQuietly()
{
    ToolFixture t;
    PbxSimulator sim;
    QVERIFY(connectOverPty(t, sim));
    QTRY_VERIFY_WITH_TIMEOUT(sim.isLineReady(), kWait);
    sim.hangUp();
    QTRY_VERIFY_WITH_TIMEOUT(!t.app->serial().isOpen(), kWait);
    QTest::qWait(300);
    QVERIFY(!t.action("mnuOpen")->isChecked());
    QVERIFY(t.action("mnuProperties")->isEnabled());
    QVERIFY(t.op.messages.isEmpty());
    // One line says why, and nothing came from the dead line.
    const QByteArray shown = t.window->terminal()->content();
    QVERIFY2(shown.startsWith("-X-:") && shown.count("\r\n") == 1 &&
                 shown.contains(": Serial device " + t.app->serial().systemLocation().toLocal8Bit() +
                                " went away: "),
             shown.constData());

    // The next connect command opens the line again, and records flow as before.
    const QString again = sim.openPty();
    QVERIFY(!again.isEmpty());
    t.app->serial().setPortName(again);
    t.action("mnuOpen")->trigger();
    QVERIFY(t.app->serial().isOpen());
    QTRY_VERIFY_WITH_TIMEOUT(sim.isLineReady(), kWait);
    sim.serial().sendRecord("\x02J 1\x03");
    QTRY_COMPARE_WITH_TIMEOUT(t.window->terminal()->content().count(" ->:"), 1, kWait);
}

QTEST_MAIN(TestLinkWithPbxSim)
#include "tst_link_with_pbxsim.moc"
