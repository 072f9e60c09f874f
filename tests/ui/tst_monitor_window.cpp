// SPDX-License-Identifier: GPL-3.0-or-later
// The Monitor window as a technician uses it: a message centre (played here over a socket, frame by
// frame) relayed to the PBX simulator, and a serial line tapped on two pseudo-terminals. What it
// shows, what it counts and exports, what it refuses, and that the tool's own link waits meanwhile.
#include "check_byte.h"
#include "file_bytes.h"
#include "frm_break_down.h"
#include "frm_monitor.h"
#include "lamp/lamp_control_message.h"
#include "pbxsim/lamp_faults.h"
#include "pbxsim/pbx_simulator.h"
#include "pbxsim/record_catalogue.h"
#include "pty_pair.h"
#include "status_panel.h"
#include "tool_fixture.h"

#include <QBrush>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QTcpServer>
#include <QTcpSocket>

#include <unistd.h>

using namespace zkn;
using namespace zkn::test;
using namespace Qt::StringLiterals;

namespace {

const QString kTime = QStringLiteral("\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d");

// A port nobody listens on now.
quint16 freePort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

// The message centre: frames out as the test writes them, everything the relay passes back kept.
struct MessageCentre
{
    QTcpSocket socket;
    QByteArray received;

    bool connectTo(quint16 port)
    {
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] { received += socket.readAll(); });
        socket.connectToHost(QHostAddress::LocalHost, port);
        return eventually([this] { return socket.state() == QAbstractSocket::ConnectedState; });
    }
    // Sends `frame` and waits for the next one the PBX sends back.
    bool exchange(const QByteArray& frame)
    {
        const qsizetype before = received.count('\x16');
        socket.write(frame);
        return eventually([&] { return received.count('\x16') > before; });
    }
};

struct Monitor : ToolFixture
{
    FrmMonitor* monitor = nullptr;

    bool open()
    {
        if (!start())
            return false;
        action("mnuMonitor")->trigger();
        monitor = window->monitorWindow();
        return monitor->isVisible();
    }
    template <typename W> W* control(const char* name) const { return in<W>(monitor, name); }
    void relayTo(quint16 listenPort, quint16 pbxPort)
    {
        control<QRadioButton>("optRelay")->setChecked(true);
        control<QLineEdit>("txtListenAddress")->setText(QStringLiteral("127.0.0.1"));
        control<QSpinBox>("txtListenPort")->setValue(listenPort);
        control<QLineEdit>("txtPbxHost")->setText(QStringLiteral("127.0.0.1"));
        control<QSpinBox>("txtPbxPort")->setValue(pbxPort);
    }
    QString shown() const { return QString::fromLatin1(monitor->terminal()->content()); }
    QString state() const { return control<QLabel>("lblState")->text(); }
    // The tool's own link commands that wait while a message centre is watched, those enabled.
    QStringList linkCommandsOffered() const
    {
        QStringList offered;
        for (const char* name : {"mnuOpen", "mnuSendText", "TransmitTextFile", "mnuStart", "StartLoadTest"})
            if (action(name)->isEnabled())
                offered.append(QLatin1String(name));
        return offered;
    }
};

} // namespace

class TestMonitorWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void relayedLinkShownCountedAndExported();
    void faultsSaidAndWatchGoesOn_data();
    void faultsSaidAndWatchGoesOn();
    void stoppedWhileThePbxIsLookedUp();
    void tappedLineWithAPortGone();
};

