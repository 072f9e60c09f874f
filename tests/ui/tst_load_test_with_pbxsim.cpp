// The lamp load test of the whole tool against the PBX simulator, over real loopback TCP and a
// real pseudo-terminal: the stations and phases the simulator sees, the stop sweep, the figures.
#include "pbxsim_rig.h"

#include "frm_break_down.h"
#include "frm_config.h"
#include "link/link_engine.h"
#include "model/load_test_options.h"
#include "pbxsim/lamp_board.h"
#include "pbxsim/lamp_message.h"
#include "pbxsim/record_catalogue.h"
#include "start_up_options.h"

#include <QDir>
#include <QFile>

using namespace zkn;
using zkn::pbxsim::FrameInfo;
using zkn::test::kWait;
using zkn::test::LanRig;

namespace {

// The pause before a command-line load test, short for the tests; the tool waits 3 s.
constexpr int kPauseMs = 150;

// The lamp messages the simulator received, as "1000+" (VMM on) and "1000-" (off).
QStringList lampVisits(const QList<FrameInfo>& in)
{
    QStringList found;
    for (const FrameInfo& f : in) {
        const qsizetype stx = f.bytes.indexOf('\x02');
        if ((f.kind != '1' && f.kind != FrameInfo::kText) || stx < 0)
            continue;
        const auto command = pbxsim::parseLampMessage(f.bytes.mid(stx, f.bytes.indexOf('\x03') - stx + 1));
        if (command)
            found.append(
                QString::fromLatin1(command->firstStation) +
                (command->function == pbxsim::LampFunction::VmmOn ? QLatin1Char('+') : QLatin1Char('-')));
    }
    return found;
}

struct Rig : LanRig
{
    QTemporaryDir dataDir;

    // Connected over TCP or a pty, the extensions file in a data folder of its own.
    bool connect(bool serial)
    {
        qputenv("XDG_DATA_HOME", dataDir.path().toLocal8Bit());
        if (!serial)
            return start(QStringLiteral("60")) && connectAndWaitForLink();
        QObject::connect(&sim, &pbxsim::PbxSimulator::frameIn, [this](const FrameInfo& f) { in.append(f); });
        return test::connectOverPty(tool, sim) &&
               QTest::qWaitFor([this] { return sim.isLineReady(); }, kWait);
    }
    void writeExtensions(const QByteArray& content) const
    {
        QDir().mkpath(dataDir.path() + QStringLiteral("/ZKN-Control Tool"));
        QFile file(dataDir.path() + QStringLiteral("/ZKN-Control Tool/Extensions.dat"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    LoadTestOptions& options() const { return tool.app->loadTestOptions(); }
    // The range as the configuration's OK leaves it: in the options and in the dialog's boxes.
    void configureRange(qint32 first, qint32 last) const
    {
        tool.window->loadTestConfigWindow()->setStations(QString::number(first), QString::number(last));
        options().setRange(first, last);
    }
};

} // namespace

class TestLoadTestWithPbxSim : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void passesThenTheSweep_data();
    void passesThenTheSweep();
    void restartGoesOnWithThePhase();
    void startUpOptionsConnectShowAndTest();
    void commandLineTestWaitsForTheLink_data();
    void commandLineTestWaitsForTheLink();
};

void TestLoadTestWithPbxSim::passesThenTheSweep_data()
{
    QTest::addColumn<bool>("serial");
    QTest::addColumn<bool>("useFile");
    QTest::addColumn<QStringList>("passes");
    const QStringList range{"1000+", "1001+", "1002+", "1000-", "1001-", "1002-"};
    const QStringList file{"1000+", "2002+", "3003+", "1000-", "2002-", "3003-"};
    QTest::newRow("TCP, range") << false << false << range;
    QTest::newRow("TCP, file") << false << true << file;
    QTest::newRow("serial, range") << true << false << range;
    QTest::newRow("serial, file") << true << true << file;
}

void TestLoadTestWithPbxSim::passesThenTheSweep()
{
    QFETCH(bool, serial);
    QFETCH(bool, useFile);
    QFETCH(QStringList, passes);
    Rig rig;
    QVERIFY(rig.connect(serial));
    rig.writeExtensions("1000\r\n2002\r\n3003");
    rig.configureRange(1000, 1002);
    rig.options().setUseFile(useFile);
    rig.options().setDelayMs(20);
    rig.tool.action("StartLoadTest")->trigger();
    QVERIFY(rig.tool.action("StopTest")->isEnabled());
    QVERIFY(!rig.tool.action("mnuConfig")->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(lampVisits(rig.in).size() >= passes.size() + 1, kWait);
    rig.tool.action("mnuStop")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.tool.app->engine().loadTestRunning(), kWait);

    // Everything sent has reached the simulator (the serial line may still carry the last bytes).
    const lamp::LoadTestStats& figures = rig.tool.app->engine().loadTestStats();
    QTRY_COMPARE_WITH_TIMEOUT(lampVisits(rig.in).size(), figures.sent(), kWait);
    const QStringList seen = lampVisits(rig.in);
    QCOMPARE(seen.mid(0, passes.size()), passes);
    // Every lamp of the test is off at the end.
    for (const QString& visit : passes)
        QTRY_COMPARE_WITH_TIMEOUT(rig.sim.lamps().state(visit.chopped(1).toLatin1()), pbxsim::LampState{},
                                  kWait);
    const QByteArray terminal = rig.terminal();
    QVERIFY(terminal.indexOf("Stopping Load Test...") < terminal.indexOf("Load Test Stopped..."));
    // The figures agree with what the simulator counted.
    QCOMPARE(figures.sent(), rig.sim.stats().lampControls);
    if (!serial) {
        QCOMPARE(figures.answers(), figures.sent());
        QCOMPARE(figures.negative(), rig.sim.stats().lampRejected);
    }
    QVERIFY(terminal.contains("Load test: " + figures.summary(!serial) + "\r\n"));
    QVERIFY(rig.tool.op.messages.isEmpty());
    QVERIFY(rig.tool.action("StartLoadTest")->isEnabled());
    QVERIFY(!rig.tool.action("StopTest")->isEnabled());
}

// Start again after Stop: from the first station, in the phase of the last message before the
// stop (the sweep between switched every lamp off).
void TestLoadTestWithPbxSim::restartGoesOnWithThePhase()
{
    Rig rig;
    QVERIFY(rig.connect(false));
    rig.configureRange(1000, 1001);
    rig.options().setDelayMs(20);
    rig.tool.action("StartLoadTest")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(lampVisits(rig.in).size() >= 3, kWait);
    rig.tool.action("StopTest")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.tool.app->engine().loadTestRunning(), kWait);
    const QStringList first = lampVisits(rig.in);
    QCOMPARE(first.mid(first.size() - 2), (QStringList{"1000-", "1001-"})); // the sweep
    const QString lastTick = first.at(first.size() - 3);

