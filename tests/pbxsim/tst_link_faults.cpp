// SPDX-License-Identifier: GPL-3.0-or-later
// The tool's link against every fault the PBX simulator offers, one row per fault, each on a
// fresh pair and a simulated clock: after the fault the link comes back (by itself or by the next
// connect command), every record that came whole is shown and answered once, and records flow
// again.
#include "link_pair.h"

#include "lamp/single_station_request.h"
#include "pbxsim/lamp_faults.h"
#include "pbxsim/link_flood.h"
#include "pbxsim/record_catalogue.h"

#include <QTest>

#include <algorithm>
#include <functional>
#include <numeric>

using namespace zkn;
using zkn::pbxsim::FrameFault;
using zkn::test::LinkPair;

namespace {

using Arm = std::function<void(LinkPair&)>;

const QList<QByteArray>& texts()
{
    static const QList<QByteArray> catalogue = pbxsim::catalogueTexts(std::nullopt);
    return catalogue;
}

void sendRecords(LinkPair& p, int count)
{
    for (int i = 0; i < count; ++i)
        p.pbx.sendRecord(texts()[(p.stats.recordsSent + i) % texts().size()]);
}

Arm recordFault(FrameFault fault, int records)
{
    return [fault, records](LinkPair& p) {
        p.pbx.addFaultToNextFrame(fault);
        sendRecords(p, records);
    };
}

// Every record line of the terminal is one of the texts the PBX sent, whole.
qsizetype recordsShown(const QByteArray& terminal)
{
    qsizetype shown = 0;
    for (const QByteArray& line : terminal.split('\n')) {
        const qsizetype stx = line.indexOf('\x02');
        if (!line.startsWith(" ->:") || stx < 0)
            continue;
        QByteArray text = line.mid(stx).chopped(1); // without the CR
        text.replace('.', ' ');
        if (!texts().contains(text))
            return -1;
        ++shown;
    }
    return shown;
}

} // namespace

Q_DECLARE_METATYPE(Arm)

class TestLinkFaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void linkOutlivesTheFault_data()
    {
        QTest::addColumn<Arm>("arm");
        QTest::addColumn<QString>("interval"); // of the health checks
        QTest::addColumn<int>("links");        // after a minute, by the tool alone
        QTest::addColumn<bool>("ends");        // the link is down until the next connect command
        QTest::addColumn<QByteArray>("line");  // the terminal shows it (empty: nothing in particular)
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QStringList>("faults"); // as the link says them, for a snapshot
        const auto row = [](const char* name, const Arm& arm, int links, bool ends, const char* line = "",
                            const QStringList& boxes = {}, const char* interval = "5",
                            const QStringList& faults = {}) {
            QTest::newRow(name) << arm << QString::fromLatin1(interval) << links << ends << QByteArray(line)
                                << boxes << faults;
        };
        using Type = FrameFault::Type;
        row("record split", recordFault({Type::Split, 150}, 2), 1, false);
        row("three records in one write", recordFault({Type::Coalesce, 3}, 3), 1, false);
        row("junk before a record: skipped, said, the record answered", recordFault({Type::Junk, 0}, 2), 1,
            false, ": 2 bytes skipped before a frame\r\n", {}, "5", {"bytes skipped before a frame"});
        row("record late", recordFault({Type::Late, 300}, 2), 1, false);
        row("wrong check byte: answered as a parity error", recordFault({Type::CorruptCheckByte, 0}, 1), 1,
            false, "", {}, "5", {"bad check byte in a record"});
        row("record under a wrong number: answered under it", recordFault({Type::WrongSequence, 0}, 1), 1,
            false);
        row("reset by the PBX: back after 2 s", [](LinkPair& p) { p.pbx.resetAfterFrames(0); }, 2, false,
            "WARNING!:  ** LINK WAS RESET BY PBX **", {}, "5", {"the PBX reset the connection"});
        row("record cut by a reset: never shown", recordFault({Type::CutByReset, 0}, 1), 2, false,
            "** LINK WAS RESET BY PBX **", {}, "5", {"the PBX reset the connection"});
        row(
            "release asked by the PBX", [](LinkPair& p) { p.pbx.releaseAfterFrames(0); }, 1, true,
            "PBX Response: Link Release Request...");
        row("an answer to nothing behind a record: the box, the link goes on",
            recordFault({Type::StrayAnswer, 0}, 1), 1, false, "",
            {"Improper sequence received!\r\nPossibly due to a system reset or CMOD.\r\n50\r\n0"}, "5",
            {"improper sequence 50"});
        row("release request behind a record: the record first", recordFault({Type::ReleaseBehind, 0}, 1), 1,
            true, "LINK RELEASED...");
        row("seven health checks unanswered: reset, back by itself",
            [](LinkPair& p) { p.pbx.muteHealthChecks(0, 7); }, 2, false, "WARNING!:  ** RESETTING LINK **",
            {"PBX does not respond to Health Checks."}, "0", {"health checks unanswered: the link is reset"});
        // The device refused at the next connect: the tool drops the connection and does not retry.
        const auto refusal = [](int code) {
            return Arm([code](LinkPair& p) {
                p.connect(); // release
                p.run(1000);
                p.pbx.setRefusal(code);
                p.connect();
            });
        };
        row("device not defined", refusal(2), 1, true, "Connect Message Rcv'd: ** DEVICE ID NOT DEFINED **",
            {}, "5", {"negative answer 2 (** DEVICE ID NOT DEFINED **)"});
        row("device in use", refusal(4), 1, true, "Connect Message Rcv'd: ** DEVICE ALREADY IN USE **", {},
            "5", {"negative answer 4 (** DEVICE ALREADY IN USE **)"});
        // Armed for the lamp frame's answer: the box after 10 s, and the answer is still the lamp's.
        const Arm lateLampAnswer = [](LinkPair& p) {
            p.debug.setDetail(true);
            p.pbx.addFaultToNextFrame({Type::Late, 11000});
            p.engine.singleStation().sendSingleStation({"1000", {}, {}, lamp::LampAction::On});
        };
        row("lamp answer 11 s late", lateLampAnswer, 1, false, "(1) Lamp Control Message Rcv'd: OK",
            {"PBX did not respond to Lamp Control."}, "60", {"no answer to a lamp message"});
    }
    void linkOutlivesTheFault()
    {
        QFETCH(Arm, arm);
        QFETCH(QString, interval);
        QFETCH(int, links);
        LinkPair p(interval);
        p.connect();
        p.run(100);
        QVERIFY(p.linkUp());

        arm(p);
        p.run(60000);
        QCOMPARE(p.linksUp(), links);
        QFETCH(QByteArray, line);
        QVERIFY2(p.host.terminal.contains(line), p.host.terminal.right(1500).constData());
        QFETCH(bool, ends);
        QCOMPARE(p.linkUp(), !ends);
        QStringList boxes;
        for (const Operator::Message& box : std::as_const(p.op.messages))
            boxes.append(box.text);
        QTEST(boxes, "boxes");
        QTEST(p.host.faults, "faults");
        if (ends) {
            p.pbx.setRefusal(0);
            p.connect();
            p.run(1000);
            QVERIFY(p.linkUp());
        }

        sendRecords(p, 2);
        p.run(5000);
        QCOMPARE(p.stats.recordsAnswered + p.stats.recordTimeouts, p.stats.recordsSent);
        QCOMPARE(p.stats.answerWrongDevice, 0);
        QCOMPARE(recordsShown(p.host.terminal), qsizetype(p.stats.recordsSent - p.stats.recordTimeouts));
    }

    // A station the PBX never answers: the lamp timeout box stays open a minute while the link goes
    // on beneath it. Every health check is answered in time, a record is shown and answered as it
    // comes, and once the box is closed the health-check clock stops until data comes.
    void theLinkGoesOnUnderALampTimeoutBox()
    {
        LinkPair p(QStringLiteral("1"));
        p.op.keepOpen = true;
        p.connect();
        p.run(100);
        p.pbx.lampFaults().mute(*pbxsim::StationSet::parse(QStringLiteral("1000")));
        p.engine.singleStation().sendSingleStation({"1000", {}, {}, lamp::LampAction::On});
        p.run(10100); // 10 s after the frame left
        QCOMPARE(p.op.openBoxes(), 1);
        const int checksBefore = p.stats.framesIn.value(QStringLiteral("5"));
        sendRecords(p, 1);
        p.run(100);
        QCOMPARE(p.stats.recordsAnswered, 1);
        QCOMPARE(recordsShown(p.host.terminal), 1);
        p.run(60000);
        QCOMPARE_GE(p.stats.framesIn.value(QStringLiteral("5")) - checksBefore, 29); // one every 2 s
        QCOMPARE(p.engine.missedHealthChecks(), 0);
        QCOMPARE(p.linksUp(), 1);
        QCOMPARE(p.op.messages.size(), 1);
        QCOMPARE(p.op.messages[0].text, QStringLiteral("PBX did not respond to Lamp Control."));

        QVERIFY(p.op.closeBox());
        p.run(0);
        QVERIFY(!p.engine.timers().isActive(link::Timer::StatusMonitor));
        QCOMPARE(p.host.responses.last(), QStringLiteral("lamp timed out"));
    }

    // A PBX flooding the link with what the tool ignores or cannot read: a lamp message is still
    // answered, and no box opens.
    void aLampMessageIsAnsweredThroughAFlood_data()
    {
        QTest::addColumn<QString>("flood");
        QTest::newRow("status frames") << QStringLiteral("ignored:5000");
        QTest::newRow("garbage") << QStringLiteral("garbage:5000");
    }
    void aLampMessageIsAnsweredThroughAFlood()
    {
        QFETCH(QString, flood);
        LinkPair p(QStringLiteral("60"));
        p.pbx.setFlood(*pbxsim::LinkFlood::parse(flood));
        p.connect();
        p.run(1000);
        QVERIFY(p.linkUp());
        const QList<int> out = p.stats.framesOut.values();
        QCOMPARE_GT(std::accumulate(out.begin(), out.end(), 0), 4000);
        p.engine.singleStation().sendSingleStation({"1000", {}, {}, lamp::LampAction::On});
        p.run(1000);
        QCOMPARE(p.lamps.state("1000"), pbxsim::LampState({false, true}));
        QVERIFY(p.host.responses.contains(QStringLiteral("2:0"))); // the lamp frame's OK
        QVERIFY(p.op.messages.isEmpty());
    }

    // Records at 40 a second, below the 50 the tool can answer: a load test beside them runs with
    // no timeout and no missed health check, and every record is answered.
    void aLoadTestKeepsUpWithRecordsBelowItsPace()
    {
        LinkPair p(QStringLiteral("1"));
        p.pbx.setFlood(*pbxsim::LinkFlood::parse(QStringLiteral("records:40")));
        p.loadTest.setRange(1000, 1009);
        p.loadTest.setDelayMs(100);
        p.connect();
        p.run(100);
        p.engine.lamps().mnuStart_Click();
        p.run(5000);
        QCOMPARE_GE(p.stats.recordsSent, 195);
        QCOMPARE(p.stats.recordTimeouts, 0);
        QCOMPARE(p.engine.missedHealthChecks(), 0);
        QCOMPARE(p.engine.lamps().loadTestStats().timeouts(), 0);
        QCOMPARE_GE(p.engine.lamps().loadTestStats().answers(), 40);
        QVERIFY(p.op.messages.isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestLinkFaults)
#include "tst_link_faults.moc"
