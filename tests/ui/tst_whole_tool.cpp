// SPDX-License-Identifier: GPL-3.0-or-later
// The whole tool over real transports: against the PBX simulator over loopback TCP, and over a
// real pseudo-terminal whose far end the test plays. The link's rules are proved on a simulated
// clock elsewhere; here the windows show what comes and forward what the operator does.
#include "tool_fixture.h"

#include "display/terminal_line.h"
#include "frm_break_down.h"
#include "frm_cancel_send.h"
#include "frm_debug.h"
#include "frm_lamp_ledger.h"
#include "frm_results.h"
#include "frm_single.h"
#include "indicator.h"
#include "lamp/lamp_message_reader.h"
#include "lamp/load_test_log.h"
#include "lamp/load_test_results.h"
#include "lamp/load_test_results_text.h"
#include "link/frame_builder.h"
#include "link/link_engine.h"
#include "link_pump.h"
#include "pbxsim/captured_link_reader.h"
#include "pbxsim/lamp_faults.h"
#include "pbxsim/link_flood.h"
#include "pbxsim/pbx_simulator.h"
#include "pbxsim/record_catalogue.h"
#include "pty_pair.h"
#include "resync_offer.h"
#include "start_up_options.h"
#include "status_panel.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <sys/ioctl.h>
#include <unistd.h>

using namespace zkn;
using namespace zkn::test;
using zkn::pbxsim::FrameInfo;
using zkn::pbxsim::LampState;
using namespace Qt::StringLiterals;

namespace {

// The lamp messages the simulator received, as "1000+" (VMM on) and "1000-" (off).
QStringList lampVisits(const QList<FrameInfo>& in)
{
    QStringList found;
    for (const FrameInfo& f : in) {
        const qsizetype stx = f.bytes.indexOf('\x02');
        if (f.kind != '1' || stx < 0)
            continue;
        if (const auto lamp = lamp::parseLampMessage(f.bytes.mid(stx, f.bytes.indexOf('\x03') - stx + 1)))
            found.append(QString::fromLatin1(lamp->firstStation) +
                         (lamp->function == lamp::LampFunction::VmmOn ? u'+' : u'-'));
    }
    return found;
}

// A table's rows as shown, their first `columns` cells joined by "|".
QStringList rowsOf(const QAbstractItemView* table, int columns = 99)
{
    const QAbstractItemModel* m = table->model();
    QStringList rows;
    for (int r = 0; r < m->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < std::min(columns, m->columnCount()); ++c)
            cells.append(m->index(r, c).data().toString());
        rows.append(cells.join(u'|'));
    }
    return rows;
}

// The tool's link aimed at the simulator on loopback: LAN, device 1, a health check a minute.
void aimAt(ToolFixture& t, const pbxsim::PbxSimulator& sim)
{
    ConnectionOptions& c = t.app->connection();
    c.setConnectionType(ConnectionType::Lan);
    c.setRemoteHost(QStringLiteral("127.0.0.1"));
    c.setDeviceNumber(QStringLiteral("1"));
    t.app->debugOptions().setHealthCheckIntervalText(QStringLiteral("60"));
    t.app->socket().setRemotePort(sim.serverPort());
}

// The tool started with the pseudo-terminal's device as its port, opened by the connect command.
bool startOverPty(ToolFixture& t, const PtyPair& pty)
{
    if (!pty.isValid() || !t.start())
        return false;
    t.app->serial().setPortName(pty.devicePath());
    t.action("mnuOpen")->trigger();
    return t.app->serial().isOpen() && t.action("mnuOpen")->isChecked();
}

} // namespace

class TestWholeTool : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void againstThePbxSimulatorOverTcp();
    void resultsFollowALoadTest();
    void lampsPutBackAfterAPbxRestart();
    void overAPseudoTerminal();
    void aFloodOfUndecodableRecordsIsOneBoxAndACount();
    void aReplugReopensThePort();
    void propertiesMoveAPortOpenWithoutDsr();
    void aCapturePlayedBack_data();
    void aCapturePlayedBack();
    void aFaultLeavesASnapshot();
    void aFloodOfRecordsIsAnsweredInOrderAndReleased();
};

