// The main window as the operator meets it: start-up from the store, menu and button states,
// the log commands, the font size and the exit confirmation.
#include "tool_fixture.h"

#include "frm_config.h"
#include "frm_debug.h"
#include "indicator.h"
#include "terminal_view.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolBar>

using namespace zkn;
using zkn::test::ToolFixture;

Q_DECLARE_METATYPE(zkn::link::LoadTestPhase)

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Notes how many boxes the operator had been shown when the splash was first painted.
class SplashPaintWatch : public QObject
{
public:
    explicit SplashPaintWatch(const test::ScriptedOperator& op) : m_op(op) { qApp->installEventFilter(this); }
    ~SplashPaintWatch() override { qApp->removeEventFilter(this); }

    std::optional<qsizetype> boxesAtFirstPaint;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Paint && widget &&
            widget->window()->objectName() == QLatin1String("frmSplash") && !boxesAtFirstPaint)
            boxesAtFirstPaint = m_op.messages.size();
        return false;
    }

private:
    const test::ScriptedOperator& m_op;
};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void emptyStoreStartsWithEveryDefault();
    void fileDialogsStartInTheLastFolderChosen();
    void okOfTheConfigurationEnablesStartOnlyWithoutATest_data();
    void okOfTheConfigurationEnablesStartOnlyWithoutATest();
    void storedValuesAreApplied_data();
    void storedValuesAreApplied();
    void refusedStoredPortSettingsAreReportedAndTheToolStillComesUp();
    void splashIsPaintedBeforeAStartUpBox();
    void switchingTheMethodSwapsTheDebugItemsBeforeOk();
    void fontStepSetsTheSizeAndIsStored();
    void logOpenReplaceAppendAndClose();
    void logCancelAtTheReplaceQuestionReturnsToTheFileDialog();
    void exitAnsweredNoKeepsRunning();
    void exitAnsweredYesClosesTheLogAndStoresTheDebugOptions();
};

void TestMainWindow::emptyStoreStartsWithEveryDefault()
{
    ToolFixture t;
    QVERIFY(t.start());
    const ConnectionOptions& c = t.app->connection();
    QCOMPARE(c.connectionType(), ConnectionType::Serial);
    QCOMPARE(c.deviceNumber(), QStringLiteral("0"));
    QCOMPARE(c.lanParity(), QStringLiteral("Odd"));
    QCOMPARE(c.remoteHost(), QStringLiteral("0.0.0.0"));
    QCOMPARE(c.hostField(), QStringLiteral("0.0.0.0"));
    QVERIFY(c.kraSelected());
    QVERIFY(c.recordFormatKra());
    QVERIFY(!c.echo());
    QCOMPARE(t.app->serial().settings(), QStringLiteral("9600,n,8,1"));
    QCOMPARE(t.app->serial().commPort(), 1);
    QCOMPARE(t.app->serial().handshaking(), 0);

    const DebugOptions& d = t.app->debugOptions();
    QVERIFY(d.detail());
    QVERIFY(!d.hexView() && !d.toggleParity() && !d.stopHealth() && !d.ignoreParity());
    QCOMPARE(d.forcedAnswer(), DebugOptions::ForcedAnswer::Normal);
    QCOMPARE(d.healthCheckIntervalText(), QStringLiteral("5"));

    QCOMPARE(t.find<QSpinBox>("UpDown1")->value(), 3);
    QCOMPARE(t.find<QLabel>("Label3")->text(), QStringLiteral("9"));
    QCOMPARE(t.find<QLabel>("Label1")->text(), QStringLiteral("300"));
    QCOMPARE(t.window->windowTitle(), QStringLiteral("ZKN-Control Tool"));
    QVERIFY(!t.find<Indicator>("connection")->isOn());
    QVERIFY(t.op.messages.isEmpty());
}

void TestMainWindow::okOfTheConfigurationEnablesStartOnlyWithoutATest_data()
{
    QTest::addColumn<link::LoadTestPhase>("phase");
    QTest::addColumn<bool>("startEnabled");
    QTest::newRow("no test") << link::LoadTestPhase::Idle << true;
    QTest::newRow("running") << link::LoadTestPhase::Running << false;
    QTest::newRow("sweeping its lamps off") << link::LoadTestPhase::Stopping << false;
}

