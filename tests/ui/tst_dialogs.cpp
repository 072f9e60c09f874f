// The properties, debug options and about windows, driven as the operator drives them.
#include "tool_fixture.h"

#include "frm_about.h"
#include "frm_debug.h"
#include "frm_debug_options.h"
#include "frm_properties.h"
#include "pty_pair.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

using namespace zkn;
using zkn::test::ToolFixture;

namespace {

QRadioButton* optionOf(QWidget* dialog, const char* name, int index)
{
    for (QRadioButton* b : dialog->findChildren<QRadioButton*>(QLatin1String(name)))
        if (b->property("index").toInt() == index)
            return b;
    return nullptr;
}

bool openPort(SerialLine& port, const QString& path)
{
    port.setPortName(path);
    QString error;
    return port.open(&error) == SerialLine::OpenResult::Opened;
}

template <typename T> T* in(QWidget* window, const char* name)
{
    return window->findChild<T*>(QLatin1String(name));
}

// A pty's path is known only once it is opened: a data row names it by this text.
const QString kPtyRow = QStringLiteral("<a pty>");

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void propertiesOkStoresWhatThePortUses();
    void propertiesOkOnLanAlwaysSelectsKra();
    void propertiesRefusedValueStoresNothing_data();
    void propertiesRefusedValueStoresNothing();
    void propertiesCancelKeepsTheEdits();
    void propertiesCloseBoxDiscardsTheEdits();
    void propertiesPortTextIsCheckedOnOk_data();
    void propertiesPortTextIsCheckedOnOk();
    void startUpSkipsABadStoredPortNumber_data();
    void startUpSkipsABadStoredPortNumber();
    void propertiesShowThePortParameters();
    void propertiesPortChangeReopensAnOpenPort();
    void propertiesPortChangeThatFailsRestoresTheOldPort();
    void debugParityToggleFlipsOnEveryClick();
    void debugHexBoxFollowsTheLanDebugWindow();
    void debugIntervalAcceptsOnlySecondsUpTo180();
    void debugOptionsRoundTripThroughTheStore();
    void debugOptionsStoredAtExitAreTheLiveOnes_data();
    void debugOptionsStoredAtExitAreTheLiveOnes();
    void aboutWithoutSystemInformationTellsSo();
};

void TestDialogs::propertiesOkStoresWhatThePortUses()
{
    ToolFixture t;
    QVERIFY(t.start());
    t.action("mnuProperties")->trigger();
    frmProperties* d = t.window->properties();
    QVERIFY(d->isVisible());
    in<QComboBox>(d, "cboDevID")->setCurrentText(QStringLiteral("1"));
    in<QComboBox>(d, "cboLANParity")->setCurrentText(QStringLiteral("Even"));
    auto* host = in<QLineEdit>(d, "txtHost");
    host->setText(QStringLiteral("010.1.002.3"));
    Q_EMIT host->editingFinished();
    QCOMPARE(host->text(), QStringLiteral("10.1.2.3"));
    in<QComboBox>(d, "cboPort")->setCurrentText(QStringLiteral("COM3"));
    in<QComboBox>(d, "cboSpeed")->setCurrentText(QStringLiteral(" 19200 "));
    in<QComboBox>(d, "cboParity")->setCurrentText(QStringLiteral("Even"));
    in<QComboBox>(d, "cboDataBits")->setCurrentText(QStringLiteral("7"));
    in<QComboBox>(d, "cboStopBits")->setCurrentText(QStringLiteral("2"));
    optionOf(d, "optFlow", 2)->setChecked(true);
    optionOf(d, "optEcho", 1)->setChecked(true);
    in<QRadioButton>(d, "OptOLV")->setChecked(true);

    in<QPushButton>(d, "cmdOK")->click();

    QVERIFY(!d->isVisible());
    QVERIFY(t.op.messages.isEmpty());
    const QList<std::pair<const char*, const char*>> expected = {
        {"Properties/DevID", "1"},
        {"Properties/CType", "Serial"},
        {"Properties/LANParity", "Even"},
        {"Properties/RemoteHost", "10.1.2.3"},
        {"Properties/Settings", "19200,e,7,2"},
        {"Properties/CommPort", "3"},
        {"Properties/PortName", ""},
        {"Properties/Handshaking", "2"},
        {"Properties/Echo", "True"},
        {"Properties/PBXType", "False"},
    };
    for (const auto& [key, value] : expected)
        QCOMPARE(t.stored(QLatin1String(key)), QLatin1String(value));
    QVERIFY(!t.app->connection().recordFormatKra());
    QVERIFY(t.app->connection().echo());
    QCOMPARE(t.app->connection().remoteHost(), QStringLiteral("10.1.2.3"));
}