// Started as a launcher starts it (connect, breakdown window, load test), the link stands, the
// load test runs and is stopped, a record is decoded and answered meanwhile, lamps are switched
// from the dialog, and the exit releases the link first.
void TestWholeTool::againstThePbxSimulatorOverTcp()
{
    ToolFixture t;
    ToolFixture::ini()->setValue(QStringLiteral("Properties/StartSTN"), 1000);
    ToolFixture::ini()->setValue(QStringLiteral("Properties/EndSTN"), 1001);
    QVERIFY(t.start());
    pbxsim::PbxSimulator sim;
    QVERIFY(sim.listen(QHostAddress::LocalHost, 0));
    QList<FrameInfo> frames; // from the tool
    QObject::connect(&sim, &pbxsim::PbxSimulator::frameIn,
                     [&frames](const FrameInfo& f) { frames.append(f); });
    aimAt(t, sim);
    t.app->debugOptions().setHexView(true);
    t.app->loadTestOptions().setDelayMs(20);
    StartUpOptions launcher =
        std::get<StartUpOptions>(readCommandLine({"zkn-tool", "--connect", "--breakdown", "--load-test"}));
    launcher.loadTestPauseMs = 50;
    applyStartUpOptions(launcher, *t.window);

    QVERIFY(eventually([&] { return t.terminal().contains("Connect Message Rcv'd: OK"); }));
    QVERIFY(t.action("mnuOpen")->isChecked() && !t.action("mnuProperties")->isEnabled());
    FrmBreakDown* breakdown = t.window->breakDownWindow();
    QVERIFY(breakdown->isVisible());
    const QByteArray trace = t.window->lanDebugWindow()->view()->content();
    QVERIFY2(trace.contains("<- : 16 ") && trace.contains(" ->: 16 "), trace.constData());

    // The load test over the stored range; a record meanwhile is decoded and answered.
    QVERIFY(eventually([&] { return lampVisits(frames).size() >= 2; }));
    QCOMPARE(lampVisits(frames).mid(0, 2), (QStringList{"1000+", "1001+"}));
    QVERIFY(t.action("StopTest")->isEnabled() && !t.action("mnuConfig")->isEnabled());
    sim.link().sendRecord(pbxsim::catalogueTexts(pbxsim::RecordLayout::Kra).constFirst());
    QVERIFY(eventually([&] { return sim.stats().recordsAnswered == 1; }));
    QVERIFY(eventually([&] { return breakdown->windowTitle() == "Format Message Information (KRA)"; }));

    // Stopped, every lamp of the test is off.
    t.action("mnuStop")->trigger();
    QVERIFY(eventually(
        [&] { return t.action("StartLoadTest")->isEnabled() && !t.action("StopTest")->isEnabled(); }));
    QCOMPARE(sim.lamps().state("1000"), LampState{});
    QCOMPARE(sim.lamps().state("1001"), LampState{});

    // The lamp dialog switches a range.
    t.action("mnuCMWL")->trigger();
    frmSingle* lamps = t.window->singleStationWindow();
    in<QLineEdit>(lamps, "txtStn1")->setText(QStringLiteral("2000"));
    in<QLineEdit>(lamps, "txtStn2")->setText(QStringLiteral("2002"));
    in<QAbstractButton>(lamps, "OptionVMMon")->click();
    in<QAbstractButton>(lamps, "cmdSend")->click();
    for (const QByteArray station : {"2000", "2001", "2002"})
        QVERIFY(eventually([&] { return sim.lamps().state(station) == LampState{false, true}; }));

    // The exit releases the link before the window closes.
    t.op.answers = {Operator::Answer::Yes};
    t.window->close();
    QVERIFY(eventually([&] { return !t.window->isVisible(); }));
    const QByteArray shown = t.terminal();
    QVERIFY(shown.indexOf("LINK RELEASE REQUEST...") < shown.indexOf("LINK RELEASE Message Rcv'd: OK"));
    QVERIFY(shown.indexOf("LINK RELEASE Message Rcv'd: OK") < shown.lastIndexOf("-X-:"));
    QCOMPARE(t.app->socket().state(), link::SocketState::Closed);
    QCOMPARE(sim.stats().checkByteFailures, 0);
}

