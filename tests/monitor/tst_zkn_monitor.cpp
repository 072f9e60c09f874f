// SPDX-License-Identifier: GPL-3.0-or-later
// zkn-monitor as a process, relaying zkn-run's link to the simulator: the run goes as it does
// direct, each end receives byte for byte what the other sent, the monitor matches what the run
// counted, and reading the relay's own capture gives the same figures as watching it live.
#include "capture_reader.h"
#include "pty_pair.h"
#include "simulator_process.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

namespace {

const QString kMonitor = QStringLiteral(ZKN_MONITOR_PATH);
const QString kRun = QStringLiteral(ZKN_RUN_PATH);
const QString kSimulator = QStringLiteral(ZKN_PBXSIM_PATH);

// zkn-monitor relaying to the simulator on a free port, which it names on stderr.
struct MonitorProcess
{
    QProcess process;
    quint16 port = 0;
    QByteArray err;

    MonitorProcess(quint16 pbxPort, const QStringList& more)
    {
        process.start(kMonitor, QStringList{"--relay", "127.0.0.1:0", "--pbx",
                                            QStringLiteral("127.0.0.1:%1").arg(pbxPort)} +
                                    more);
        static const QRegularExpression relaying(QStringLiteral("relaying 127\\.0\\.0\\.1 port (\\d+)"));
        [[maybe_unused]] const bool named = QTest::qWaitFor(
            [&] {
                process.waitForReadyRead(50);
                err += process.readAllStandardError();
                if (const auto m = relaying.match(QString::fromLatin1(err)); m.hasMatch())
                    port = quint16(m.captured(1).toUInt());
                return port != 0 || process.state() != QProcess::Running;
            },
            5000);
    }
    ~MonitorProcess()
    {
        process.kill();
        process.waitForFinished();
    }
    // Ends it as Ctrl-C would: its exit status.
    int stop()
    {
        process.terminate();
        process.waitForFinished();
        err += process.readAllStandardError();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
};

QString writePlan(const QTemporaryDir& dir, quint16 port)
{
    const QString path = dir.filePath(QStringLiteral("plan-%1.json").arg(port));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(QStringLiteral(R"({"link": {"lan": {"host": "127.0.0.1", "port": %1, "device": 1}},
 "steps": [{"connect": {"within_ms": 5000}},
           {"lamps": {"stations": [1000, 1001, 1002], "function": "vmm-on"}},
           {"records": {"for_ms": 600, "at_least": 1}},
           {"load_test": {"first": 1000, "last": 1004, "delay_ms": 20, "messages": 8}},
           {"resync": {"max_unanswered": 0}},
           {"release": {"within_ms": 3000}}]})")
                   .arg(port)
                   .toLatin1());
    return path;
}

// zkn-run's lines (on stderr) without their times and durations: what each step came to.
QStringList run(const QString& plan, const QStringList& more = {})
{
    QProcess process;
    process.start(kRun, QStringList{plan} + more);
    process.waitForFinished(30000);
    QStringList lines =
        QString::fromLatin1(process.readAllStandardError()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    static const QRegularExpression took(QStringLiteral(" \\d+ ms"));
    static const QRegularExpression clock(QStringLiteral("\\d\\d:\\d\\d:\\d\\d"));
    for (QString& line : lines)
        line.remove(took).remove(clock);
    return lines;
}

// The TCP payload of a capture in each direction, in the order of the capture: what the side
// on `serverPort` sent, and what the other sent.
std::pair<QByteArray, QByteArray> payloads(const QString& path, quint16 serverPort)
{
    std::pair<QByteArray, QByteArray> sent;
    std::FILE* file = std::fopen(path.toLocal8Bit().constData(), "rb");
    if (!file)
        return sent;
    zkn::decodetool::readCapture(
        file, {[&](zkn::decodetool::CaptureTime, const zkn::decodetool::TcpSegment& s) {
                   (s.sourcePort == serverPort ? sent.first : sent.second) += s.payload.toByteArray();
               },
               {}});
    return sent;
}

// The master side of a pseudo-terminal whose device the monitor opens; nothing else holds the
// device, so closing the master takes it away as unplugging an adapter would.
struct TapPort
{
    // Not handed down to the processes the test starts, or they would hold the device too.
    int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    QString path = master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0
                       ? QString::fromLocal8Bit(::ptsname(master))
                       : QString();

    ~TapPort() { unplug(); }
    void unplug()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
};

// A tap cable between the simulator's serial line and zkn-run's: what each sends reaches the
// other, and a copy reaches the tap's port for its direction. Whatever comes back from a tap
// port is kept: the monitor must write nothing.
struct TapCable
{
    int simulator = -1; // the simulator's pseudo-terminal, as the cable's PBX end
    zkn::test::PtyPair run;
    TapPort pbxTap;
    TapPort mcTap;
    QByteArray writtenToTaps;

    explicit TapCable(const QString& simulatorPty)
    {
        simulator = ::open(simulatorPty.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios raw{};
        ::tcgetattr(simulator, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(simulator, TCSANOW, &raw);
    }
    ~TapCable() { ::close(simulator); }
    static QByteArray drain(int fd)
    {
        char buffer[4096];
        QByteArray bytes;
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
            bytes.append(buffer, n);
        return bytes;
    }
    static void put(int fd, const QByteArray& bytes)
    {
        if (!bytes.isEmpty()) [[maybe_unused]]
            const ssize_t written = ::write(fd, bytes.constData(), std::size_t(bytes.size()));
    }
    void carry()
    {
        const QByteArray fromPbx = drain(simulator);
        put(run.master(), fromPbx);
        put(pbxTap.master, fromPbx);
        const QByteArray fromMc = run.readMaster();
        put(simulator, fromMc);
        put(mcTap.master, fromMc);
        writtenToTaps += drain(pbxTap.master) + drain(mcTap.master);
    }
};

} // namespace

class TestZknMonitor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void throughTheRelayAsDirect_data()
    {
        QTest::addColumn<QStringList>("faults"); // the simulator's
        QTest::newRow("broken frames, junk, a stray answer")
            << QStringList{"--split", "2", "--coalesce", "3", "--junk", "4", "--stray-answer", "6"};
        QTest::newRow("a reset") << QStringList{"--reset-after", "6"};
    }
    void throughTheRelayAsDirect()
    {
        QFETCH(QStringList, faults);
        QTemporaryDir dir;
        const QStringList simulator =
            QStringList{"--records", "3", "--record-interval", "150", "--lamp-code", "1001:3"} + faults;
        SimulatorProcess direct(kSimulator, simulator);
        QVERIFY(direct.port != 0);
        const QStringList directLines = run(writePlan(dir, direct.port));
        QCOMPARE(directLines.size(), 6);

        const QString simCapture = dir.filePath(QStringLiteral("sim.pcap"));
        const QString runCapture = dir.filePath(QStringLiteral("run.pcap"));
        SimulatorProcess pbx(kSimulator, simulator + QStringList{"--capture", simCapture});
        QVERIFY(pbx.port != 0);
        const QString monitorCapture = dir.filePath(QStringLiteral("monitor.pcap"));
        MonitorProcess monitor(pbx.port, {"--json", "--capture", monitorCapture});
        QVERIFY2(monitor.port != 0, monitor.err.constData());
        const QString runJson = dir.filePath(QStringLiteral("run.json"));
        QCOMPARE(run(writePlan(dir, monitor.port), {"--capture", runCapture, "--json", runJson}),
                 directLines);
        QTest::qWait(200);           // the last close passes through
        QCOMPARE(monitor.stop(), 1); // the refused lamp is a fault
        QVERIFY(pbx.stop());

        // Each end received what the other sent, byte for byte.
        const auto [fromSimulator, toSimulator] = payloads(simCapture, pbx.port);
        const auto [toRun, fromRun] = payloads(runCapture, monitor.port);
        QVERIFY(!fromRun.isEmpty() && !fromSimulator.isEmpty());
        QCOMPARE(toSimulator, fromRun);
        QCOMPARE(toRun, fromSimulator);

        // The lamp answers the monitor matched, by code, are those the run counted.
        // What the monitor matched, by request and code, is what the run counted: its connect and
        // release when they passed, its lamp messages ok and refused. (The run counts records only
        // while a records step runs, so they are left out.)
        QMap<QString, int> matched;
        for (const QByteArray& line : monitor.process.readAllStandardOutput().split('\n')) {
            const QJsonObject o = QJsonDocument::fromJson(line).object();
            if (o.contains(QLatin1String("answers")) &&
                o.value(QLatin1String("answers")) != QLatin1String("record"))
                ++matched[o.value(QLatin1String("answers")).toString() +
                          (o.value(QLatin1String("code")).toInt() == 0 ? QStringLiteral(" ok")
                                                                       : QStringLiteral(" refused"))];
        }
        QFile report(runJson);
        QVERIFY(report.open(QIODevice::ReadOnly));
        QMap<QString, int> counted;
        for (const QJsonValue step :
             QJsonDocument::fromJson(report.readAll()).object()[QLatin1String("steps")].toArray()) {
            const QJsonValue figures = step[QLatin1String("figures")];
            const bool passed = step[QLatin1String("result")] == QLatin1String("pass");
            const QString kind = step[QLatin1String("step")].toString();
            counted[QStringLiteral("lamp message ok")] += figures[QLatin1String("ok")].toInt();
            counted[QStringLiteral("lamp message refused")] += figures[QLatin1String("refused")].toInt();
            counted[QStringLiteral("connect request ok")] += kind == QLatin1String("connect") && passed;
            counted[QStringLiteral("release request ok")] += kind == QLatin1String("release") && passed;
        }
        counted.removeIf([](const auto& entry) { return entry.value() == 0; });
        QVERIFY(counted.value(QStringLiteral("lamp message ok")) > 0 &&
                counted.value(QStringLiteral("lamp message refused")) > 0);
        QCOMPARE(matched, counted);

        // The relay's own capture, read afterwards, gives the figures seen live, but for the times.
        QProcess read;
        read.start(kMonitor, {"--read", monitorCapture, "--quiet"});
        QVERIFY(read.waitForFinished(10000));
        static const QRegularExpression times(QStringLiteral(", median .*? ms, p95 .*? ms, max .*? ms"));
        const auto figures = [](QByteArray summary) {
            QString text = QString::fromLatin1(summary.left(summary.indexOf("FAULT")));
            return text.remove(times).section(QLatin1Char('\n'), 1).section(QLatin1Char('\n'), 0, -3);
        };
        const QString live = figures(monitor.err.mid(monitor.err.indexOf("zkn-monitor summary")));
        QVERIFY2(live.contains(QLatin1String("lamp message: ")), qPrintable(live));
        QCOMPARE(figures(read.readAllStandardError()), live);
    }

    void tapOverPseudoTerminals()
    {
        SimulatorProcess pbx(kSimulator, {"--pty", "--records", "2", "--record-interval", "100"});
        QVERIFY(!pbx.pty.isEmpty());
        TapCable cable(pbx.pty);
        QVERIFY(cable.simulator >= 0 && cable.run.isValid() && !cable.pbxTap.path.isEmpty() &&
                !cable.mcTap.path.isEmpty());
        QProcess monitor;
        QTemporaryDir dir;
        const QString tapCapture = dir.filePath(QStringLiteral("tap.pcap"));
        monitor.start(kMonitor,
                      {"--tap", cable.pbxTap.path, cable.mcTap.path, "--json", "--capture", tapCapture});
        QByteArray said;
        QVERIFY(QTest::qWaitFor(
            [&] {
                monitor.waitForReadyRead(20);
                said += monitor.readAllStandardError();
                return said.contains("tapping");
            },
            5000));
        const QString plan = dir.filePath(QStringLiteral("serial.json"));
        QFile file(plan);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral(R"({"link": {"serial": {"port": "%1", "settings": "9600,n,8,1"}},
 "steps": [{"connect": {"within_ms": 2000}},
           {"lamps": {"stations": [1000, 1001], "function": "mw-on"}},
           {"records": {"for_ms": 3000, "at_least": 1}},
           {"release": {"within_ms": 2000}}]})")
                       .arg(cable.run.devicePath())
                       .toLatin1());
        file.close();
        QProcess run;
        const QString runCapture = dir.filePath(QStringLiteral("serial.pcap"));
        run.start(kRun, {plan, "--capture", runCapture});
        QVERIFY(QTest::qWaitFor(
            [&] {
                cable.carry();
                return run.state() == QProcess::NotRunning;
            },
            20000));
        QVERIFY2(run.exitCode() == 0, run.readAllStandardError().constData());
        QTest::qWait(100);
        cable.carry();
        QCOMPARE(cable.writtenToTaps, QByteArray());
        // The PBX's tap port goes away: a fault; the message centre's is still read.
        cable.pbxTap.unplug();
        const QByteArray last("\x02"
                              "0!A0101102041009\x03");
        TapCable::put(cable.mcTap.master, last);
        QTest::qWait(300);
        monitor.terminate();
        QVERIFY(monitor.waitForFinished(5000));
        said += monitor.readAllStandardError();
        QVERIFY2(monitor.exitCode() == 1, said.constData());
        QVERIFY2(said.contains("FAULT the PBX's port " + cable.pbxTap.path.toLatin1() + " failed"),
                 said.constData());
        QCOMPARE(TapCable::drain(cable.mcTap.master), QByteArray());
        QStringList seen;
        for (const QByteArray& line : monitor.readAllStandardOutput().split('\n')) {
            const QJsonObject o = QJsonDocument::fromJson(line).object();
            if (o.contains(QLatin1String("from")))
                seen << o[QLatin1String("from")].toString() + QLatin1Char(' ') +
                            o[QLatin1String("kind_name")].toString() + QLatin1Char(' ') +
                            o[QLatin1String("lamp")][QLatin1String("first")].toString();
        }
        // Both directions, each message once; the records as many as came before the port closed.
        QCOMPARE(seen.filter(QStringLiteral("mc ")),
                 QStringList({"mc lamp message 1000", "mc lamp message 1001", "mc lamp message 1009"}));
        QVERIFY(!seen.filter(QStringLiteral("pbx record")).isEmpty());
        QCOMPARE(seen.filter(QStringLiteral("pbx ")).size(),
                 seen.filter(QStringLiteral("pbx record")).size());

        // zkn-run's own capture of the serial line reads as the same messages (the records those
        // that came before the run closed its port).
        QProcess read;
        read.start(kMonitor, {"--read", runCapture, "--quiet"});
        QVERIFY(read.waitForFinished(5000));
        const QByteArray summary = read.readAllStandardError();
        QVERIFY2(summary.contains("mc: 2 frames, 0 records, 2 lamp messages") &&
                     !summary.contains("pbx: 0 frames"),
                 summary.constData());

        // The monitor's own capture of the tap reads as what it saw.
        read.start(kMonitor, {"--read", tapCapture, "--quiet"});
        QVERIFY(read.waitForFinished(5000));
        const auto sides = [](const QByteArray& text) {
            return text.mid(text.indexOf("pbx: "), text.indexOf("connect request: ") - text.indexOf("pbx: "));
        };
        QVERIFY(sides(said).startsWith("pbx: "));
        QCOMPARE(sides(read.readAllStandardError()), sides(said));
    }