void TestDialogs::propertiesOkOnLanAlwaysSelectsKra()
{
    ToolFixture t;
    QVERIFY(t.start());
    t.action("Properties")->trigger();
    frmProperties* d = t.window->properties();
    in<QRadioButton>(d, "OptOLV")->setChecked(true);
    in<QComboBox>(d, "cboType")->setCurrentText(QStringLiteral("LAN"));
    in<QPushButton>(d, "cmdOK")->click();
    QCOMPARE(t.stored(QStringLiteral("Properties/PBXType")), QStringLiteral("True"));
    QCOMPARE(t.stored(QStringLiteral("Properties/CType")), QStringLiteral("LAN"));
    QVERIFY(in<QRadioButton>(d, "OptKRA")->isChecked());
    QVERIFY(t.app->connection().recordFormatKra());
}

void TestDialogs::propertiesRefusedValueStoresNothing_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::newRow("nine data bits") << "cboDataBits"
                                    << "9";
    QTest::newRow("speed not a number") << "cboSpeed"
                                        << "fast";
    QTest::newRow("stop bits 1.5 on Linux") << "cboStopBits"
                                            << "1.5";
    QTest::newRow("unknown parity") << "cboParity"
                                    << "Xtra";
}

void TestDialogs::propertiesRefusedValueStoresNothing()
{
    QFETCH(QString, box);
    QFETCH(QString, text);
    ToolFixture t;
    QVERIFY(t.start());
    t.action("mnuProperties")->trigger();
    frmProperties* d = t.window->properties();
    optionOf(d, "optEcho", 1)->setChecked(true);
    d->findChild<QComboBox*>(box)->setCurrentText(text);
    in<QPushButton>(d, "cmdOK")->click();

    QCOMPARE(t.op.messages.size(), 1);
    QCOMPARE(t.op.messages[0].icon, Operator::Icon::Exclamation);
    QVERIFY(!t.op.messages[0].text.isEmpty());
    QVERIFY(d->isVisible());
    QCOMPARE(d->findChild<QComboBox*>(box)->currentText(), text);
    QVERIFY(!QFile::exists(t.app->store().fileName()));
    QCOMPARE(t.app->serial().settings(), QStringLiteral("9600,n,8,1"));
    QVERIFY(t.app->connection().echo()); // the echo choice applies before the port is asked
}

void TestDialogs::propertiesCancelKeepsTheEdits()
{
    ToolFixture t;
    QVERIFY(t.start());
    t.action("mnuProperties")->trigger();
    frmProperties* d = t.window->properties();
    in<QComboBox>(d, "cboSpeed")->setCurrentText(QStringLiteral("4800"));
    in<QPushButton>(d, "cmdCancel")->click();
    QVERIFY(!d->isVisible());
    QCOMPARE(t.app->serial().settings(), QStringLiteral("9600,n,8,1"));

    t.action("mnuProperties")->trigger();
    QCOMPARE(in<QComboBox>(d, "cboSpeed")->currentText(), QStringLiteral("4800"));
    in<QPushButton>(d, "cmdOK")->click();
    QCOMPARE(t.app->serial().settings(), QStringLiteral("4800,n,8,1"));
}