// The configuration is not modal: its OK may come while a test runs or sweeps; Start stays off
// until the test has stopped.
void TestMainWindow::okOfTheConfigurationEnablesStartOnlyWithoutATest()
{
    QFETCH(link::LoadTestPhase, phase);
    ToolFixture t;
    QVERIFY(t.start());
    t.action("TestConfig")->trigger();
    t.window->showLoadTestPhase(phase);
    frmConfig* config = t.window->loadTestConfigWindow();
    QVERIFY(config->isVisible());
    config->setStations(QStringLiteral("1000"), QStringLiteral("1010"));
    config->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    QVERIFY(!config->isVisible());
    QTEST(t.action("mnuStart")->isEnabled(), "startEnabled");
    QTEST(t.action("StartLoadTest")->isEnabled(), "startEnabled");
}

void TestMainWindow::storedValuesAreApplied_data()
{
    QTest::addColumn<QString>("cType");
    QTest::addColumn<QString>("pbxType");
    QTest::addColumn<bool>("kraSelected");
    QTest::addColumn<bool>("recordFormatKra");
    QTest::newRow("LAN with OLV stored is still KRA") << "LAN"
                                                      << "False" << false << true;
    QTest::newRow("Serial with OLV") << "Serial"
                                     << "False" << false << false;
    QTest::newRow("Serial, lower-case true is OLV") << "Serial"
                                                    << "true" << false << false;
    QTest::newRow("Serial with KRA") << "Serial"
                                     << "True" << true << true;
}

void TestMainWindow::storedValuesAreApplied()
{
    QFETCH(QString, cType);
    QFETCH(QString, pbxType);
    ToolFixture t;
    t.storeBefore({{QStringLiteral("Properties/CType"), cType},
                   {QStringLiteral("Properties/PBXType"), pbxType},
                   {QStringLiteral("Properties/DevID"), QStringLiteral("1")},
                   {QStringLiteral("Properties/RemoteHost"), QStringLiteral("10.1.2.3")},
                   {QStringLiteral("Properties/Settings"), QStringLiteral("19200,e,7,2")},
                   {QStringLiteral("Properties/CommPort"), QStringLiteral("4")},
                   {QStringLiteral("Properties/Handshaking"), QStringLiteral("1")},
                   {QStringLiteral("Properties/Echo"), QStringLiteral("True")},
                   {QStringLiteral("Properties/FontSize"), QStringLiteral("5")},
                   {QStringLiteral("Debug/Hex"), QStringLiteral("1")},
                   {QStringLiteral("Debug/Detail"), QStringLiteral("0")},
                   {QStringLiteral("Debug/RespPtyErr"), QStringLiteral("True")},
                   {QStringLiteral("Debug/HCinterval"), QStringLiteral("12")}});
    QVERIFY(t.start());
    QVERIFY(t.op.messages.isEmpty());
    const ConnectionOptions& c = t.app->connection();
    QCOMPARE(c.connectionType(), connectionTypeFromText(cType));
    QTEST(c.kraSelected(), "kraSelected");
    QTEST(c.recordFormatKra(), "recordFormatKra");
    QCOMPARE(c.deviceNumber(), QStringLiteral("1"));
    QCOMPARE(c.remoteHost(), QStringLiteral("10.1.2.3"));
    QVERIFY(c.echo());
    QCOMPARE(t.app->serial().settings(), QStringLiteral("19200,e,7,2"));
    QCOMPARE(t.app->serial().commPort(), 4);
    QCOMPARE(t.app->serial().handshaking(), 1);
    QCOMPARE(t.find<QSpinBox>("UpDown1")->value(), 5);
    QCOMPARE(t.find<QLabel>("Label3")->text(), QStringLiteral("14"));
    QCOMPARE(t.action("mnuDisplayProperties")->isEnabled(), cType == QLatin1String("LAN"));

    const DebugOptions& d = t.app->debugOptions();
    QVERIFY(!d.detail());
    QCOMPARE(d.forcedAnswer(), DebugOptions::ForcedAnswer::ParityError);
    QCOMPARE(d.healthCheckIntervalText(), QStringLiteral("12"));
    // A stored Hex of 1 does not reopen the LAN debug window.
    QVERIFY(!d.hexView());
    QVERIFY(!t.window->lanDebugWindow()->isVisible());
}

void TestMainWindow::refusedStoredPortSettingsAreReportedAndTheToolStillComesUp()
{
    ToolFixture t;
    t.storeBefore({{QStringLiteral("Properties/Settings"), QStringLiteral("9600,x,8,1")},
                   {QStringLiteral("Properties/CType"), QStringLiteral("LAN")}});
    QVERIFY(t.start());
    QCOMPARE(t.op.messages.size(), 1);
    QCOMPARE(t.op.messages[0].icon, Operator::Icon::Exclamation);
    QCOMPARE(t.app->serial().settings(), QStringLiteral("9600,n,8,1"));
    QVERIFY(t.window->isVisible());
}