    // A reader of the lines that stops reading (here a process that never reads its input) holds
    // neither the relay nor the link: lines beyond the bound are left out and counted.
    void aStalledReaderHoldsNothing()
    {
        SimulatorProcess pbx(kSimulator, {});
        QProcess stalled;
        stalled.start(QStringLiteral("sleep"), {"60"});
        QVERIFY(stalled.waitForStarted());
        QProcess monitor;
        monitor.setStandardOutputProcess(&stalled);
        monitor.setReadChannel(QProcess::StandardError);
        monitor.start(kMonitor,
                      {"--relay", "127.0.0.1:0", "--pbx", QStringLiteral("127.0.0.1:%1").arg(pbx.port)});
        QByteArray said;
        static const QRegularExpression relaying(QStringLiteral("relaying 127\\.0\\.0\\.1 port (\\d+)"));
        quint16 port = 0;
        QVERIFY(QTest::qWaitFor(
            [&] {
                monitor.waitForReadyRead(20);
                said += monitor.readAllStandardError();
                if (const auto m = relaying.match(QString::fromLatin1(said)); m.hasMatch())
                    port = quint16(m.captured(1).toUInt());
                return port != 0;
            },
            5000));
        QTcpSocket mc;
        mc.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(mc.waitForConnected(5000));
        // 3 000 status frames, each answered: 6 000 lines, far more than a pipe holds.
        QByteArray burst;
        for (int i = 0; i < 3000; ++i) {
            QByteArray frame = "\x16"
                               "5006"
                               "01" +
                               QByteArray::number(i % 100).rightJustified(2, '0') + "00";
            quint8 x = 0;
            for (qsizetype k = 1; k < frame.size(); ++k)
                x ^= quint8(frame[k]);
            burst += frame + char(~x);
        }
        mc.write(burst);
        QByteArray answers;
        QVERIFY(QTest::qWaitFor(
            [&] {
                mc.waitForReadyRead(20);
                answers += mc.readAll();
                return answers.size() >= 3000 * 11;
            },
            20000));
        monitor.terminate();
        QVERIFY(monitor.waitForFinished(10000));
        said += monitor.readAllStandardError();
        QVERIFY2(said.contains("lines left out while the output did not keep up: "), said.constData());
        stalled.kill();
        stalled.waitForFinished();
    }