// The results window, open from before the first test, follows a test against a PBX that answers
// one station with a code and leaves another unanswered, through a stop and a second start, and
// writes what it shows.
void TestWholeTool::resultsFollowALoadTest()
{
    ToolFixture t;
    ToolFixture::ini()->setValue(QStringLiteral("Properties/StartSTN"), 1003);
    ToolFixture::ini()->setValue(QStringLiteral("Properties/EndSTN"), 1005);
    QVERIFY(t.start());
    pbxsim::PbxSimulator sim;
    QVERIFY(sim.listen(QHostAddress::LocalHost, 0));
    sim.link().lampFaults().addCode(*pbxsim::StationSet::parse(QStringLiteral("1003")), 3);
    sim.link().lampFaults().mute(*pbxsim::StationSet::parse(QStringLiteral("1005")));
    aimAt(t, sim);
    t.app->loadTestOptions().setDelayMs(20);
    // Not ten seconds for each message to the muted lamp.
    t.app->engine().timers().setInterval(link::Timer::T3, 200);
    t.action("mnuOpen")->trigger();
    QVERIFY(eventually([&] { return t.terminal().contains("Connect Message Rcv'd: OK"); }));

    t.action("mnuResults")->trigger();
    auto* results = t.window->findChild<frmResults*>();
    QVERIFY(results && results->isVisible());
    auto* note = in<QLabel>(results, "lblNote");
    QCOMPARE(note->text(), QStringLiteral("No load test has run since the tool started."));
    auto* figures = in<QTableWidget>(results, "tblFigures");
    auto* stations = in<QTableWidget>(results, "tblStations");
    const auto shownAsLogged = [&] {
        const lamp::LoadTestLog& log = t.app->engine().lamps().loadTestLog();
        QStringList faults;
        for (const lamp::StationFault& fault : log.results().faults)
            faults.append(lamp::faultRow(fault).join(u'|'));
        return rowsOf(figures).constFirst() == QStringLiteral("Sent|%1").arg(log.count()) &&
               rowsOf(stations) == faults;
    };
    const auto stopped = [&] {
        return t.action("StartLoadTest")->isEnabled() && !t.action("StopTest")->isEnabled();
    };

    t.action("StartLoadTest")->trigger();
    QVERIFY(eventually([&] {
        const QStringList rows = rowsOf(stations);
        return rows.filter(QRegularExpression(u"^1003\\|vmm-on\\|\\d+\\|code 3 \\*\\* INCORRECT TEXT RECV'd "
                                              u"\\*\\*\\|"_s))
                       .size() == 1 &&
               rows.filter(QRegularExpression(u"^1005\\|vmm-on\\|\\d+\\|unanswered\\|"_s)).size() == 1;
    }));
    QVERIFY(!note->isVisible());
    QCOMPARE(rowsOf(figures)
                 .filter(QRegularExpression(u"^    code 3 \\*\\* INCORRECT TEXT RECV'd \\*\\*\\|[1-9]"_s))
                 .size(),
             1);
    t.action("mnuStop")->trigger();
    QVERIFY(eventually(stopped));
    QVERIFY(eventually(shownAsLogged));
    QCOMPARE(rowsOf(stations).filter(QRegularExpression(u"^1005\\|vmm-off\\|\\d+\\|unanswered\\|"_s)).size(),
             1);

    // A second test starts from an empty log, and the window with it.
    t.action("StartLoadTest")->trigger();
    QVERIFY(eventually([&] { return t.app->engine().lamps().loadTestLog().count() >= 4; }));
    t.action("mnuStop")->trigger();
    QVERIFY(eventually(stopped));
    QVERIFY(eventually(shownAsLogged));
    QVERIFY(results->isVisible());

    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("test.csv"));
    const QString png = dir.filePath(QStringLiteral("charts.png"));
    t.op.fileChoices = {csv, png};
    for (int i = 0; i < 2; ++i)
        in<QAbstractButton>(results, "cmdExport")->click();
    QFile written(csv);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(),
             lamp::LoadTestLog::csvHeader() + t.app->engine().lamps().loadTestLog().csvRows());
    // The charts under a heading of the test's start and figures.
    const QImage picture(png);
    QVERIFY(picture.height() > in<QWidget>(results, "splCharts")->height());
    bool headingWritten = false;
    for (int y = 0; y < picture.height() - in<QWidget>(results, "splCharts")->height(); ++y)
        for (int x = 0; x < picture.width() && !headingWritten; ++x)
            headingWritten = picture.pixel(x, y) != qRgb(255, 255, 255);
    QVERIFY(headingWritten);
}