// A whole session through the relay: connect, a health check (hidden but counted), two lamps (one
// refused), a record decoded into the breakdown window without touching the expansion option; the
// log holds what the terminal shows; the choices are kept; the tool's own link waits till Stop.
void TestMonitorWindow::relayedLinkShownCountedAndExported()
{
    Monitor t;
    QVERIFY(t.open());
    pbxsim::PbxSimulator sim;
    QVERIFY(sim.listen(QHostAddress::LocalHost, 0));
    sim.link().lampFaults().addCode(*pbxsim::StationSet::parse(QStringLiteral("1001")), 3);
    const quint16 port = freePort();
    t.relayTo(port, sim.serverPort());
    t.control<QLineEdit>("txtPbxHost")->setText(QStringLiteral("localhost")); // looked up; its IPv4 address
    t.control<QCheckBox>("chkShowHealth")->setChecked(false);
    t.action("mnuFormat")->trigger();
    const QString log = t.configDir.filePath(QStringLiteral("monitor.txt"));
    const QString csv = t.configDir.filePath(QStringLiteral("refused.csv"));
    const QString capture = t.configDir.filePath(QStringLiteral("watch.pcap"));
    t.op.fileChoices = {log, capture, csv};
    t.control<QPushButton>("cmdOpenLog")->click();
    t.control<QCheckBox>("chkCapture")->click();
    QVERIFY(t.control<QCheckBox>("chkCapture")->isChecked());
    t.control<QCheckBox>("chkSnapshot")->click();
    // The menu's Start waits for a configuration, the tool bar's does not.
    const QStringList offered = {"mnuOpen", "StartLoadTest"};
    QCOMPARE(t.linkCommandsOffered(), offered);

    t.control<QPushButton>("cmdStart")->click();
    QVERIFY(eventually([&] { return t.monitor->isMonitoring(); }));
    QCOMPARE(t.linkCommandsOffered(), QStringList());
    QVERIFY(in<StatusPanel>(t.window.get(), "Monitoring")->isVisible());
    QCOMPARE(t.state(), QStringLiteral("Relaying 127.0.0.1 port %1 to the PBX at 127.0.0.1 port %2")
                            .arg(port)
                            .arg(sim.serverPort()));

    MessageCentre mc;
    QVERIFY(mc.connectTo(port));
    QVERIFY(mc.exchange(linkFrame('5', "00", "00")));
    QVERIFY(mc.exchange(linkFrame('5', "01", "00")));
    QVERIFY(mc.exchange(
        linkFrame('1', "02", lamp::lampControlMessage(1000, lamp::LampFunction::VmmOn, true, false))));
    QVERIFY(mc.exchange(
        linkFrame('1', "03", lamp::lampControlMessage(1001, lamp::LampFunction::VmmOn, true, false))));
    const QByteArray record = pbxsim::catalogueTexts(pbxsim::layoutFromName(QStringLiteral("kra"))).value(0);
    const qsizetype before = mc.received.size();
    sim.link().sendRecord(record);
    QVERIFY(eventually([&] { return mc.received.size() > before; }));
    mc.socket.write(linkFrame('4', mc.received.mid(before + 7, 2), "0"));
    QVERIFY(eventually([&] { return t.shown().contains(QStringLiteral("record answer")); }));

    const QStringList expected = {
        "<- :%1: #1 kind 5 connect request dev 01 seq 00 check good  00",
        " ->:%1: #1 kind 3 response        dev 01 seq 00 check good  code 0 OK, answers the connect request "
        "in "
        "\\d+\\.\\d{3} ms",
        "<- :%1: #1 kind 1 lamp message    dev 01 seq 02 check good  VMM on 1000",
        " ->:%1: #1 kind 3 response        dev 01 seq 03 check good  code 3 \\*\\* INCORRECT TEXT RECV'd "
        "\\*\\*, "
        "answers the lamp message in \\d+\\.\\d{3} ms",
        "<->:%1: #1 dev 01 FAULT a negative answer to the lamp message seq 03 \\(VMM on 1001\\): code 3",
        " ->:%1: #1 kind 2 record          dev 01 seq \\d\\d check good  \\x02",
        "<- :%1: #1 kind 4 record answer   dev 01 seq \\d\\d check good  code 0, answers the record in",
    };
    for (const QString& line : expected)
        QVERIFY2(QRegularExpression(line.arg(kTime)).match(t.shown()).hasMatch(),
                 qPrintable(line + "\n" + t.shown()));
    // Health checks are left out of the terminal, not out of the figures.
    QVERIFY(!t.shown().contains(QStringLiteral("health check")));
    QVERIFY(eventually(
        [&] { return t.control<QLabel>("lblFigures")->text().contains(QStringLiteral("health check 1")); },
        3000));
    QCOMPARE(t.control<QLabel>("lblFaults")->text(), QStringLiteral("Faults: 1"));
    // Decoded as the tool decodes its own records; the expansion option stays as it was.
    QCOMPARE(t.window->breakDownWindow()->windowTitle(), QStringLiteral("Format Message Information (KRA)"));
    QVERIFY(!ToolFixture::ini()->contains(QStringLiteral("Debug/ZKNexpansion")));

    // The tables follow within a second; the one shown exports as CSV.
    auto* trouble = t.control<QTableView>("tblTrouble");
    QVERIFY(eventually([&] { return trouble->model()->rowCount() == 1; }, 3000));
    QCOMPARE(t.control<QTableView>("tblLamps")->model()->rowCount(), 2);
    // A refusal shows in its own colour, in the answer's column alone.
    const QAbstractItemModel* rows = trouble->model();
    QCOMPARE(rows->headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("The PBX's answer"));
    QVERIFY(!rows->headerData(0, Qt::Vertical, Qt::DisplayRole).isValid());
    QCOMPARE(rows->index(0, 3).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::darkRed));
    QVERIFY(!rows->index(0, 0).data(Qt::ForegroundRole).isValid());
    QVERIFY(!rows->index(0, 3).data(Qt::ToolTipRole).isValid());
    QCOMPARE(rows->index(0, 0).data().toString(), QStringLiteral("1001"));
    t.control<QPushButton>("cmdExport")->click();
    QVERIFY(QRegularExpression(QStringLiteral("^station,function,set_at,answer\n1001,VMM on,\\d+\\.\\d{6},"
                                              "\"code 3 \\*\\* INCORRECT TEXT RECV'd \\*\\*\"\n$"))
                .match(QString::fromLatin1(fileBytes(csv)))
                .hasMatch());

    t.control<QPushButton>("cmdStop")->click();
    QVERIFY(!t.monitor->isMonitoring());
    QCOMPARE(t.linkCommandsOffered(), offered);
    QVERIFY(!in<StatusPanel>(t.window.get(), "Monitoring")->isVisible());
    QCOMPARE(fileBytes(log), t.monitor->terminal()->content());
    // The capture holds what passed, each frame as it was sent; the refusal left a snapshot.
    const QByteArray captured = fileBytes(capture);
    QVERIFY(captured.startsWith(QByteArray::fromHex("d4c3b2a1")));
    for (const QByteArray& frame :
         {linkFrame('5', "00", "00"), mc.received.left(mc.received.indexOf('\x16', 1))})
        QVERIFY(captured.contains(frame));
    QVERIFY(QRegularExpression(
                QStringLiteral("<->:%1: Snapshot on fault \\(a negative answer to the lamp message "
                               "seq 03 .*\\): .*\\.txt and \\.pcap\r\n")
                    .arg(kTime))
                .match(t.shown())
                .hasMatch());
    QVERIFY(t.op.unexpected.isEmpty());

    // The choices come back in a new window; they are the Monitor's own, apart from the tool's.
    FrmMonitor again(nullptr, t.op, t.app->store());
    QCOMPARE(in<QSpinBox>(&again, "txtListenPort")->value(), int(port));
    QCOMPARE(in<QLineEdit>(&again, "txtPbxHost")->text(), QStringLiteral("localhost"));
    QVERIFY(!in<QCheckBox>(&again, "chkShowHealth")->isChecked());
    QCOMPARE(ToolFixture::ini()->value(QStringLiteral("Monitor/ListenAddress")).toString(),
             QStringLiteral("127.0.0.1"));
}