void TestDialogs::propertiesCloseBoxDiscardsTheEdits()
{
    ToolFixture t;
    t.storeBefore({{QStringLiteral("Properties/CType"), QStringLiteral("LAN")},
                   {QStringLiteral("Properties/DevID"), QStringLiteral("1")},
                   {QStringLiteral("Properties/LANParity"), QStringLiteral("Even")},
                   {QStringLiteral("Properties/RemoteHost"), QStringLiteral("10.1.2.3")},
                   {QStringLiteral("Properties/PBXType"), QStringLiteral("False")},
                   {QStringLiteral("Properties/Settings"), QStringLiteral("2400,e,7,1")},
                   {QStringLiteral("Properties/CommPort"), QStringLiteral("4")}});
    QVERIFY(t.start());
    t.action("mnuProperties")->trigger();
    frmProperties* d = t.window->properties();
    in<QComboBox>(d, "cboType")->setCurrentText(QStringLiteral("Serial"));
    in<QComboBox>(d, "cboDevID")->setCurrentText(QStringLiteral("0"));
    in<QComboBox>(d, "cboLANParity")->setCurrentText(QStringLiteral("Odd"));
    in<QLineEdit>(d, "txtHost")->setText(QStringLiteral("192.168.7.7"));
    in<QRadioButton>(d, "OptKRA")->setChecked(true);
    in<QComboBox>(d, "cboSpeed")->setCurrentText(QStringLiteral("4800"));
    in<QComboBox>(d, "cboPort")->setCurrentText(QStringLiteral("COM9"));
    QCOMPARE(t.app->connection().connectionType(), ConnectionType::Serial); // live while edited

    d->close();

    const ConnectionOptions& c = t.app->connection();
    QCOMPARE(c.connectionType(), ConnectionType::Lan);
    QCOMPARE(c.deviceNumber(), QStringLiteral("1"));
    QCOMPARE(c.lanParity(), QStringLiteral("Even"));
    QCOMPARE(c.hostField(), QStringLiteral("10.1.2.3"));
    QVERIFY(!c.kraSelected());
    QVERIFY(t.action("mnuDisplayProperties")->isEnabled());
    t.action("mnuProperties")->trigger();
    QCOMPARE(in<QComboBox>(d, "cboType")->currentText(), QStringLiteral("LAN"));
    QCOMPARE(in<QComboBox>(d, "cboDevID")->currentText(), QStringLiteral("1"));
    QCOMPARE(in<QComboBox>(d, "cboLANParity")->currentText(), QStringLiteral("Even"));
    QCOMPARE(in<QLineEdit>(d, "txtHost")->text(), QStringLiteral("10.1.2.3"));
    QVERIFY(in<QRadioButton>(d, "OptOLV")->isChecked());
    QCOMPARE(in<QComboBox>(d, "cboSpeed")->currentText(), QStringLiteral("2400"));
    QCOMPARE(in<QComboBox>(d, "cboPort")->currentText(), QStringLiteral("COM4"));
    QVERIFY(!t.storedAnything(QStringLiteral("Properties/Handshaking")));
}

void TestDialogs::propertiesPortTextIsCheckedOnOk_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("commPort");
    QTest::newRow("COM17") << "COM17" << false << 1;
    QTest::newRow("COM0") << "COM0" << false << 1;
    QTest::newRow("not a port") << "abc" << false << 1;
    QTest::newRow("a regular file") << QCoreApplication::applicationFilePath() << false << 1;
    QTest::newRow("a missing device") << "/dev/zkn-no-such-port" << false << 1;
    QTest::newRow("COM in lower case") << "com3" << true << 3;
    QTest::newRow("a pty") << kPtyRow << true << 1;
}

