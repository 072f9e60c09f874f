// The single-station lamp dialog: its controls offscreen, and its Send against the PBX simulator
// over real loopback TCP and a real pseudo-terminal.
#include "pbxsim_rig.h"

#include "frm_single.h"
#include "model/expansion_option.h"
#include "pbxsim/lamp_board.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace zkn;
using zkn::pbxsim::LampState;
using zkn::test::kWait;
using zkn::test::LanRig;
using zkn::test::ToolFixture;

namespace {

// The dialog of a started tool, shown.
struct Dialog
{
    ToolFixture& t;
    frmSingle* window = t.window->singleStationWindow();

    explicit Dialog(ToolFixture& tool) : t(tool) {}

    QLineEdit* box(const char* name) const { return window->findChild<QLineEdit*>(QLatin1String(name)); }
    QRadioButton* option(const char* name) const
    {
        return window->findChild<QRadioButton*>(QLatin1String(name));
    }
    QCheckBox* expansion() const { return window->findChild<QCheckBox*>(QStringLiteral("chkIndex246")); }
    void click(const char* button) const { window->findChild<QPushButton*>(QLatin1String(button))->click(); }
    void open() const
    {
        t.action("mnuCMWL")->trigger();
        QVERIFY(QTest::qWaitForWindowActive(window));
    }
    void enter(const char* from, const char* to) const
    {
        box("txtStn1")->setText(QLatin1String(from));
        box("txtStn2")->setText(QLatin1String(to));
    }
};

} // namespace

class TestLampControl : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stationsComeFromTheLastRunAndQuitStoresThem();
    void theTwoGroupsExcludeEachOther();
    void stationBoxesTakeDigitsHashAndStarOnly();
    void expansionOptionWidensAndCutsTheBoxes();
    void dialogSitsAtTheMainWindowsBottomRight();
    void sendWithoutAnOptionAsksForOne();
    void sendSwitchesTheSimulatorsLamps_data();
    void sendSwitchesTheSimulatorsLamps();
    void sendWithoutTheLinkSavesTheStationsAndHides();
};

void TestLampControl::stationsComeFromTheLastRunAndQuitStoresThem()
{
    ToolFixture t;
    t.storeBefore({{QStringLiteral("Properties/StnA"), QStringLiteral("4711")},
                   {QStringLiteral("Properties/StnB"), QStringLiteral(" ")}});
    QVERIFY(t.start());
    Dialog d(t);
    QCOMPARE(d.box("txtStn1")->text(), QStringLiteral("4711"));
    QCOMPARE(d.box("txtStn2")->text(), QStringLiteral(" "));
    d.open();
    d.enter("2000", "");
    d.click("cmdQuit");
    QVERIFY(!d.window->isVisible());
    QCOMPARE(t.stored(QStringLiteral("Properties/StnA")), QStringLiteral("2000"));
    QCOMPARE(t.stored(QStringLiteral("Properties/StnB")), QString());
}

void TestLampControl::theTwoGroupsExcludeEachOther()
{
    ToolFixture t;
    QVERIFY(t.start());
    Dialog d(t);
    d.open();
    QVERIFY(d.option("OptionMWnone")->isChecked());
    QVERIFY(d.option("OptionVMMnone")->isChecked());
    d.option("OptionMWon")->click();
    d.option("OptionVMMoff")->click();
    QVERIFY(d.option("OptionMWnone")->isChecked());
    d.option("OptionMWoff")->click();
    QVERIFY(d.option("OptionVMMnone")->isChecked());
    QVERIFY(d.option("OptionMWoff")->isChecked());
}

void TestLampControl::stationBoxesTakeDigitsHashAndStarOnly()
{
    ToolFixture t;
    QVERIFY(t.start());
    Dialog d(t);
    d.open();
    QLineEdit* box = d.box("txtStn1");
    box->clear();
    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("1a 2#x*9."));
    QCOMPARE(box->text(), QStringLiteral("12#*9"));
    QTest::keyClick(box, Qt::Key_Backspace);
    QCOMPARE(box->text(), QStringLiteral("12#*"));
}

void TestLampControl::expansionOptionWidensAndCutsTheBoxes()
{
    ToolFixture t;
    QVERIFY(t.start());
    t.app->connection().setKraSelected(false);
    Dialog d(t);
    d.open();
    ExpansionOption& option = t.app->expansion();
    d.expansion()->click();
    QVERIFY(option.isEnabled());
    QCOMPARE(d.box("txtStn1")->maxLength(), 8);
    const int wide = d.box("txtStn1")->width();
    d.enter("12345678", "87654321");

    // Cleared from elsewhere (a decoded 6-digit OLV record): the box follows, the texts are cut.
    option.setEnabled(false);
    QVERIFY(!d.expansion()->isChecked());
    QCOMPARE(d.box("txtStn1")->text(), QStringLiteral("123456"));
    QCOMPARE(d.box("txtStn2")->text(), QStringLiteral("876543"));
    QCOMPARE(d.box("txtStn2")->maxLength(), 6);
    QVERIFY(d.box("txtStn1")->width() < wide);
    option.setEnabled(true);
    QVERIFY(d.expansion()->isChecked());
}