void TestMonitorWindow::faultsSaidAndWatchGoesOn_data()
{
    QTest::addColumn<QStringList>("set"); // control=text, on the relay form to a free port
    QTest::addColumn<QString>("said");    // how the state begins; none when it watches
    QTest::newRow("the PBX unreachable") << QStringList{} << QString();
    QTest::newRow("address in use") << QStringList{"txtListenPort=taken"}
                                    << "Cannot listen on 127.0.0.1 port %1: ";
    QTest::newRow("no address to listen on")
        << QStringList{"txtListenAddress=here"} << "\"here\" is not an address to listen on.";
    QTest::newRow("a name not given") << QStringList{"txtPbxHost="} << "Name the PBX's host.";
    QTest::newRow("the tool's own link open")
        << QStringList{"mnuOpen=checked"} << "The tool's own link is open: close it";
    const QStringList tap = {"optTap=checked", "cboTapPbxPort=/dev/null", "cboTapMcPort=/dev/zero"};
    QTest::newRow("a tap port not named")
        << QStringList{"optTap=checked", "cboTapPbxPort=/dev/null"} << "Name both tap ports.";
    QTest::newRow("one tap port twice")
        << tap + QStringList{"cboTapMcPort=/dev/null"} << "The two tap ports must differ.";
    QTest::newRow("line settings that are none")
        << tap + QStringList{"txtTapSettings=fast"} << "\"fast\" are not line settings";
}