void TestDialogs::propertiesPortTextIsCheckedOnOk()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(int, commPort);
    zkn::test::PtyPair pty;
    QVERIFY(pty.isValid());
    if (text == kPtyRow)
        text = pty.devicePath();
    const QString portName = text.startsWith(QLatin1Char('/')) ? text : QString();
    ToolFixture t;
    QVERIFY(t.start());
    t.action("mnuProperties")->trigger();
    frmProperties* d = t.window->properties();
    in<QComboBox>(d, "cboPort")->setCurrentText(text);
    in<QPushButton>(d, "cmdOK")->click();

    const SerialLine& port = t.app->serial();
    if (accepted) {
        QVERIFY(t.op.messages.isEmpty());
        QVERIFY(!d->isVisible());
        QCOMPARE(t.stored(QStringLiteral("Properties/CommPort")), QString::number(commPort));
        QCOMPARE(t.stored(QStringLiteral("Properties/PortName")), portName);
        QCOMPARE(port.portName(), portName);
    } else {
        QCOMPARE(t.op.messages.size(), 1);
        QCOMPARE(t.op.messages[0].icon, Operator::Icon::Exclamation);
        QVERIFY2(t.op.messages[0].text.contains(text), qPrintable(t.op.messages[0].text));
        QVERIFY(t.op.messages[0].text.contains(QStringLiteral("COM1 to COM16")));
        QVERIFY(d->isVisible());
        QVERIFY(!QFile::exists(t.app->store().fileName()));
        QVERIFY(port.portName().isEmpty());
    }
    QCOMPARE(port.commPort(), commPort);
}

void TestDialogs::startUpSkipsABadStoredPortNumber_data()
{
    QTest::addColumn<QString>("commPort");
    QTest::addColumn<QString>("handshaking");
    QTest::addColumn<bool>("refused");
    QTest::newRow("17 alone") << "17"
                              << "" << false;
    QTest::newRow("17 with handshaking") << "17"
                                         << "2" << false;
    QTest::newRow("not a number alone") << "x"
                                        << "" << false;
    QTest::newRow("not a number with handshaking") << "x"
                                                   << "2" << false;
    // A handshaking value the port refuses still ends the reading with its box.
    QTest::newRow("17 with refused handshaking") << "17"
                                                 << "7" << true;
}

void TestDialogs::startUpSkipsABadStoredPortNumber()
{
    QFETCH(QString, commPort);
    QFETCH(QString, handshaking);
    QFETCH(bool, refused);
    ToolFixture t;
    QList<std::pair<QString, QString>> stored{
        {QStringLiteral("Properties/CommPort"), commPort},
        {QStringLiteral("Properties/CType"), QStringLiteral("LAN")},
        {QStringLiteral("Properties/DevID"), QStringLiteral("1")},
        {QStringLiteral("Properties/RemoteHost"), QStringLiteral("10.1.2.3")},
        {QStringLiteral("Properties/FontSize"), QStringLiteral("5")}};
    if (!handshaking.isEmpty())
        stored.append({QStringLiteral("Properties/Handshaking"), handshaking});
    t.storeBefore(stored);
    QVERIFY(t.start());

    QCOMPARE(t.app->serial().commPort(), 1);
    QCOMPARE(in<QComboBox>(t.window->properties(), "cboPort")->currentText(), QStringLiteral("COM1"));
    auto* fontStep = t.find<QSpinBox>("UpDown1");
    if (refused) {
        QCOMPARE(t.op.messages.size(), 1);
        QCOMPARE(t.op.messages[0].icon, Operator::Icon::Exclamation);
        QCOMPARE(t.app->connection().remoteHost(), QStringLiteral("0.0.0.0"));
        QCOMPARE(fontStep->value(), 3);
        return;
    }
    QVERIFY(t.op.messages.isEmpty());
    QCOMPARE(t.app->serial().handshaking(), handshaking.isEmpty() ? 0 : handshaking.toInt());
    QCOMPARE(t.app->connection().connectionType(), ConnectionType::Lan);
    QCOMPARE(t.app->connection().deviceNumber(), QStringLiteral("1"));
    QCOMPARE(t.app->connection().remoteHost(), QStringLiteral("10.1.2.3"));
    QCOMPARE(in<QLineEdit>(t.window->properties(), "txtHost")->text(), QStringLiteral("10.1.2.3"));
    QCOMPARE(fontStep->value(), 5);
}