// Lamps switched from the dialog are in the ledger window; the PBX restarts and forgets them, and
// once the link is back the status bar offers them again; a bad lamp map changes nothing; with
// "Resynchronise after reconnect" they go out by themselves.
void TestWholeTool::lampsPutBackAfterAPbxRestart()
{
    ToolFixture t;
    QVERIFY(t.start());
    pbxsim::PbxSimulator sim;
    QVERIFY(sim.listen(QHostAddress::LocalHost, 0));
    aimAt(t, sim);
    const auto connect = [&] {
        const qsizetype links = t.terminal().count("Connect Message Rcv'd: OK");
        t.action("mnuOpen")->trigger();
        return eventually([&] { return t.terminal().count("Connect Message Rcv'd: OK") > links; });
    };
    const auto release = [&] {
        t.action("mnuOpen")->trigger();
        return eventually([&] { return !t.action("mnuOpen")->isChecked(); }, 5000);
    };
    QVERIFY(connect());
    t.app->pump().feed([](link::LinkEngine& engine) {
        engine.singleStation().sendSingleStation(
            {"1000", "1002", lamp::LampAction::On, lamp::LampAction::NoChange});
    });
    QVERIFY(eventually([&] { return sim.lamps().state("1002").mw; }));

    t.action("mnuLampLedger")->trigger();
    auto* ledger = t.window->lampLedgerWindow();
    QVERIFY(ledger->isVisible());
    auto* table = in<QTableView>(ledger, "tblLedger");
    const QStringList confirmed{u"1000|on|confirmed||"_s, u"1001|on|confirmed||"_s, u"1002|on|confirmed||"_s};
    QVERIFY(eventually([&] { return rowsOf(table, 5) == confirmed; }));
    QCOMPARE(in<QLabel>(ledger, "lblSummary")->text(), u"3 stations, 3 lamps, 0 failed"_s);

    // The release request is the PBX's last frame before it restarts.
    sim.link().forgetLampsAfterFrames(1);
    QVERIFY(release());
    QVERIFY(!sim.lamps().state("1000").mw);
    auto* offer = t.window->resyncOffer();
    QVERIFY(!offer->isVisible());
    QVERIFY(connect());
    QVERIFY(eventually([&] { return offer->isVisible(); }));
    QCOMPARE(in<QLabel>(offer, "lblResyncOffer")->text(), u"The lamp ledger holds 3 lamps."_s);
    in<QAbstractButton>(offer, "cmdResyncOffer")->click();
    QVERIFY(!offer->isVisible());
    QVERIFY(eventually(
        [&] { return t.terminal().contains("Resynchronisation: 3 sent, 3 answered: 3 ok, 0 refused"); }));
    for (const char* station : {"1000", "1001", "1002"})
        QVERIFY(sim.lamps().state(station).mw);
    QVERIFY(in<QLabel>(ledger, "lblProgress")->text().startsWith(u"Resynchronisation: 3 sent"_s));

    // A map with a bad line: said, and nothing imported.
    QTemporaryDir dir;
    QFile map(dir.filePath(u"map.csv"_s));
    QVERIFY(map.open(QIODevice::WriteOnly) && map.write("station,MW,VMM\r\n2000,on,\r\n2001,on,dim\r\n") > 0);
    map.close();
    t.op.fileChoices = {map.fileName()};
    in<QAbstractButton>(ledger, "cmdImport")->click();
    QCOMPARE(
        t.op.messages.constLast().text,
        u"The lamp map was not imported:\r\n%1, line 3: a lamp's state is \"dim\"; it is on, off or empty"_s
            .arg(map.fileName()));
    // The window follows a few times a second: the resynchronisation's last answer shows too.
    QVERIFY(eventually([&] { return rowsOf(table, 5) == confirmed; }));

    // Sent by themselves after the next reconnect, once the operator asked for that.
    in<QAbstractButton>(ledger, "chkResyncOnReconnect")->click();
    QCOMPARE(ToolFixture::ini()->value(u"LampLedger/ResyncAfterReconnect"_s).toString(), u"1"_s);
    sim.link().forgetLampsAfterFrames(1);
    QVERIFY(release());
    QVERIFY(connect());
    QVERIFY(eventually([&] { return t.terminal().count("Resynchronisation: 3 sent, 3 answered") == 2; }));
    QVERIFY(!offer->isVisible());
    QVERIFY(sim.lamps().state("1001").mw);

    // Forget asks first.
    t.op.answers = {Operator::Answer::Yes};
    in<QAbstractButton>(ledger, "cmdForget")->click();
    QVERIFY(eventually([&] { return rowsOf(table).isEmpty(); }));
    QVERIFY(!in<QAbstractButton>(ledger, "cmdResync")->isEnabled());
}

