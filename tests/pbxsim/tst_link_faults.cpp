// SPDX-License-Identifier: GPL-3.0-or-later
// The tool's link against every fault the PBX simulator offers, one row per fault, each on a
// fresh pair and a simulated clock: after the fault the link comes back (by itself or by the next
// connect command), every record that came whole is shown and answered once, and records flow
// again.
#include "lan_link_setup.h"

#include "lamp/single_station_request.h"
#include "link/link_engine.h"
#include "pbxsim/lamp_board.h"
#include "pbxsim/pbx_link.h"
#include "pbxsim/record_catalogue.h"
#include "pbxsim/sim_stats.h"

#include <QTest>

#include <algorithm>
#include <functional>

using namespace zkn;
using zkn::pbxsim::FrameFault;

namespace {

// The tool's link engine and the simulator's PBX side of the link on one simulated clock, in one
// process: a frame handed over reaches the PBX at once, what the PBX sends arrives when it is due,
// and the connection opens, closes and resets as a socket would tell it. A LAN link of device "1"
// under odd parity; boxes are answered by the scripted operator.
struct LinkPair : test::LanLinkSetup
{
    link::LinkEngine engine{clock, connection, debug, expansion, loadTest};
    pbxsim::SimStats stats;
    pbxsim::LampBoard lamps;
    pbxsim::PbxLink pbx{stats, lamps};

    explicit LinkPair(const QString& healthCheckInterval) : LanLinkSetup(healthCheckInterval)
    {
        host.frameLeaves = [this](const QByteArray& frame) {
            if (pbx.isOpen())
                pbx.receive(frame, clock.nowMs());
        };
    }

    // The connect command, and everything that is due now.
    void connect()
    {
        engine.connectCommand();
        settle();
    }

    // Runs the clock on by `ms`, stopping at every deadline of either side on the way (the
    // engine's are in microseconds, the simulator's in milliseconds).
    void run(qint64 ms)
    {
        const qint64 end = clock.nowUs() + ms * 1000;
        for (;;) {
            settle();
            std::optional<qint64> next = engine.timers().nextDeadline();
            if (const std::optional<qint64> due = pbx.nextDue(); due && (!next || *due * 1000 < *next))
                next = *due * 1000;
            if (!next || *next > end)
                break;
            clock.advanceUs(std::max<qint64>(0, *next - clock.nowUs()));
            engine.advanceTo(clock.nowUs());
        }
        clock.advanceUs(end - clock.nowUs());
    }

    bool linkUp() const { return pbx.isLinkUp() && host.connectChecked; }
    qsizetype linksUp() const { return host.terminal.count("Connect Message Rcv'd: OK"); }

private:
    // Until neither side has anything more to do at this moment.
    void settle()
    {
        for (bool moved = true; moved;) {
            host.drain(engine, op);
            moved = false;
            if (host.closes != m_closesSeen) {
                m_closesSeen = host.closes;
                if (pbx.isOpen())
                    pbx.connectionClosed();
                moved = true;
            }
            if (host.connects.size() != m_connectsSeen) {
                m_connectsSeen = host.connects.size();
                host.state = link::SocketState::Connected;
                host.sync(engine);
                pbx.connectionOpened();
                engine.onSocketConnected();
                moved = true;
            }
            for (const pbxsim::LinkAction& action : pbx.takeDue(clock.nowMs())) {
                moved = true;
                if (action.type == pbxsim::LinkAction::Type::Write) {
                    engine.onSocketData(action.bytes);
                    continue;
                }
                const bool closed = action.type == pbxsim::LinkAction::Type::Close; // else reset
                pbx.connectionClosed();
                host.state = closed ? link::SocketState::Closing : link::SocketState::Error;
                host.sync(engine);
                closed ? engine.onSocketClosed() : engine.onSocketReset();
            }
        }
    }

    int m_closesSeen = 0;
    qsizetype m_connectsSeen = 0;
};

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
        const auto row = [](const char* name, const Arm& arm, int links, bool ends, const char* line = "",
                            const QStringList& boxes = {}, const char* interval = "5") {
            QTest::newRow(name) << arm << QString::fromLatin1(interval) << links << ends << QByteArray(line)
                                << boxes;
        };
        using Type = FrameFault::Type;
        row("record split", recordFault({Type::Split, 150}, 2), 1, false);
        row("three records in one write", recordFault({Type::Coalesce, 3}, 3), 1, false);
        row("junk before a record", recordFault({Type::Junk, 0}, 2), 1, false);
        row("record late", recordFault({Type::Late, 300}, 2), 1, false);
        row("wrong check byte: answered as a parity error", recordFault({Type::CorruptCheckByte, 0}, 1), 1,
            false);
        row("record under a wrong number: answered under it", recordFault({Type::WrongSequence, 0}, 1), 1,
            false);
        row(
            "reset by the PBX: back after 2 s", [](LinkPair& p) { p.pbx.resetAfterFrames(0); }, 2, false,
            "WARNING!:  ** LINK WAS RESET BY PBX **");
        row("record cut by a reset: never shown", recordFault({Type::CutByReset, 0}, 1), 2, false,
            "** LINK WAS RESET BY PBX **");
        row(
            "release asked by the PBX", [](LinkPair& p) { p.pbx.releaseAfterFrames(0); }, 1, true,
            "PBX Response: Link Release Request...");
        row("release request behind a record: the record first", recordFault({Type::ReleaseBehind, 0}, 1), 1,
            true, "LINK RELEASED...");
        row(
            "seven health checks unanswered: reset, back by itself",
            [](LinkPair& p) { p.pbx.muteHealthChecks(0, 7); }, 2, false, "WARNING!:  ** RESETTING LINK **",
            {"PBX does not respond to Health Checks."}, "0");
        // The device refused at the next connect: the tool drops the connection and does not retry.
        const auto refusal = [](int code) {
            return Arm([code](LinkPair& p) {
                p.connect(); // release
                p.run(1000);
                p.pbx.setRefusal(code);
                p.connect();
            });
        };
        row("device not defined", refusal(2), 1, true, "Connect Message Rcv'd: ** DEVICE ID NOT DEFINED **");
        row("device in use", refusal(4), 1, true, "Connect Message Rcv'd: ** DEVICE ALREADY IN USE **");
        // Armed for the lamp frame's answer: the box after 10 s, and the answer is still the lamp's.
        const Arm lateLampAnswer = [](LinkPair& p) {
            p.debug.setDetail(true);
            p.pbx.addFaultToNextFrame({Type::Late, 11000});
            p.engine.sendSingleStation({"1000", {}, {}, lamp::LampAction::On});
        };
        row("lamp answer 11 s late", lateLampAnswer, 1, false, "(1) Lamp Control Message Rcv'd: OK",
            {"PBX did not respond to Lamp Control."}, "60");
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
};

QTEST_APPLESS_MAIN(TestLinkFaults)
#include "tst_link_faults.moc"