void TestDialogs::propertiesShowThePortParameters()
{
    ToolFixture t;
    t.storeBefore({{QStringLiteral("Properties/Settings"), QStringLiteral("2400,m,7,2")},
                   {QStringLiteral("Properties/CommPort"), QStringLiteral("7")},
                   {QStringLiteral("Properties/Handshaking"), QStringLiteral("3")}});
    QVERIFY(t.start());
    frmProperties* d = t.window->properties();
    QCOMPARE(in<QComboBox>(d, "cboSpeed")->currentText(), QStringLiteral("2400"));
    QCOMPARE(in<QComboBox>(d, "cboParity")->currentText(), QStringLiteral("Mark"));
    QCOMPARE(in<QComboBox>(d, "cboDataBits")->currentText(), QStringLiteral("7"));
    QCOMPARE(in<QComboBox>(d, "cboStopBits")->currentText(), QStringLiteral("2"));
    QCOMPARE(in<QComboBox>(d, "cboPort")->currentText(), QStringLiteral("COM7"));
    QVERIFY(optionOf(d, "optFlow", 3)->isChecked());
    QCOMPARE(d->flowChoice(), 3);
    QVERIFY(optionOf(d, "optEcho", 0)->isChecked());
    QCOMPARE(in<QComboBox>(d, "cboPort")->itemText(15), QStringLiteral("COM16"));
    // A newcomer with a USB adapter or the simulator's pty learns that a path may be typed.
    QVERIFY(in<QComboBox>(d, "cboPort")->toolTip().contains(QStringLiteral("/dev/ttyUSB0")));
    QVERIFY(in<QComboBox>(d, "cboPort")->toolTip().contains(QStringLiteral("/dev/pts/3")));
}

void TestDialogs::propertiesPortChangeReopensAnOpenPort()
{
    zkn::test::PtyPair first;
    zkn::test::PtyPair second;
    QVERIFY(first.isValid() && second.isValid());
    ToolFixture t;
    QVERIFY(t.start());
    SerialLine& port = t.app->serial();
    QVERIFY(openPort(port, first.devicePath()));

    t.action("mnuProperties")->trigger();
    frmProperties* d = t.window->properties();
    in<QComboBox>(d, "cboPort")->setCurrentText(second.devicePath());
    in<QPushButton>(d, "cmdOK")->click();

    QVERIFY(t.op.messages.isEmpty());
    QVERIFY(port.isOpen());
    QCOMPARE(port.portName(), second.devicePath());
    QVERIFY(t.action("mnuOpen")->isChecked());
    QVERIFY(t.action("mnuSendText")->isEnabled());
    QVERIFY(t.action("TransmitTextFile")->isEnabled());
    QCOMPARE(t.stored(QStringLiteral("Properties/PortName")), second.devicePath());
    port.close();
}

void TestDialogs::propertiesPortChangeThatFailsRestoresTheOldPort()
{
    zkn::test::PtyPair first;
    QVERIFY(first.isValid());
    ToolFixture t;
    QVERIFY(t.start());
    SerialLine& port = t.app->serial();
    QVERIFY(openPort(port, first.devicePath()));

    t.action("mnuProperties")->trigger();
    frmProperties* d = t.window->properties();
    in<QComboBox>(d, "cboPort")->setCurrentText(QStringLiteral("/dev/zkn-no-such-port"));
    in<QPushButton>(d, "cmdOK")->click();

    QCOMPARE(t.op.messages.size(), 1);
    QVERIFY(d->isVisible());
    QCOMPARE(port.portName(), first.devicePath());
    QVERIFY(!port.isOpen()); // closed to change the number, and it stays closed
    QVERIFY(!t.action("mnuOpen")->isChecked());
    QVERIFY(!QFile::exists(t.app->store().fileName()));
}