// An adapter unplugged during a load test and plugged in again under the same stable name: the
// terminal says it went, the test sends nothing while the line is gone, and with "Reopen when the
// port returns" the port opens by itself once the name is back, and records flow.
// A port left open without DSR, moved by Properties to another device: the link knows the new
// port open, so DSR coming makes it connected, and the lamp dialog writes to it rather than
// running the connect command; DSR gone, the dialog says so and the connect command closes it.
void TestWholeTool::propertiesMoveAPortOpenWithoutDsr()
{
    PtyPair first, second;
    ToolFixture t;
    QVERIFY(first.isValid() && second.isValid() && t.start());
    int farLines = 0; // what the far end holds up: nothing yet
    t.app->serial().setModemLineReader([&farLines](int) { return std::optional<int>(farLines); });
    t.app->serial().setPortName(first.devicePath());
    t.action("mnuOpen")->trigger();
    QVERIFY(eventually([&] { return t.action("mnuProperties")->isEnabled(); }));
    QCOMPARE(t.op.messages.last().text,
             QStringLiteral("MODEM/PBX not connected, check COM port settings or cable!"));
    QVERIFY(t.app->serial().isOpen());

    // The new device's far end holds DSR from the start: no line event says so.
    t.action("mnuProperties")->trigger();
    frmProperties* properties = t.window->properties();
    in<QComboBox>(properties, "cboPort")->setCurrentText(second.devicePath());
    farLines = TIOCM_DSR;
    in<QAbstractButton>(properties, "cmdOK")->click();
    QCOMPARE(t.app->serial().portName(), second.devicePath());
    QVERIFY(t.app->serial().isOpen() && t.action("mnuOpen")->isChecked());
    const auto status = [&t] { return in<StatusPanel>(t.window.get(), "Status")->text(); };
    const auto dsrLamp = [&t] { return in<Indicator>(t.window.get(), "DsrLED")->isOn(); };
    QVERIFY2(eventually([&] { return status() == QStringLiteral("Status: Connected") && dsrLamp(); }),
             qPrintable(status()));

    const qsizetype boxes = t.op.messages.size();
    t.action("mnuCMWL")->trigger();
    frmSingle* lamps = t.window->singleStationWindow();
    in<QLineEdit>(lamps, "txtStn1")->setText(QStringLiteral("2000"));
    in<QAbstractButton>(lamps, "OptionVMMon")->click();
    in<QAbstractButton>(lamps, "cmdSend")->click();
    QByteArray farEnd;
    QVERIFY(eventually([&] { return (farEnd += second.readMaster()).contains("2000"); }));
    QVERIFY(t.app->serial().isOpen());
    QCOMPARE(t.op.messages.size(), boxes);
    QVERIFY(first.readMaster().isEmpty());

    farLines = 0;
    QVERIFY(eventually([&] { return status() == QStringLiteral("Status: Disconnected"); }));
    in<QAbstractButton>(lamps, "cmdSend")->click();
    QVERIFY(eventually([&] { return !t.app->serial().isOpen(); }));
    QCOMPARE(t.op.messages.last().text, QStringLiteral("MODEM/PBX not connected, check cable!"));
}

void TestWholeTool::aReplugReopensThePort()
{
    QTemporaryDir byId;
    const QString name = byId.filePath(u"usb-FTDI_FT232R_USB_UART_A12345-if00-port0"_s);
    auto first = std::make_unique<PtyPair>();
    QVERIFY(QFile::link(first->devicePath(), name));
    ToolFixture t;
    ToolFixture::ini()->setValue(u"Properties/ReopenPort"_s, u"True"_s);
    QVERIFY(t.start());
    t.app->serial().setPortName(name);
    t.app->loadTestOptions().setDelayMs(20);
    t.action("StartLoadTest")->trigger();
    QVERIFY(eventually([&] { return t.app->engine().lamps().loadTestStats().sent() > 0; }));

    QVERIFY(QFile::remove(name)); // unplugged: udev takes the name away
    first->closeMaster();
    QVERIFY(eventually([&] { return !t.app->serial().isOpen(); }));
    QVERIFY(eventually([&] { return !t.action("mnuOpen")->isChecked(); }));
    QCOMPARE(t.terminal().count(" went away: "), 1);
    const int sent = t.app->engine().lamps().loadTestStats().sent();
    // The name is not back, or names a plain file: nothing happens, nothing is sent.
    QFile plain(name);
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    QTest::qWait(700);
    QVERIFY(!t.app->serial().isOpen() && !t.terminal().contains(" is back: "));
    QVERIFY(plain.remove());
    QCOMPARE(t.app->engine().lamps().loadTestStats().sent(), sent);
    t.action("StopTest")->trigger();
    QVERIFY(eventually([&] { return !t.app->engine().lamps().loadTestRunning(); }));

    PtyPair second;
    QVERIFY(QFile::link(second.devicePath(), name));
    QVERIFY(eventually([&] { return t.app->serial().isOpen() && t.action("mnuOpen")->isChecked(); }, 5000));
    QVERIFY(t.terminal().contains("Serial port " + QFile::encodeName(name) + " is back: opening it again"));
    QVERIFY(!t.app->engine().lamps().loadTestRunning());
    QCOMPARE(t.app->engine().lamps().loadTestStats().sent(), sent);
    QCOMPARE(::write(second.master(), "\x02J 1\x03", 5), ssize_t(5));
    QVERIFY(eventually([&] { return t.terminal().contains("\x02J.1\x03\r\n"); }));
}