    // SIGUSR1 prints the figures line at once, the relay going on.
    void figuresAtSigusr1()
    {
        SimulatorProcess pbx(kSimulator, {});
        MonitorProcess monitor(pbx.port, {});
        QVERIFY(monitor.port != 0);
        ::kill(pid_t(monitor.process.processId()), SIGUSR1);
        QVERIFY(QTest::qWaitFor([&] { return monitor.process.canReadLine(); }, 5000));
        QCOMPARE(
            monitor.process.readLine(),
            QByteArray(
                "figures: pbx 0 frames (0 records), mc 0 frames (0 lamp messages); answers none; 0 not in "
                "time; 0 faults\n"));
        QCOMPARE(monitor.stop(), 0);
    }

    void exitStatus_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said");
        QTest::newRow("no PBX") << QStringList{"--relay", "0"} << 2 << "--relay wants --pbx HOST[:PORT]";
        QTest::newRow("no capture") << QStringList{"--read", "/nonexistent.pcap"} << 3 << "cannot read";
        QTest::newRow("an address not here") << QStringList{"--relay", "192.0.2.1:0", "--pbx", "127.0.0.1"}
                                             << 3 << "cannot listen on 192.0.2.1";
    }
    void exitStatus()
    {
        QFETCH(QStringList, args);
        QProcess monitor;
        monitor.start(kMonitor, args);
        QVERIFY(monitor.waitForFinished(5000));
        QTEST(monitor.exitCode(), "status");
        QFETCH(QString, said);
        QVERIFY2(monitor.readAllStandardError().contains(said.toLatin1()), qPrintable(said));
    }
};

QTEST_MAIN(TestZknMonitor)
#include "tst_zkn_monitor.moc"