// Each fault is said in the window and its terminal: one that keeps it from watching leaves the
// tool's own link as it was; one the watch meets on its way is counted, and the watch goes on.
void TestMonitorWindow::faultsSaidAndWatchGoesOn()
{
    QFETCH(QStringList, set);
    QFETCH(QString, said);
    Monitor t;
    QVERIFY(t.open());
    QTcpServer taken;
    QVERIFY(taken.listen(QHostAddress::LocalHost, 0));
    const quint16 port = set.contains("txtListenPort=taken"_L1) ? taken.serverPort() : freePort();
    t.relayTo(port, freePort());
    for (const QString& change : set) {
        const QString name = change.section(u'=', 0, 0), text = change.section(u'=', 1);
        if (auto* box = t.control<QLineEdit>(qPrintable(name)))
            box->setText(text);
        else if (auto* list = t.control<QComboBox>(qPrintable(name)))
            list->setCurrentText(text);
        else if (auto* option = t.control<QRadioButton>(qPrintable(name)))
            option->setChecked(true);
        else if (QAction* item = t.action(qPrintable(name)))
            item->setChecked(true);
    }
    t.control<QPushButton>("cmdStart")->click();
    if (!said.isEmpty()) {
        const QString why = said.arg(port);
        QVERIFY2(t.state().startsWith(why), qPrintable(t.state()));
        QVERIFY(!t.monitor->isMonitoring());
        QVERIFY(t.control<QPushButton>("cmdStart")->isEnabled());
        QVERIFY(t.action("mnuOpen")->isEnabled());
        if (said.startsWith("Cannot"_L1))
            QVERIFY(t.shown().contains(why));
        return;
    }
    // Each connection the PBX does not take is a fault; the relay goes on listening.
    for (int connection = 1; connection <= 2; ++connection) {
        // The relay takes the connection, then resets it when the PBX refuses its own.
        QTcpSocket mc;
        mc.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(eventually([&] { return t.shown().count(QStringLiteral("FAULT")) == connection; }));
        QVERIFY(eventually([&] { return mc.state() == QAbstractSocket::UnconnectedState; }));
    }
    QVERIFY(t.monitor->isMonitoring());
    QCOMPARE(t.control<QLabel>("lblFaults")->text(), QStringLiteral("Faults: 2"));
    QVERIFY(t.state().startsWith(QStringLiteral("Last fault: ")));
}