// Records from the line, typed keys and a text file to it (shown going out in its cancel window),
// and a far end that hangs up.
void TestWholeTool::overAPseudoTerminal()
{
    PtyPair pty;
    ToolFixture t;
    QVERIFY(startOverPty(t, pty));
    QByteArray farEnd;
    const auto received = [&](qsizetype size) {
        return eventually([&] { return (farEnd += pty.readMaster()).size() >= size; });
    };
    const auto offered = [&] {
        return t.action("mnuSendText")->isEnabled() && t.action("TransmitTextFile")->isEnabled();
    };

    QCOMPARE(::write(pty.master(), "AB\r\n\0021 2\x03", 9), ssize_t(9)); // \002: STX
    const QByteArray line = "\0021.2\x03\r\n";
    QVERIFY(eventually([&] { return t.terminal().contains(line); }));
    QCOMPARE(t.terminal().count(line), 1);

    // A typed key goes to the line; the terminal shows only what the far end sends back.
    const QByteArray before = t.terminal();
    QTest::keyClicks(t.window->terminal(), QStringLiteral("A"));
    QVERIFY(received(1));
    QCOMPARE(farEnd, QByteArray("A"));

    // A text file goes out as it is on disk, with nothing of it shown, and one at a time.
    QByteArray bytes;
    for (int i = 0; i < 3000; ++i)
        bytes += char(i % 256);
    QTemporaryFile file;
    QVERIFY(file.open() && file.write(bytes) == bytes.size());
    file.close();
    t.op.fileChoices = {file.fileName()};
    farEnd.clear();
    QVERIFY(offered());
    t.action("mnuSendText")->trigger();
    auto* sending = t.window->findChild<frmCancelSend*>();
    QVERIFY(sending && sending->isVisible());
    QVERIFY(!offered());
    QVERIFY(received(bytes.size()));
    QVERIFY(eventually([&] { return !sending->isVisible(); }));
    QCOMPARE(farEnd, bytes);
    QVERIFY(offered());
    QCOMPARE(t.terminal(), before);

    // The far end hangs up: the port closes quietly, with one line saying why.
    pty.closeMaster();
    QVERIFY(eventually([&] { return !t.app->serial().isOpen(); }));
    QVERIFY(!t.action("mnuOpen")->isChecked() && t.action("mnuProperties")->isEnabled());
    const QByteArray said = t.terminal().mid(before.size());
    QVERIFY2(said.count("\r\n") == 1 && said.contains(" went away: "), said.constData());

    // The next connect opens the line again, and records flow as before.
    PtyPair again;
    t.app->serial().setPortName(again.devicePath());
    t.action("mnuOpen")->trigger();
    QCOMPARE(::write(again.master(), "\x02J 1\x03", 5), ssize_t(5));
    QVERIFY(eventually([&] { return t.terminal().contains("\x02J.1\x03\r\n"); }));
    QVERIFY(t.op.messages.isEmpty());
}

// A burst of records that cannot be decoded, the breakdown window shown: one box, the others said
// on the terminal as they come, and one more box after it saying how many.
void TestWholeTool::aFloodOfUndecodableRecordsIsOneBoxAndACount()
{
    PtyPair pty;
    ToolFixture t;
    QVERIFY(startOverPty(t, pty));
    t.action("mnuFormat")->setChecked(true);
    t.op.keepOpen = true;
    const QByteArray record = "\x02J 1\x03"; // no layout has a body of one character
    const QByteArray burst = record.repeated(50);
    QCOMPARE(::write(pty.master(), burst.constData(), size_t(burst.size())), ssize_t(burst.size()));
    QVERIFY(eventually([&] { return t.terminal().count("Record not decoded: ") == 49; }));
    QCOMPARE(t.terminal().count("\x02J.1\x03\r\n"), 50);
    QCOMPARE(t.op.messages.size(), 1);
    const QString first = t.op.messages[0].text;
    QCOMPARE(t.terminal().count(": Record not decoded: " + first.simplified().toLatin1() + "\r\n"), 49);

    QVERIFY(t.op.closeBox());
    QCOMPARE(t.op.messages.size(), 2);
    QCOMPARE(t.op.messages[1].text,
             first + "\r\n\r\n49 more decoding errors came while the box was open; the terminal lists them.");
    QCOMPARE(t.op.messages[1].title, t.op.messages[0].title);
    QVERIFY(t.op.closeBox());
    QCOMPARE(t.op.openBoxes(), 0);
    QCOMPARE(t.op.messages.size(), 2);
}