void TestMainWindow::splashIsPaintedBeforeAStartUpBox()
{
    ToolFixture t;
    t.storeBefore({{QStringLiteral("Properties/Settings"), QStringLiteral("9600,x,8,1")}});
    const SplashPaintWatch watch(t.op);
    QVERIFY(t.start());
    QCOMPARE(t.op.messages.size(), 1);
    QVERIFY2(watch.boxesAtFirstPaint, "the splash was never painted");
    QCOMPARE(*watch.boxesAtFirstPaint, 0);
}

void TestMainWindow::switchingTheMethodSwapsTheDebugItemsBeforeOk()
{
    ToolFixture t;
    QVERIFY(t.start());
    t.action("mnuProperties")->trigger();
    auto* type = t.window->findChild<QComboBox*>(QStringLiteral("cboType"));
    QVERIFY(type && type->isVisible());
    type->setCurrentText(QStringLiteral("LAN"));
    QVERIFY(t.action("mnuDisplayProperties")->isEnabled());
    QVERIFY(!t.action("mnuDebugSerial")->isEnabled());
    type->setCurrentText(QStringLiteral("Serial"));
    QVERIFY(!t.action("mnuDisplayProperties")->isEnabled());
    QVERIFY(t.action("mnuDebugSerial")->isEnabled());
    QVERIFY(!t.storedAnything(QStringLiteral("Properties/CType")));
}

void TestMainWindow::fontStepSetsTheSizeAndIsStored()
{
    ToolFixture t;
    QVERIFY(t.start());
    auto* step = t.find<QSpinBox>("UpDown1");
    step->setValue(1);
    QCOMPARE(t.find<QLabel>("Label3")->text(), QStringLiteral("5"));
    QCOMPARE(t.window->terminal()->font().pointSize(), 5);
    QVERIFY(!t.window->terminal()->font().bold());
    step->setValue(0); // below the range: the spinner keeps step 1
    QCOMPARE(step->value(), 1);
    t.app->store().sync();
    QCOMPARE(t.stored(QStringLiteral("Properties/FontSize")), QStringLiteral("1"));
}

void TestMainWindow::logOpenReplaceAppendAndClose()
{
    ToolFixture t;
    QVERIFY(t.start());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("traffic.txt"));
    writeFile(path, "old\r\n");

    // No: the old content stays and the traffic follows it.
    t.op.fileChoices = {path};
    t.op.answers = {Operator::Answer::No};
    t.action("OpenLogFile")->trigger();
    QCOMPARE(t.op.messages.last().text,
             QStringLiteral("Replace existing file - ") + path + QStringLiteral("?"));
    QCOMPARE(t.op.messages.last().buttons, Operator::Buttons::YesNoCancel);
    QCOMPARE(t.op.fileDialogs.last().title, QStringLiteral("Open Communications Log File"));
    QCOMPARE(t.window->windowTitle(), QStringLiteral("ZKN-Control Tool - traffic.txt"));
    QVERIFY(!t.action("mnuOpenLog")->isEnabled() && !t.action("OpenLogFile")->isEnabled());
    QVERIFY(t.action("mnuCloseLog")->isEnabled() && t.action("CloseLogFile")->isEnabled());
    t.window->WriteTerminal("<->:12:00:00: A\x08"
                            "B\r\n");
    t.action("mnuCloseLog")->trigger();
    QCOMPARE(t.window->windowTitle(), QStringLiteral("ZKN-Control Tool"));
    QVERIFY(t.action("mnuOpenLog")->isEnabled() && !t.action("CloseLogFile")->isEnabled());
    t.window->WriteTerminal("not logged\r\n");
    QCOMPARE(fileBytes(path), QByteArray("old\r\n<->:12:00:00: B\r\n"));

    // Yes: the file starts empty.
    t.op.fileChoices = {path};
    t.op.answers = {Operator::Answer::Yes};
    t.action("mnuOpenLog")->trigger();
    t.window->WriteTerminal("new\r\n");
    t.action("CloseLogFile")->trigger();
    QCOMPARE(fileBytes(path), QByteArray("new\r\n"));

    // A new file is created without a question.
    const QString fresh = dir.filePath(QStringLiteral("fresh.txt"));
    t.op.fileChoices = {fresh};
    const auto asked = t.op.messages.size();
    t.action("mnuOpenLog")->trigger();
    QCOMPARE(t.op.messages.size(), asked);
    t.window->WriteTerminal("\x02J.1\x03\r\n");
    QCOMPARE(fileBytes(fresh), QByteArray("\x02J.1\x03\r\n"));
    QVERIFY(t.op.unexpected.isEmpty());
}