// A wait for the PBX's address ends with Stop; its late answer starts nothing.
void TestMonitorWindow::stoppedWhileThePbxIsLookedUp()
{
    Monitor t;
    QVERIFY(t.open());
    t.relayTo(freePort(), 60020);
    t.control<QLineEdit>("txtPbxHost")->setText(QStringLiteral("pbx.invalid"));
    t.control<QPushButton>("cmdStart")->click();
    QVERIFY(t.state().startsWith(QStringLiteral("Looking up")));
    QVERIFY(!t.control<QPushButton>("cmdStart")->isEnabled());
    t.control<QPushButton>("cmdStop")->click();
    QVERIFY(t.control<QPushButton>("cmdStart")->isEnabled());
    QTest::qWait(300);
    QVERIFY(!t.monitor->isMonitoring());
    QVERIFY(t.state().contains(QStringLiteral("stopped while the PBX's host was looked up")));
}

// The tap: a record from the PBX's wire decoded in the layout chosen, a lamp message from the message
// centre's; the PBX's port gone is a fault, and the other is still read.
void TestMonitorWindow::tappedLineWithAPortGone()
{
    Monitor t;
    QVERIFY(t.open());
    PtyPair pbx, mc;
    QVERIFY(pbx.isValid() && mc.isValid());
    t.control<QRadioButton>("optTap")->setChecked(true);
    // Neither port there: nothing to watch, and the tool's own link is left alone.
    t.control<QComboBox>("cboTapPbxPort")->setCurrentText(QStringLiteral("/dev/zkn-no-such-port-1"));
    t.control<QComboBox>("cboTapMcPort")->setCurrentText(QStringLiteral("/dev/zkn-no-such-port-2"));
    t.control<QPushButton>("cmdStart")->click();
    QVERIFY2(
        t.state().startsWith(QStringLiteral("Neither tap port opens: the PBX's /dev/zkn-no-such-port-1: ")),
        qPrintable(t.state()));
    QVERIFY(!t.monitor->isMonitoring());
    QVERIFY(t.action("mnuOpen")->isEnabled());
    t.control<QComboBox>("cboTapPbxPort")->setCurrentText(pbx.devicePath());
    t.control<QComboBox>("cboTapMcPort")->setCurrentText(mc.devicePath());
    t.control<QComboBox>("cboTapFormat")->setCurrentIndex(1); // OLV
    t.action("mnuFormat")->trigger();
    t.control<QPushButton>("cmdStart")->click();
    QVERIFY2(t.monitor->isMonitoring(), qPrintable(t.state()));

    const QByteArray record = pbxsim::catalogueTexts(pbxsim::layoutFromName(QStringLiteral("olv6"))).value(0);
    QCOMPARE(::write(pbx.master(), record.constData(), size_t(record.size())), ssize_t(record.size()));
    QVERIFY(eventually([&] { return t.shown().contains(QStringLiteral(" ->:")); }));
    QVERIFY(
        QRegularExpression(QStringLiteral("\n<->:%1: Tapping .*\r\n ->:%1: record          \x02").arg(kTime))
            .match(t.shown())
            .hasMatch());
    QVERIFY(t.window->breakDownWindow()->windowTitle().contains(QStringLiteral("OLV")));
    // A tap on OLV records is what the window shows next time.
    FrmMonitor again(nullptr, t.op, t.app->store());
    QVERIFY(in<QRadioButton>(&again, "optTap")->isChecked());
    QCOMPARE(in<QComboBox>(&again, "cboTapFormat")->currentText(), QStringLiteral("OLV"));

    pbx.closeMaster();
    QVERIFY(eventually([&] { return t.shown().contains(QStringLiteral("FAULT")); }));
    const QByteArray lamp = lamp::lampControlMessage(1000, lamp::LampFunction::MwOn, false, false);
    QCOMPARE(::write(mc.master(), lamp.constData(), size_t(lamp.size())), ssize_t(lamp.size()));
    QVERIFY(eventually([&] { return t.shown().contains(QStringLiteral("<- :")); }));
    QVERIFY(t.shown().contains(QStringLiteral("lamp message    MW on 1000")));
    QVERIFY(t.monitor->isMonitoring());
    QCOMPARE(t.control<QLabel>("lblFaults")->text(), QStringLiteral("Faults: 1"));
}

QTEST_MAIN(TestMonitorWindow)
#include "tst_monitor_window.moc"