// A session the tool captured, played back to it: unchanged, it does as captured; with the next
// record answer forced to say a parity error (the debug option holds for one answer), exactly
// that answer differs.
void TestWholeTool::aCapturePlayedBack_data()
{
    QTest::addColumn<int>("forced");         // DebugOptions::ForcedAnswer
    QTest::addColumn<QStringList>("report"); // the answer times left out
    QTest::newRow("unchanged") << int(DebugOptions::ForcedAnswer::Normal)
                               << QStringList{"The tool behaved as captured: 4 of its frames compared."};
    QTest::newRow("parity error forced")
        << int(DebugOptions::ForcedAnswer::ParityError)
        << QStringList{
               R"(connection 1, frame 2 of the tool: captured kind 4 seq 00 data "0", now kind 4 seq 00 data "1")",
               "The tool differed from the capture: 1 of its frames."};
}

void TestWholeTool::aCapturePlayedBack()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("session.pcap"));
    ToolFixture t;
    QVERIFY(t.start());
    ConnectionOptions& c = t.app->connection();
    c.setConnectionType(ConnectionType::Lan);
    c.setRemoteHost(QStringLiteral("127.0.0.1"));
    c.setDeviceNumber(QStringLiteral("1"));
    t.app->debugOptions().setHealthCheckIntervalText(QStringLiteral("60"));
    const auto session = [&t](pbxsim::PbxSimulator& pbx, const std::function<bool()>& recordsAnswered) {
        QVERIFY(pbx.listen(QHostAddress::LocalHost, 0));
        t.app->socket().setRemotePort(pbx.serverPort());
        t.action("mnuOpen")->trigger();
        QVERIFY(eventually(recordsAnswered));
        t.action("mnuOpen")->trigger(); // the release
        QVERIFY(eventually([&] { return t.app->socket().state() == link::SocketState::Closed; }));
    };
    {
        pbxsim::PbxSimulator sim;
        sim.link().startRecords(pbxsim::catalogueTexts(pbxsim::RecordLayout::Kra).mid(0, 2), 2, 50);
        t.window->captureTo(path);
        QVERIFY(t.app->capture().isOn() && t.action("mnuCapture")->isChecked());
        session(sim, [&] { return sim.stats().recordsAnswered == 2; });
        t.action("mnuCapture")->trigger();
        QVERIFY(!t.app->capture().isOn());
    }

    auto captured = pbxsim::readCapturedLink(path, link::Parity::Odd);
    QVERIFY(std::holds_alternative<pbxsim::CapturedLink>(captured));
    QFETCH(int, forced);
    t.app->debugOptions().setForcedAnswer(DebugOptions::ForcedAnswer(forced));
    pbxsim::PbxReplay replay(std::get<pbxsim::CapturedLink>(captured), link::Parity::Odd, 1.0, 500);
    pbxsim::PbxSimulator player;
    player.replayInstead(replay);
    int answers = 0;
    bool ended = false;
    QObject::connect(&player, &pbxsim::PbxSimulator::frameIn,
                     [&answers](const FrameInfo& f) { answers += f.kind == '4'; });
    QObject::connect(&player, &pbxsim::PbxSimulator::replayEnded, [&ended] { ended = true; });
    session(player, [&] { return answers == 2; });
    QVERIFY(eventually([&] { return ended; }));
    QStringList seen = replay.report().split('\n');
    seen.removeIf([](const QString& line) { return line.contains(QLatin1String("answer to record")); });
    QFETCH(QStringList, report);
    if (seen != report)
        qInfo("%s", qPrintable(replay.report()));
    QCOMPARE(seen, report);
}