void TestDialogs::debugParityToggleFlipsOnEveryClick()
{
    ToolFixture t;
    t.storeBefore({{QStringLiteral("Debug/TogglePty"), QStringLiteral("1")}});
    QVERIFY(t.start());
    // A stored 1 only shows the box checked; it does not flip the parity.
    QCOMPARE(t.app->connection().lanParity(), QStringLiteral("Odd"));
    t.app->connection().setConnectionType(ConnectionType::Lan);
    t.action("mnuDisplayProperties")->trigger();
    FrmDebugOptions* d = t.window->debugOptionsWindow();
    auto* toggle = in<QCheckBox>(d, "chktoggleparity");
    QVERIFY(toggle->isChecked());
    toggle->click();
    QCOMPARE(t.app->connection().lanParity(), QStringLiteral("Even"));
    QCOMPARE(in<QComboBox>(t.window->properties(), "cboLANParity")->currentText(), QStringLiteral("Even"));
    toggle->click();
    QCOMPARE(t.app->connection().lanParity(), QStringLiteral("Odd"));
    QVERIFY(toggle->isChecked());
}

void TestDialogs::debugHexBoxFollowsTheLanDebugWindow()
{
    ToolFixture t;
    QVERIFY(t.start());
    t.window->debugOptionsWindow()->showDialog();
    auto* hex = in<QCheckBox>(t.window->debugOptionsWindow(), "chkdebug");
    hex->click();
    QVERIFY(t.window->lanDebugWindow()->isVisible());
    t.window->lanDebugWindow()->close();
    QVERIFY(!hex->isChecked());
    QVERIFY(!t.app->debugOptions().hexView());
    hex->click();
    QVERIFY(t.window->lanDebugWindow()->isVisible());
}

void TestDialogs::debugIntervalAcceptsOnlySecondsUpTo180()
{
    ToolFixture t;
    QVERIFY(t.start());
    t.window->debugOptionsWindow()->showDialog();
    auto* interval = in<QLineEdit>(t.window->debugOptionsWindow(), "txtHCInterval");
    interval->clear();
    QTest::keyClicks(interval, QStringLiteral("1x8a1"));
    QCOMPARE(interval->text(), QStringLiteral("18"));
    QTest::keyClick(interval, Qt::Key_1);
    QCOMPARE(interval->text(), QStringLiteral("18"));
    QTest::keyClick(interval, Qt::Key_0);
    QCOMPARE(interval->text(), QStringLiteral("180"));
    QTest::keyClick(interval, Qt::Key_Up);
    QCOMPARE(interval->text(), QStringLiteral("180"));
    QTest::keyClick(interval, Qt::Key_Down);
    QCOMPARE(interval->text(), QStringLiteral("179"));
    QCOMPARE(t.app->debugOptions().healthCheckInterval(), 179);
    interval->clear();
    QCOMPARE(t.app->debugOptions().healthCheckInterval(), 0); // a check on every tick
    QTest::keyClick(interval, Qt::Key_Down);
    QCOMPARE(interval->text(), QStringLiteral("1"));
}