void TestLampControl::dialogSitsAtTheMainWindowsBottomRight()
{
    ToolFixture t;
    QVERIFY(t.start());
    Dialog d(t);
    d.open();
    const QRect main = t.window->frameGeometry();
    const QRect own = d.window->frameGeometry();
    QCOMPARE(own.right(), main.right());
    QCOMPARE(own.bottom(), main.bottom());
}

void TestLampControl::sendWithoutAnOptionAsksForOne()
{
    ToolFixture t;
    QVERIFY(t.start());
    Dialog d(t);
    d.open();
    d.click("cmdSend");
    QCOMPARE(t.op.messages.size(), 1);
    QCOMPARE(t.op.messages[0].text, QStringLiteral("Please select an option."));
    QCOMPARE(t.op.messages[0].icon, Operator::Icon::Information);
    QVERIFY(d.window->isVisible());
}

void TestLampControl::sendSwitchesTheSimulatorsLamps_data()
{
    QTest::addColumn<bool>("serial");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QStringList>("stations"); // the stations switched
    QTest::addColumn<bool>("mw");
    QTest::addColumn<bool>("vmm");
    const QStringList single{QStringLiteral("1000")};
    const QStringList range{QStringLiteral("2000"), QStringLiteral("2001"), QStringLiteral("2002")};
    for (const bool serial : {false, true}) {
        const char* line = serial ? "serial" : "TCP";
        QTest::addRow("%s, MW on, one station", line) << serial << "1000"
                                                      << " "
                                                      << "OptionMWon" << single << true << false;
        QTest::addRow("%s, VMM on, a range", line) << serial << "2000"
                                                   << "2002"
                                                   << "OptionVMMon" << range << false << true;
    }
}

void TestLampControl::sendSwitchesTheSimulatorsLamps()
{
    QFETCH(bool, serial);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, choice);
    QFETCH(QStringList, stations);
    QFETCH(bool, mw);
    QFETCH(bool, vmm);
    LanRig rig;
    if (serial) {
        QVERIFY(test::connectOverPty(rig.tool, rig.sim));
        QTRY_VERIFY_WITH_TIMEOUT(rig.sim.isLineReady(), kWait);
    } else {
        QVERIFY(rig.start(QStringLiteral("30")));
        QVERIFY(rig.connectAndWaitForLink());
    }
    Dialog d(rig.tool);
    d.open();
    d.enter(from.toLatin1().constData(), to.toLatin1().constData());
    d.option(choice.toLatin1().constData())->click();
    d.click("cmdSend");
    const LampState expected{mw, vmm};
    for (const QString& station : std::as_const(stations))
        QTRY_COMPARE_WITH_TIMEOUT(rig.sim.lamps().state(station.toLatin1()), expected, kWait);
    QCOMPARE(rig.sim.lamps().stations().size(), stations.size());
    QCOMPARE(rig.sim.stats().lampRejected, 0);
    if (!serial)
        QTRY_VERIFY_WITH_TIMEOUT(rig.terminal().contains(") Lamp Control Message Rcv'd: OK"), kWait);
    QVERIFY(rig.tool.op.messages.isEmpty());
    // Switching off again: the same dialog, the other option.
    d.option(mw ? "OptionMWoff" : "OptionVMMoff")->click();
    d.click("cmdSend");
    for (const QString& station : std::as_const(stations))
        QTRY_COMPARE_WITH_TIMEOUT(rig.sim.lamps().state(station.toLatin1()), LampState{}, kWait);
}

void TestLampControl::sendWithoutTheLinkSavesTheStationsAndHides()
{
    ToolFixture t;
    QVERIFY(t.start());
    t.app->connection().setConnectionType(ConnectionType::Lan);
    Dialog d(t);
    d.open();
    d.enter("3000", "3005");
    d.option("OptionVMMoff")->click();
    d.click("cmdSend");
    QCOMPARE(t.op.messages.size(), 1);
    QCOMPARE(t.op.messages[0].text, QStringLiteral("PBX does not respond, check Host Name or IP address!"));
    QVERIFY(!d.window->isVisible());
    QCOMPARE(t.stored(QStringLiteral("Properties/StnA")), QStringLiteral("3000"));
    QCOMPARE(t.stored(QStringLiteral("Properties/StnB")), QStringLiteral("3005"));
    QVERIFY(t.window->terminal()->content().isEmpty());
}

QTEST_MAIN(TestLampControl)
#include "tst_lamp_control.moc"