// Snapshot on fault, switched on from the menu and kept: a flood of records with a bad check byte
// over a real socket is one snapshot, named in the terminal once, whose text holds the link's
// lines and frames before it and whose capture holds the connection's frames.
void TestWholeTool::aFaultLeavesASnapshot()
{
    ToolFixture t;
    QVERIFY(t.start());
    t.action("mnuSnapshot")->trigger();
    QCOMPARE(ToolFixture::ini()->value(u"Snapshot/OnFault"_s).toString(), u"1"_s);
    pbxsim::PbxSimulator sim;
    QVERIFY(sim.listen(QHostAddress::LocalHost, 0));
    aimAt(t, sim);
    t.action("mnuOpen")->trigger();
    QVERIFY(eventually([&] { return sim.link().isLinkUp(); }));
    const QList<QByteArray> texts = pbxsim::catalogueTexts(pbxsim::RecordLayout::Kra);
    for (int i = 0; i < 5; ++i)
        sim.link().addFault(sim.link().framesOut() + 1 + i, {pbxsim::FrameFault::Type::CorruptCheckByte, 0});
    sim.link().startRecords(texts.mid(0, 5), 5, 20);
    QVERIFY(eventually([&] { return sim.stats().recordsAnswered == 5; }));
    QVERIFY(eventually([&] { return t.terminal().contains("Snapshot on fault"); }));

    const QRegularExpression named(
        u"Snapshot on fault \\(bad check byte in a record\\): (.+)\\.txt and \\.pcap"_s);
    const QRegularExpressionMatch match = named.match(QString::fromLatin1(t.terminal()));
    QVERIFY2(match.hasMatch(), t.terminal().right(800).constData());
    QCOMPARE(t.terminal().count("Snapshot on fault"), 1);
    const QString base = match.captured(1);
    QVERIFY(
        base.startsWith(qEnvironmentVariable("XDG_DATA_HOME") + u"/ZKN-Control Tool/Snapshots/snapshot-"_s));
    QFile text(base + u".txt"_s);
    QVERIFY(text.open(QIODevice::ReadOnly));
    const QByteArray snapshot = text.readAll();
    QVERIFY2(snapshot.startsWith("Snapshot on fault: bad check byte in a record\r\n"),
             snapshot.left(200).constData());
    QVERIFY(snapshot.contains("LINK CONNECT REQUEST"));
    QVERIFY(snapshot.contains(display::DotBlanks(texts[0])));
    QVERIFY(snapshot.contains(display::sentHexTrace(link::buildStatusFrame("1", 0, link::Parity::Odd))));

    const auto captured = pbxsim::readCapturedLink(base + u".pcap"_s, link::Parity::Odd);
    QVERIFY(std::holds_alternative<pbxsim::CapturedLink>(captured));
    const pbxsim::CapturedLink& connections = std::get<pbxsim::CapturedLink>(captured);
    QCOMPARE(connections.size(), 1);
    QVERIFY(connections[0].frames.size() >= 3); // the connect request, its answer, the first record
    QCOMPARE(connections[0].frames[0].bytes, link::buildStatusFrame("1", 0, link::Parity::Odd));
}

// A PBX sending records as fast as the tool reads them: the tool answers them one after the
// other, none skipped, at its own pace, and a release still ends the link (at its limit, since
// the PBX's answer waits behind the records in the network).
void TestWholeTool::aFloodOfRecordsIsAnsweredInOrderAndReleased()
{
    ToolFixture t;
    QVERIFY(t.start());
    pbxsim::PbxSimulator sim;
    QVERIFY(sim.listen(QHostAddress::LocalHost, 0));
    sim.link().setFlood(*pbxsim::LinkFlood::parse(u"records:max"_s));
    QList<int> answered; // the sequence numbers of the records the tool answered
    bool releaseArrived = false;
    QObject::connect(&sim, &pbxsim::PbxSimulator::frameIn, [&](const FrameInfo& f) {
        if (f.kind == '4')
            answered.append(f.sequenceField.toInt());
        releaseArrived = releaseArrived || f.kind == '6';
    });
    aimAt(t, sim);
    t.app->engine().timers().setInterval(link::Timer::ReleaseLimit, 500);
    t.action("mnuOpen")->trigger();
    QVERIFY(eventually([&] { return answered.size() >= 40; }));
    for (qsizetype i = 1; i < answered.size(); ++i)
        QCOMPARE(answered[i], (answered[i - 1] + 1) % 100);
    QCOMPARE(answered.front(), 0);

    t.action("mnuOpen")->trigger();
    QVERIFY(eventually([&] { return releaseArrived; }, 1000));
    QVERIFY(eventually([&] { return t.app->socket().state() == link::SocketState::Closed; }, 3000));
    QVERIFY(t.terminal().contains("LINK RELEASED..."));
    QCOMPARE(sim.stats().checkByteFailures, 0);
}

QTEST_MAIN(TestWholeTool)
#include "tst_whole_tool.moc"