void TestDialogs::debugOptionsRoundTripThroughTheStore()
{
    ToolFixture t;
    QVERIFY(t.start());
    FrmDebugOptions* d = t.window->debugOptionsWindow();
    d->showDialog();
    in<QCheckBox>(d, "chkdetail")->setChecked(false);
    in<QCheckBox>(d, "chkIgnoreparitychk")->setChecked(true);
    in<QRadioButton>(d, "optInvalidTxt")->setChecked(true);
    in<QLineEdit>(d, "txtHCInterval")->setText(QStringLiteral("42"));
    in<QPushButton>(d, "cmdQuit")->click();
    QVERIFY(!t.storedAnything(QStringLiteral("Debug/Detail"))); // hiding stores nothing

    d->showDialog();
    d->close(); // the close box unloads: everything is stored
    QCOMPARE(t.stored(QStringLiteral("Debug/Detail")), QStringLiteral("0"));
    QCOMPARE(t.stored(QStringLiteral("Debug/IgnorePty")), QStringLiteral("1"));
    QCOMPARE(t.stored(QStringLiteral("Debug/RespTextErr")), QStringLiteral("True"));
    QCOMPARE(t.stored(QStringLiteral("Debug/RespNorm")), QStringLiteral("False"));
    QCOMPARE(t.stored(QStringLiteral("Debug/HCValue")), QStringLiteral("42"));

    ToolFixture again;
    again.configDir.remove();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, t.configDir.path());
    QVERIFY(again.start());
    const DebugOptions& o = again.app->debugOptions();
    QVERIFY(!o.detail());
    QVERIFY(o.ignoreParity());
    QCOMPARE(o.forcedAnswer(), DebugOptions::ForcedAnswer::InvalidText);
    QCOMPARE(o.healthCheckIntervalText(), QStringLiteral("42"));
}

void TestDialogs::debugOptionsStoredAtExitAreTheLiveOnes_data()
{
    QTest::addColumn<bool>("shownAgain");
    QTest::newRow("exit after the close box") << false;
    QTest::newRow("shown again after the close box") << true;
}

void TestDialogs::debugOptionsStoredAtExitAreTheLiveOnes()
{
    QFETCH(bool, shownAgain);
    ToolFixture t;
    QVERIFY(t.start());
    FrmDebugOptions* d = t.window->debugOptionsWindow();
    d->showDialog();
    in<QRadioButton>(d, "optParityErr")->setChecked(true);
    d->close();
    QCOMPARE(t.stored(QStringLiteral("Debug/RespPtyErr")), QStringLiteral("True"));
    // The link answers the next record with the forced error and falls back to normal.
    DebugOptions& options = t.app->debugOptions();
    options.setForcedAnswer(DebugOptions::ForcedAnswer::Normal);
    if (shownAgain) {
        d->showDialog();
        QVERIFY(in<QRadioButton>(d, "optNorm")->isChecked());
        QCOMPARE(options.forcedAnswer(), DebugOptions::ForcedAnswer::Normal);
        in<QPushButton>(d, "cmdQuit")->click();
    }

    t.op.answers = {Operator::Answer::Yes};
    t.window->close();
    QTRY_VERIFY(!t.window->isVisible());
    QCOMPARE(t.stored(QStringLiteral("Debug/RespNorm")), QStringLiteral("True"));
    QCOMPARE(t.stored(QStringLiteral("Debug/RespPtyErr")), QStringLiteral("False"));
}

void TestDialogs::aboutWithoutSystemInformationTellsSo()
{
    QTemporaryDir emptyPath;
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(emptyPath.path()));
    ToolFixture t;
    QVERIFY(t.start());
    t.action("mnuAbout")->trigger();
    auto* about = t.window->findChild<frmAbout*>();
    QVERIFY(about && about->isVisible());
    QCOMPARE(about->windowTitle(), QStringLiteral("About ZKN-Control Tool"));
    QCOMPARE(in<QLabel>(about, "lblVersion")->text(), QStringLiteral("Version 2.1.102"));
    in<QPushButton>(about, "cmdSysInfo")->click();
    qputenv("PATH", oldPath);
    QCOMPARE(t.op.messages.size(), 1);
    QCOMPARE(t.op.messages[0].text, QStringLiteral("System Information Is Unavailable At This Time"));
    QVERIFY(about->isVisible());
    in<QPushButton>(about, "cmdOK")->click();
    QTRY_VERIFY(!t.window->findChild<frmAbout*>());
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