void TestMainWindow::logCancelAtTheReplaceQuestionReturnsToTheFileDialog()
{
    ToolFixture t;
    QVERIFY(t.start());
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("first.txt"));
    writeFile(first, "keep\r\n");
    const QString second = dir.filePath(QStringLiteral("second.txt"));
    t.op.fileChoices = {first, second};
    t.op.answers = {Operator::Answer::Cancel};
    t.action("mnuOpenLog")->trigger();
    QCOMPARE(t.op.fileDialogs.size(), 2);
    QCOMPARE(t.window->windowTitle(), QStringLiteral("ZKN-Control Tool - second.txt"));
    QCOMPARE(fileBytes(first), QByteArray("keep\r\n"));

    // A cancelled file dialog changes nothing.
    t.action("mnuCloseLog")->trigger();
    t.op.fileChoices = {std::nullopt};
    t.action("mnuOpenLog")->trigger();
    QCOMPARE(t.window->windowTitle(), QStringLiteral("ZKN-Control Tool"));
    QVERIFY(!t.app->log().isOpen());
}

void TestMainWindow::exitAnsweredNoKeepsRunning()
{
    ToolFixture t;
    QVERIFY(t.start());
    t.op.answers = {Operator::Answer::No};
    t.action("mnuFileExit")->trigger();
    QCOMPARE(t.op.messages.size(), 1);
    QCOMPARE(t.op.messages[0].text, QStringLiteral("Do you really want to exit ZKN-Tool?"));
    QCOMPARE(t.op.messages[0].title, QStringLiteral("ZKN-Control Tool"));
    QCOMPARE(t.op.messages[0].icon, Operator::Icon::Question);
    QCOMPARE(t.op.messages[0].buttons, Operator::Buttons::YesNo);
    QVERIFY(t.window->isVisible());
    // The close box asks the same question.
    t.op.answers = {Operator::Answer::No};
    QVERIFY(!t.window->close());
    QCOMPARE(t.op.messages.size(), 2);
}

void TestMainWindow::exitAnsweredYesClosesTheLogAndStoresTheDebugOptions()
{
    ToolFixture t;
    QVERIFY(t.start());
    QTemporaryDir dir;
    t.op.fileChoices = {dir.filePath(QStringLiteral("log.txt"))};
    t.action("mnuOpenLog")->trigger();
    QVERIFY(t.app->log().isOpen());
    t.app->debugOptions().setStopHealth(true);
    t.app->debugOptions().setHealthCheckIntervalText(QStringLiteral("30"));

    t.op.answers = {Operator::Answer::Yes};
    t.window->close();
    QTRY_VERIFY(!t.window->isVisible());
    QVERIFY(!t.app->log().isOpen());
    QCOMPARE(t.stored(QStringLiteral("Debug/StopHC")), QStringLiteral("1"));
    QCOMPARE(t.stored(QStringLiteral("Debug/HCinterval")), QStringLiteral("30"));
    QCOMPARE(t.stored(QStringLiteral("Debug/HCValue")), QStringLiteral("30"));
    QCOMPARE(t.stored(QStringLiteral("Debug/Detail")), QStringLiteral("1"));
    QCOMPARE(t.stored(QStringLiteral("Debug/RespNorm")), QStringLiteral("True"));
    QCOMPARE(t.stored(QStringLiteral("Debug/RespPtyErr")), QStringLiteral("False"));
}

// The home folder first, then the folder of the last file chosen in either dialog, not the folder
// the tool was started from.
void TestMainWindow::fileDialogsStartInTheLastFolderChosen()
{
    ToolFixture t;
    QVERIFY(t.start());
    QTemporaryDir logs;
    t.op.fileChoices = {std::nullopt, logs.filePath(QStringLiteral("traffic.txt")), std::nullopt};
    t.action("mnuOpenLog")->trigger(); // cancelled
    t.action("mnuOpenLog")->trigger();
    QVERIFY(t.app->log().isOpen());
    t.action("mnuCloseLog")->trigger();
    t.window->mnuSendText_Click(); // cancelled
    QCOMPARE(t.op.fileDialogs.size(), 3);
    QCOMPARE(t.op.fileDialogs[0].startPath, QDir::homePath());
    QCOMPARE(t.op.fileDialogs[1].startPath, QDir::homePath());
    QCOMPARE(t.op.fileDialogs[2].startPath, QDir(logs.path()).absolutePath());
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