    rig.tool.action("StartLoadTest")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(lampVisits(rig.in).size() > first.size(), kWait);
    rig.tool.action("StopTest")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.tool.app->engine().loadTestRunning(), kWait);
    QCOMPARE(lampVisits(rig.in).at(first.size()), QStringLiteral("1000") + lastTick.back());
}

// The command line's options open the link, show the breakdown window and start a test once the
// link is up; a record meanwhile is decoded.
void TestLoadTestWithPbxSim::startUpOptionsConnectShowAndTest()
{
    Rig rig;
    QVERIFY(rig.start(QStringLiteral("60")));
    rig.tool.app->store().write(settings::Key::StartSTN, QStringLiteral("1000"));
    rig.tool.app->store().write(settings::Key::EndSTN, QStringLiteral("1001"));
    rig.options().setRange(1000, 1001);
    const auto options = readCommandLine({"zkn-tool", "--connect", "--breakdown", "--load-test"});
    QVERIFY(std::holds_alternative<StartUpOptions>(options));
    StartUpOptions quick = std::get<StartUpOptions>(options);
    quick.loadTestPauseMs = kPauseMs;
    applyStartUpOptions(quick, *rig.tool.window);
    QVERIFY(rig.tool.window->breakDownWindow()->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(rig.sim.link().isLinkUp(), kWait);
    QVERIFY(!rig.tool.app->engine().loadTestRunning()); // the link's own messages come first
    rig.sim.link().sendRecord(pbxsim::catalogueTexts(std::nullopt).front());
    QTRY_VERIFY_WITH_TIMEOUT(rig.sim.stats().recordsAnswered == 1, kWait);
    QTRY_VERIFY_WITH_TIMEOUT(lampVisits(rig.in).size() >= 2, 2 * kWait);
    QCOMPARE(lampVisits(rig.in).mid(0, 2), (QStringList{"1000+", "1001+"}));
    QVERIFY(rig.tool.window->breakDownWindow()->windowTitle().startsWith("Format Message Information ("));
}

void TestLoadTestWithPbxSim::commandLineTestWaitsForTheLink_data()
{
    QTest::addColumn<int>("refusal"); // 0: accepted
    QTest::newRow("connect request answered after the pause") << 0;
    QTest::newRow("device refused") << 2;
}

// --load-test counts its pause from the link standing, not from the connect command; a link that
// never stands starts nothing, and the terminal says so.
void TestLoadTestWithPbxSim::commandLineTestWaitsForTheLink()
{
    QFETCH(int, refusal);
    Rig rig;
    QVERIFY(rig.start(QStringLiteral("60")));
    rig.options().setRange(1000, 1001);
    rig.sim.link().setRefusal(refusal);
    rig.sim.link().addFaultToNextFrame({pbxsim::FrameFault::Type::Late, 3 * kPauseMs});
    QStringList order; // "answer" for the connect response, "lamp" for a lamp message
    QObject::connect(&rig.sim, &pbxsim::PbxSimulator::frameOut, [&order](const FrameInfo& f) {
        if (f.kind == '3' && !order.contains(QStringLiteral("answer")))
            order.append(QStringLiteral("answer"));
    });
    QObject::connect(&rig.sim, &pbxsim::PbxSimulator::frameIn, [&order](const FrameInfo& f) {
        if (f.kind == '1')
            order.append(QStringLiteral("lamp"));
    });
    StartUpOptions options =
        std::get<StartUpOptions>(readCommandLine({"zkn-tool", "--connect", "--load-test"}));
    options.loadTestPauseMs = kPauseMs;
    applyStartUpOptions(options, *rig.tool.window);
    if (refusal == 0) {
        QTRY_VERIFY_WITH_TIMEOUT(order.contains(QStringLiteral("lamp")), 2 * kWait);
        QCOMPARE(order.first(), QStringLiteral("answer"));
        QVERIFY(!rig.terminal().contains("Load test not started"));
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(rig.terminal().contains("LINK RELEASED..."), 2 * kWait);
        QVERIFY(rig.terminal().endsWith(": Load test not started: the link is not up\r\n"));
        QVERIFY(!order.contains(QStringLiteral("lamp")));
    }
}

QTEST_MAIN(TestLoadTestWithPbxSim)
#include "tst_load_test_with_pbxsim.moc"
