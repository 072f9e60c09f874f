// SPDX-License-Identifier: GPL-3.0-or-later
// The PBX simulator's logic without sockets: hand-written frames in, the exact bytes out, on a
// clock the test sets; what its serial side traces; and the report of a capture played back.
#include "lamp/lamp_message_reader.h"
#include "pbxsim/command_line.h"
#include "pbxsim/lamp_board.h"
#include "pbxsim/link_flood.h"
#include "pbxsim/pbx_link.h"
#include "pbxsim/pbx_replay.h"
#include "pbxsim/serial_side.h"
#include "pbxsim/sim_stats.h"
#include "pbxsim/trace_line.h"

#include "check_byte.h"

#include <QJsonDocument>
#include <QTest>

#include <functional>

using namespace zkn::pbxsim;
using namespace zkn::lamp;
using zkn::link::Parity;

namespace {

const auto hex = [](const char* text) { return QByteArray::fromHex(text); };

// Device 01 under even parity unless a row says otherwise.
const QByteArray kConnect = hex("16 35303036 3031 3037 3030 05");
const QByteArray kShortRecord = hex("02 30214A58 03"); // STX "0!JX" ETX

using Arm = std::function<void(PbxLink&)>;

// A frame of device "01" under odd parity.
// What the tool does, at each time (ms): opens or closes a connection, or sends a frame.
using ToolScript = QList<std::pair<int, QByteArray>>;

struct Pbx
{
    SimStats stats;
    LampBoard lamps;
    PbxLink link{stats, lamps};

    explicit Pbx(const Arm& arm = [](PbxLink&) {})
    {
        link.setParity(Parity::Even);
        link.connectionOpened();
        arm(link);
    }
    // Everything due from now on, the clock moved to each due time in turn: "200:1633..." for
    // bytes written at 200 ms, "0:close" or "0:reset".
    QStringList drain()
    {
        QStringList actions;
        while (const auto due = link.nextDue()) {
            for (const LinkAction& action : link.takeDue(*due)) {
                const char* type[] = {nullptr, "close", "reset"};
                actions.append(QString::number(action.due) + ':' +
                               (action.type == LinkAction::Type::Write ? action.bytes.toHex().toUpper()
                                                                       : QByteArray(type[int(action.type)])));
            }
        }
        return actions;
    }
};

} // namespace

Q_DECLARE_METATYPE(Arm)
Q_DECLARE_METATYPE(ToolScript)

class TestPbxsim : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void answers_data();

    // Each input given whole; how the PBX side cuts a stream into frames, however it comes, is the
    // frame assembler's rule, replayed from the fuzz corpus.
    void answers()
    {
        QFETCH(Arm, arm);
        QFETCH(QByteArray, input);
        QFETCH(QString, actions);
        QFETCH(QStringList, lamps);
        Pbx pbx(arm);
        pbx.link.receive(input, 0);
        QCOMPARE(pbx.drain().join(','), actions.remove(' '));
        QStringList switched;
        for (const QByteArray& station : pbx.lamps.stations().keys())
            switched.append(QString::fromLatin1(station));
        QCOMPARE(switched, lamps);
    }

    void commandLine_data();
    // What the simulator makes of its options: the run they ask for, or what is wrong.
    void commandLine()
    {
        QFETCH(QString, arguments);
        const auto parsed =
            parseCommandLine(QStringList{"zkn-pbxsim"} + arguments.split(' ', Qt::SkipEmptyParts));
        QString got;
        if (const auto* error = std::get_if<QString>(&parsed)) {
            got = *error;
        } else {
            const SimConfig& c = std::get<SimConfig>(parsed);
            const char* transports[] = {"tcp", "pty", "serial"};
            QStringList faults;
            for (const SimConfig::CuedFault& f : c.faults)
                faults.append(
                    QStringLiteral("%1:%2:%3").arg(f.frame).arg(int(f.fault.type)).arg(f.fault.value));
            const QString mute =
                c.muteHealth ? QStringLiteral("%1:%2").arg(c.muteHealth->first).arg(c.muteHealth->second)
                             : QStringLiteral("-");
            got = QStringList{QLatin1String(transports[int(c.transport)]),
                              c.address.toString() + ':' + QString::number(c.port),
                              c.device,
                              c.lineParameters.toText(),
                              c.parity == zkn::link::Parity::Odd ? "odd" : "even",
                              "| refuse",
                              QString::number(c.refusal),
                              "| records",
                              QString::number(c.records),
                              QString::number(c.recordIntervalMs),
                              "| timeout",
                              QString::number(c.answerTimeoutMs),
                              "| mute",
                              mute,
                              "| faults",
                              faults.join(','),
                              "| speed",
                              QString::number(c.replaySpeed)}
                      .join(' ');
        }
        QTEST(got, "expected");
    }

    // The summary's answer times: the least, the middle one (or the mean of the two middle ones)
    // and the most, over counts by milliseconds; and the rest of it as JSON.
    void summary()
    {
        const auto times = [](const QMap<qint64, int>& counts) {
            SimStats stats;
            stats.answerLatencyCounts = counts;
            return QJsonDocument(stats.toJson(LampBoard())["answer_latency_ms"].toObject())
                .toJson(QJsonDocument::Compact);
        };
        QCOMPARE(times({}), QByteArray(R"({"count":0})"));
        QCOMPARE(times({{5, 1}, {9, 2}, {20, 1}}), QByteArray(R"({"count":4,"max":20,"median":9,"min":5})"));
        QCOMPARE(times({{5, 1}, {9, 1}}), QByteArray(R"({"count":2,"max":9,"median":7,"min":5})"));
        QCOMPARE(times({{1, 1}, {2, 1}, {3, 1}}), QByteArray(R"({"count":3,"max":3,"median":2,"min":1})"));
        QCOMPARE(times({{4, 3}, {8, 1}}), QByteArray(R"({"count":4,"max":8,"median":4,"min":4})"));
        SimStats stats;
        LampBoard lamps;
        LampCommand on;
        on.function = LampFunction::VmmOn;
        on.firstStation = "1000";
        lamps.apply(on);
        stats.framesIn[SimStats::kindKey('5')] = 2;
        stats.framesIn[SimStats::kindKey(FrameInfo::kJunk)] = 1;
        stats.recordsSent = 3;
        const QJsonObject json = stats.toJson(lamps);
        QCOMPARE(QJsonDocument(json["frames_in"].toObject()).toJson(QJsonDocument::Compact),
                 QByteArray(R"({"5":2,"junk":1})"));
        QCOMPARE(json["records"]["sent"].toInt(), 3);
        QCOMPARE(QJsonDocument(json["lamps"].toObject()).toJson(QJsonDocument::Compact),
                 QByteArray(R"({"1000":{"mw":false,"vmm":true}})"));
    }

    // Stations given to the lamp faults: numbers, ranges and lists; a field that is no number is
    // in none.
    void stationSets()
    {
        const StationSet set = *StationSet::parse(QStringLiteral("7,990-1009"));
        for (const char* in : {"7", "990", "1009", " 1000 "})
            QVERIFY2(set.contains(in), in);
        for (const char* out : {"8", "989", "1010", "#12", "", "  "})
            QVERIFY2(!set.contains(out), out);
        for (const char* wrong : {"", "5-", "-5", "9-5", "1-2-3", "a", "1,,2"})
            QVERIFY2(!StationSet::parse(QLatin1String(wrong)), wrong);
    }

    void lampMessages_data();
    // What the simulator reads in a lamp-control message, or that it refuses it.
    void lampMessages()
    {
        QFETCH(QByteArray, text);
        const std::optional<LampCommand> command = parseLampMessage(text);
        QTEST(command ? describeLampCommand(*command) : QStringLiteral("refused"), "read");
    }

    // The trace's line for each unit, header fields a terminal cannot show as "??".
    void traceLines()
    {
        const QTime at(14, 3, 59, 250);
        using D = FrameInfo::Direction;
        QCOMPARE(traceLine({D::In, 1, '5', "07", hex("16 35"), "connect request, accepted"}, at),
                 QStringLiteral("14:03:59.250 in  #1    kind 5 seq 07 | 16 35 | connect request, accepted"));
        QCOMPARE(traceLine({D::Out, 0, FrameInfo::kJunk, {}, "\r\n", "no frame"}, at),
                 QStringLiteral("14:03:59.250 out -     junk          | 0D 0A | no frame"));
        QCOMPARE(traceLine({D::In, 12, FrameInfo::kText, {}, "\x02", "message text"}, at),
                 QStringLiteral("14:03:59.250 in  #12   text          | 02 | message text"));
        QCOMPARE(traceLine({D::In, 3, '\x01', "0\x7f", {}, ""}, at),
                 QStringLiteral("14:03:59.250 in  #3    kind ?? seq ?? |  | "));
        QCOMPARE(traceLine({D::In, 4, '3', "", {}, ""}, at),
                 QStringLiteral("14:03:59.250 in  #4    kind 3 seq ?? |  | "));
        // A space and a tilde are the ends of what shows.
        QCOMPARE(traceLine({D::In, 5, '3', " ~", {}, ""}, at),
                 QStringLiteral("14:03:59.250 in  #5    kind 3 seq  ~ |  | "));
        QCOMPARE(eventLine(QStringLiteral("connection closed"), at),
                 QStringLiteral("14:03:59.250 --  connection closed"));
    }

    // What the PBX side found in a read, for the trace: junk unnumbered, frames numbered from 1.
    void unitsIn()
    {
        Pbx pbx;
        QStringList units;
        for (const FrameInfo& unit : pbx.link.receive("\r\n" + kConnect, 0))
            units.append(
                QStringLiteral("%1 %2 %3").arg(unit.index).arg(QLatin1Char(unit.kind)).arg(unit.note));
        QCOMPARE(units, (QStringList{"0 - no frame, dropped", "1 5 connect request, accepted"}));
    }

    void frameNotes_data();
    // What the trace says of each frame the simulator sends: its kind and how a fault shaped it.
    void frameNotes()
    {
        QFETCH(Arm, arm);
        Pbx pbx(arm);
        pbx.link.receive(kConnect, 0);
        QStringList notes;
        while (const auto due = pbx.link.nextDue())
            for (const LinkAction& action : pbx.link.takeDue(*due))
                for (const FrameInfo& frame : action.frames)
                    notes.append(frame.note);
        QTEST(notes, "notes");
    }

    void replayReport_data();
    // A captured connection played to a tool that behaves as scripted; the report compares.
    void replayReport()
    {
        QFETCH(ToolScript, tool);
        QFETCH(QStringList, report);
        CapturedConnection captured;
        captured.frames = {{0, true, zkn::test::linkFrame('5', "00", "00")},
                           {10000, false, zkn::test::linkFrame('3', "00", "0")},
                           {20000, false, zkn::test::linkFrame('2', "05", "\x02J 1\x03")},
                           {50000, true, zkn::test::linkFrame('4', "05", "0")},
                           {60000, true, zkn::test::linkFrame('6', "01")},
                           {65000, false, zkn::test::linkFrame('3', "01", "0")}};
        captured.end = CapturedConnection::End::PbxClosed;
        captured.endUs = 70000;
        PbxReplay replay({captured}, Parity::Odd, 1.0, 500);
        const auto runUntil = [&replay](qint64 ms) {
            while (const auto due = replay.nextDue()) {
                if (*due > ms)
                    break;
                replay.takeDue(*due);
            }
        };
        for (const auto& [ms, event] : tool) {
            runUntil(ms);
            if (event == "open")
                replay.connectionOpened();
            else if (event == "close")
                replay.connectionClosed();
            else
                replay.receive(event, ms);
            replay.takeDue(ms);
        }
        runUntil(10000);
        QVERIFY(replay.ended());
        QCOMPARE(replay.report().split('\n'), report);
    }

    void serialTrace_data();
    // What the serial side makes of one read, unit by unit in the order the bytes came.
    void serialTrace()
    {
        QFETCH(QByteArray, input);
        QFETCH(QStringList, units);
        SimStats stats;
        LampBoard lamps;
        SerialSide side(stats, lamps);
        side.lineOpened();
        QStringList found;
        for (const FrameInfo& unit : side.receive(input))
            found.append(QString::fromLatin1(unit.bytes.toPercentEncoding(" !")) + " = " + unit.note);
        QCOMPARE(found, units);
    }

    // The serial side is due only when a record or the hang-up is: records at the series' pace,
    // the hang-up with the record it waited for, or at once when told to wait for none.
    void serialSchedule()
    {
        SimStats stats;
        LampBoard lamps;
        SerialSide side(stats, lamps);
        side.lineOpened();
        const auto actions = [&side](qint64 now) {
            QString kinds;
            for (const LinkAction& action : side.takeDue(now))
                kinds += action.type == LinkAction::Type::Write ? 'W' : 'C';
            return kinds;
        };
        QCOMPARE(side.nextDue(), std::nullopt);
        side.startRecords({"\x02"
                           "1.2\x03"},
                          3, 100);
        side.hangUpAfterRecords(2);
        QCOMPARE(side.nextDue(), 0);
        QCOMPARE(actions(0), "W");
        QCOMPARE(side.nextDue(), 100);
        QCOMPARE(actions(99), "");
        QCOMPARE(actions(100), "WC");
        QCOMPARE(side.nextDue(), 200);
        side.hangUpAfterRecords(0);
        QCOMPARE(side.nextDue(), 0);
        QCOMPARE(actions(150), "C");
        QCOMPARE(actions(200), "W");
        QCOMPARE(side.nextDue(), std::nullopt);
    }

    // A range that ends at the largest number ends too.
    void rangeEndingAtTheLargestNumber()
    {
        zkn::pbxsim::LampBoard lamps;
        zkn::lamp::LampCommand range;
        range.function = zkn::lamp::LampFunction::VmmOn;
        range.firstStation = "18446744073709551614";
        range.secondStation = "18446744073709551615";
        QVERIFY(lamps.apply(range));
        QCOMPARE(lamps.stations().size(), 2);
        QCOMPARE(lamps.state("18446744073709551615"), (zkn::pbxsim::LampState{false, true}));
    }

    // A flood's frames at its rate, counted from when the link came up; as fast as it can, a batch
    // while little waits unsent. What the option takes.
    void floodSchedule()
    {
        using zkn::pbxsim::LinkFlood;
        LinkFlood flood = *LinkFlood::parse(QStringLiteral("records:40"));
        QCOMPARE(flood.kind(), LinkFlood::Kind::Records);
        flood.begin(1000);
        QCOMPARE(flood.framesDue(1000, 0), 1);
        QCOMPARE(flood.nextDue(0), 1025);
        QCOMPARE(flood.framesDue(1024, 0), 0);
        QCOMPARE(flood.framesDue(2000, 0), 40);
        QCOMPARE(flood.nextDue(0), 2025);
        LinkFlood max = *LinkFlood::parse(QStringLiteral("garbage"));
        QCOMPARE(max.framesDue(5, LinkFlood::kMostUnsent - 1), 64);
        QCOMPARE(max.framesDue(5, LinkFlood::kMostUnsent), 0);
        QCOMPARE(max.nextDue(LinkFlood::kMostUnsent), std::nullopt);
        QCOMPARE(max.nextDue(0), 0);
        QVERIFY(LinkFlood::parse(QStringLiteral("ignored:max")));
        for (const char* right : {"records:1", "garbage:100000"})
            QVERIFY2(LinkFlood::parse(QLatin1String(right)), right);
        for (const char* wrong : {"records:0", "records:x", "records:max:1", "floods", "", "ignored:100001"})
            QVERIFY2(!LinkFlood::parse(QLatin1String(wrong)), wrong);
    }
};

// clang-format off
void TestPbxsim::answers_data()
{
    QTest::addColumn<Arm>("arm");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("actions"); // what the PBX side does, in order: "when:bytes", "when:close"
    QTest::addColumn<QStringList>("lamps"); // the stations the board holds after it

    const Arm none = [](PbxLink&) {};
    const auto fault = [](FrameFault::Type type, int value = 0) {
        return Arm([=](PbxLink& l) {
            l.startRecords({kShortRecord}, 0, 0);
            l.addFaultToNextFrame({type, value});
        });
    };
    const auto row = [](const char* name, const Arm& arm, const QByteArray& input, const char* actions,
                        const QStringList& lamps = {}) {
        QTest::newRow(name) << arm << input << QString::fromLatin1(actions) << lamps;
    };
    using T = FrameFault::Type;
    const QByteArray check09 = hex("16 35303036 3031 3039 3030 0B");
    row("a closed connection takes nothing", [](PbxLink& l) { l.connectionClosed(); }, kConnect, "");
    row("connect request, then health check", none, kConnect + check09,
        "0:16 33303035 3031 3037 30 30, 0:16 33303035 3031 3039 30 3E");
    row("odd: connect request, then health check", [](PbxLink& l) { l.setParity(Parity::Odd); },
        hex("16 35303036 3031 3037 3030 FA 16 35303036 3031 3039 3030 F4"),
        "0:16 33303035 3031 3037 30 CF, 0:16 33303035 3031 3039 30 C1");
    row("status frame with data 01: code 3", none, hex("16 35303036 3031 3037 3031 04"),
        "0:16 33303035 3031 3037 33 33");
    // Refused, the next status frame is a connect request again.
    row("refused twice: device not defined", [](PbxLink& l) { l.setRefusal(2); }, kConnect + kConnect,
        "0:16 33303035 3031 3037 32 32, 0:16 33303035 3031 3037 32 32");
    row("release: answer, then closed in order", none, hex("16 36303034 3031 3038 0B"),
        "0:16 33303035 3031 3038 30 3F, 0:close");
    row("release with a bad check byte: code 1, stays open", none, hex("16 36303034 3031 3038 F4"),
        "0:16 33303035 3031 3038 31 3E");
    row("lamp function 3: code 3", none,
        hex("16 31303232 3031 3037 02 30214133 31303030 2020202020202020 03 64"),
        "0:16 33303035 3031 3037 33 33");
    row("CR LF and a damaged length field are dropped", none, hex("0D 0A 16 35 30 58 36 30 31") + kConnect,
        "0:16 33303035 3031 3037 30 30");
    row("the second health check muted", [](PbxLink& l) { l.muteHealthChecks(1, 1); },
        kConnect + check09 + hex("16 35303036 3031 3130 3030 03 16 35303036 3031 3131 3030 02"),
        "0:16 33303035 3031 3037 30 30, 0:16 33303035 3031 3039 30 3E, 0:16 33303035 3031 3131 30 37");
    row("none muted when none are to be", [](PbxLink& l) { l.muteHealthChecks(1, 0); },
        kConnect + check09 + hex("16 35303036 3031 3130 3030 03 16 35303036 3031 3131 3030 02"),
        "0:16 33303035 3031 3037 30 30, 0:16 33303035 3031 3039 30 3E, 0:16 33303035 3031 3130 30 36, "
        "0:16 33303035 3031 3131 30 37");
    // Nothing more is read on that connection either.
    row("reset instead of the answer", [](PbxLink& l) { l.resetAfterFrames(1); }, kConnect + kConnect,
        "0:reset");
    row("release request behind the answer", [](PbxLink& l) { l.releaseAfterFrames(1); }, kConnect,
        "0:16 33303035 3031 3037 30 30, 0:16 36303034 3031 3030 03");
    row("fault: corrupt check byte", fault(T::CorruptCheckByte), kConnect, "0:16 33303035 3031 3037 30 31");
    row("fault: wrong sequence, fitting check byte", fault(T::WrongSequence), kConnect,
        "0:16 33303035 3031 3537 30 35");
    row("fault: split over two writes 200 ms apart", fault(T::Split, 200), kConnect,
        "0:16 33303035, 200:3031 3037 30 30");
    row("fault: late by 300 ms", fault(T::Late, 300), kConnect, "300:16 33303035 3031 3037 30 30");
    row("fault: answer and a record in one write", fault(T::Coalesce, 2), kConnect,
        "0:16 33303035 3031 3037 30 30 16 32303130 3031 3030 02 30214A58 03 00");
    row("fault: a release request behind", fault(T::ReleaseBehind), kConnect,
        "0:16 33303035 3031 3037 30 30 16 36303034 3031 3030 03");
    row("fault: an answer to nothing behind", fault(T::StrayAnswer), kConnect,
        "0:16 33303035 3031 3037 30 30 16 33303035 3031 3537 30 35");
    // Lamp answers: another code for some stations, none for others, a delay for all.
    const QByteArray lamp1000 = hex("16 31 303232 3031 3037 02 302141 3031 3031 36 3032 3034 31303030 03 67");
    const QByteArray connected = "0:16 33303035 3031 3037 30 30, ";
    const auto lampFaults = [](const std::function<void(LampFaults&)>& set) {
        return Arm([set](PbxLink& l) { set(l.lampFaults()); });
    };
    row("lamp: answered 300 ms late", lampFaults([](LampFaults& f) { f.setDelay(300, 0); }), kConnect + lamp1000,
        connected + "300:16 33303035 3031 3037 30 30", {"1000"});
    row("lamp: code 3 for a range in a list", lampFaults([](LampFaults& f) { f.addCode(*StationSet::parse("7,990-1009"), 3); }),
        kConnect + lamp1000, connected + "0:16 33303035 3031 3037 33 33", {"1000"});
    row("lamp: another station's code does not apply", lampFaults([](LampFaults& f) { f.addCode(*StationSet::parse("1001"), 3); }),
        kConnect + lamp1000, connected + "0:16 33303035 3031 3037 30 30", {"1000"});
    row("lamp: a tagged station with a letter: code 3", none,
        kConnect + hex("16 31 303232 3031 3037 02 302141 3031 3031 36 3032 3034 31304130 03 16"),
        "0:16 33303035 3031 3037 30 30, 0:16 33303035 3031 3037 33 33");
    row("lamp: muted", lampFaults([](LampFaults& f) { f.mute(*StationSet::parse("1000")); }), kConnect + lamp1000,
        "0:16 33303035 3031 3037 30 30", {"1000"});
    row("fault: CR LF first", fault(T::Junk), kConnect, "0:0D 0A, 0:16 33303035 3031 3037 30 30");
    // What follows a release in the same read belongs to no connection: not answered, no lamp set.
    row("a lamp message behind a release request is not read", none,
        kConnect + hex("16 36303034 3031 3038 0B") + lamp1000,
        "0:16 33303035 3031 3037 30 30, 0:16 33303035 3031 3038 30 3F, 0:close");
    row("fault: first half, then RST", fault(T::CutByReset), kConnect, "0:16 33303035, 0:reset");
}

void TestPbxsim::commandLine_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char* arguments, const char* expected) {
        QTest::addRow("%s", *arguments ? arguments : "defaults") << QString::fromLatin1(arguments) << QString::fromLatin1(expected);
    };
    const auto invalid = [&row](const char* option, const char* value) {
        const QByteArray arguments = QByteArray("--") + option + ' ' + value;
        QTest::addRow("%s", arguments.constData())
            << QString::fromLatin1(arguments) << QStringLiteral("invalid value for --%1: \"%2\"").arg(option, value);
    };
    row("", "tcp 127.0.0.1:60020  9600,n,8,1 odd | refuse 0 | records 0 1000 | timeout 2000 | mute - | faults  | speed 1");
    row("--listen 0.0.0.0:6000 --parity even --refuse 4 --records 5 --record-interval 200 --answer-timeout 300",
        "tcp 0.0.0.0:6000  9600,n,8,1 even | refuse 4 | records 5 200 | timeout 300 | mute - | faults  | speed 1");
    row("--pty --settings 19200,e,7,1", "pty 127.0.0.1:60020  19200,e,7,1 odd | refuse 0 | records 0 1000 | timeout 2000 | mute - | faults  | speed 1");
    row("--serial /dev/ttyS0", "serial 127.0.0.1:60020 /dev/ttyS0 9600,n,8,1 odd | refuse 0 | records 0 1000 | timeout 2000 | mute - | faults  | speed 1");
    // Faults by frame number (by their type's number), each with its value or default: none (-1) for
    // those that take none, late 1000, split 200, coalesce 2.
    row("--corrupt 3 --late 4 --split 5:150 --coalesce 6 --coalesce 7:3 --stray-answer 1",
        "tcp 127.0.0.1:60020  9600,n,8,1 odd | refuse 0 | records 0 1000 | timeout 2000 | mute - | "
        "faults 3:0:-1,4:4:1000,5:2:150,6:3:2,7:3:3,1:8:-1 | speed 1");
    row("--mute-health 2:3 --replay-speed 2.5", "tcp 127.0.0.1:60020  9600,n,8,1 odd | refuse 0 | records 0 1000 | timeout 2000 | mute 2:3 | faults  | speed 2.5");
    row("--mute-health 1", "tcp 127.0.0.1:60020  9600,n,8,1 odd | refuse 0 | records 0 1000 | timeout 2000 | mute 1:-1 | faults  | speed 1");
    row("--lamp-code 1000-1009:0 --lamp-code 7,9:9 --mute-lamps 5 --lamp-delay 100:20 --flood garbage",
        "tcp 127.0.0.1:60020  9600,n,8,1 odd | refuse 0 | records 0 1000 | timeout 2000 | mute - | faults  | speed 1");
    row("--pty --serial /dev/ttyS0", "--pty and --serial exclude each other");
    row("--replay a.pcap --pty", "--replay plays a TCP capture: it does not go with --pty or --serial");
    invalid("listen", "60020");
    invalid("listen", "127.0.0.1:65536");
    invalid("listen", "host:60020");
    invalid("settings", "9600,x,8,1");
    invalid("parity", "none");
    invalid("refuse", "3");
    invalid("layout", "olv9");
    invalid("records", "-1");
    invalid("record-interval", "x");
    invalid("mute-health", "1:x");
    invalid("corrupt", "0");
    invalid("corrupt", "2:1");
    invalid("split", "2:-1");
    invalid("coalesce", "2:4");
    invalid("coalesce", "2:1");
    invalid("late", "1:2:3");
    invalid("lamp-code", "1000:10");
    invalid("lamp-code", "1000");
    invalid("lamp-code", "1000:3:4");
    invalid("mute-lamps", "1005-1000");
    invalid("lamp-delay", "100:-1");
    invalid("flood", "records:0");
    invalid("seed", "x");
    invalid("replay-speed", "0");
    invalid("replay-speed", "1001");
    invalid("replay-speed", "fast");
}

void TestPbxsim::lampMessages_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("read");
    const auto row = [](const char* name, const QByteArray& area, const char* read) {
        QTest::newRow(name) << "\x02" "0!A" + area + "\x03" << QString::fromLatin1(read);
    };
    row("fixed, one station", "1" "1000        ", "MW on 1000");
    row("fixed, a range in halves of 6", "5" "1000  1010  ", "MW off 1000-1010");
    row("fixed, wide, a range in halves of 8", "2" "1000    1010              ", "VMM on 1000-1010");
    row("fixed, wide, ten digits at the front", "6" "1234567890                ", "VMM off 1234567890");
    row("tagged, one station", "0101" "1" "0204" "1000", "MW on 1000");
    row("tagged, a range, tags in any order", "03041010" "0101" "5" "02041000", "MW off 1000-1010");
    row("fixed, function 3", "3" "1000        ", "refused");
    row("fixed, an area of 11", "1" "1000       ", "refused");
    row("fixed, a blank first", "1" " 1000       ", "refused");
    row("fixed, a letter", "1" "10A0        ", "refused");
    row("fixed, a blank inside a half", "1" "10 0  1010  ", "refused");
    row("fixed, a second half with a letter", "1" "1000  10x0  ", "refused");
    row("fixed, wide, something after the halves", "1" "1000    1010    x         ", "refused");
    row("fixed, wide, eleven digits are two halves", "1" "12345678901               ", "MW on 12345678-901");
    row("tagged, no station", "0101" "1", "refused");
    row("tagged, a tag twice", "0101" "1" "0101" "1" "0204" "1000", "refused");
    row("tagged, a length past the end", "0101" "1" "0209" "1000", "refused");
    row("tagged, a function of two characters", "0102" "11" "0204" "1000", "refused");
    row("tagged, a station with a letter", "0101" "1" "0204" "10A0", "refused");
    row("tagged, tag 04", "0101" "1" "0204" "1000" "0401" "1", "refused");
    QTest::newRow("no STX") << QByteArray("X0!A1" "1000        " "\x03") << "refused";
    QTest::newRow("no ETX") << QByteArray("\x02" "0!A1" "1000        " "X") << "refused";
    QTest::newRow("another message") << QByteArray("\x02" "0!B1" "1000        " "\x03") << "refused";
    QTest::newRow("too short") << QByteArray("\x02" "0!A\x03") << "refused";
}

void TestPbxsim::frameNotes_data()
{
    QTest::addColumn<Arm>("arm");
    QTest::addColumn<QStringList>("notes");
    const auto fault = [](FrameFault::Type type, int value = 0) {
        return Arm([=](PbxLink& l) {
            l.startRecords({kShortRecord}, 0, 0);
            l.addFaultToNextFrame({type, value});
        });
    };
    using T = FrameFault::Type;
    QTest::newRow("none") << Arm([](PbxLink&) {}) << QStringList{"response code 0"};
    QTest::newRow("corrupt") << fault(T::CorruptCheckByte) << QStringList{"response code 0, check byte corrupted"};
    QTest::newRow("wrong sequence") << fault(T::WrongSequence) << QStringList{"response code 0, wrong sequence"};
    QTest::newRow("late") << fault(T::Late, 300) << QStringList{"response code 0, 300 ms late"};
    QTest::newRow("split") << fault(T::Split, 200)
                           << QStringList{"response code 0, split in two writes 200 ms apart"};
    QTest::newRow("coalesced") << fault(T::Coalesce, 2)
                               << QStringList{"response code 0, 2 frames in one write", "record, in the same write"};
    QTest::newRow("junk first") << fault(T::Junk) << QStringList{"no frame", "response code 0"};
    QTest::newRow("stray answer behind")
        << fault(T::StrayAnswer) << QStringList{"response code 0", "response to no request, in the same write"};
}

void TestPbxsim::replayReport_data()
{
    QTest::addColumn<ToolScript>("tool");
    QTest::addColumn<QStringList>("report");
    // The live connect request has its own sequence number; only the rest is compared.
    const std::pair<int, QByteArray> open{0, "open"}, connect{0, zkn::test::linkFrame('5', "07", "00")};
    const std::pair<int, QByteArray> answer{45, zkn::test::linkFrame('4', "05", "0")}, release{60, zkn::test::linkFrame('6', "08")};
    const QString answerTime = QStringLiteral("connection 1, answer to record 05: captured 30 ms, now 25 ms");
    QTest::newRow("as captured") << ToolScript{open, connect, answer, release, {70, "close"}}
                                 << QStringList{answerTime, "The tool behaved as captured: 3 of its frames compared."};
    QTest::newRow("only the first frame differs")
        << ToolScript{open, {0, zkn::test::linkFrame('5', "07", "01")}, answer, release, {70, "close"}}
        << QStringList{R"(connection 1, frame 1 of the tool: captured kind 5 seq 00 data "00", now kind 5 seq 07 data "01")",
                       answerTime, "The tool differed from the capture: 1 of its frames."};
    QTest::newRow("another answer code, the release missing")
        << ToolScript{open, connect, {45, zkn::test::linkFrame('4', "05", "1")}}
        << QStringList{R"(connection 1, frame 2 of the tool: captured kind 4 seq 05 data "0", now kind 4 seq 05 data "1")",
                       R"(connection 1, frame 3 of the tool: missing, captured kind 6 seq 01 data "")", answerTime,
                       "The tool differed from the capture: 2 of its frames."};
    QTest::newRow("a lamp message more, and a connection more")
        << ToolScript{open, connect, answer, {50, zkn::test::linkFrame('1', "06", "\x02" "0!A\x7f")}, release, {70, "close"},
                      {100, "open"}, {100, zkn::test::linkFrame('5', "09", "00")}, {110, "close"}}
        << QStringList{R"(connection 1, frame 3 of the tool: captured kind 6 seq 01 data "", now kind 1 seq 06 data "\x020!A\x7f")",
                       R"(connection 1, frame 4 of the tool: extra, now kind 6 seq 08 data "")", answerTime,
                       "1 connection(s) the capture does not have", "The tool differed from the capture: 2 of its frames."};
    QTest::newRow("no answer to the record")
        << ToolScript{open, connect, release}
        << QStringList{R"(connection 1, frame 2 of the tool: captured kind 4 seq 05 data "0", now kind 6 seq 08 data "")",
                       R"(connection 1, frame 3 of the tool: missing, captured kind 6 seq 01 data "")",
                       "connection 1, answer to record 05: captured 30 ms, now none",
                       "The tool differed from the capture: 2 of its frames."};
}

void TestPbxsim::serialTrace_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("units"); // bytes percent-encoded = note

    const QByteArray lamp = "\x02" "0!A6" "1000        " "\x03";
    const QString lampUnit = "%020!A61000        %03 = lamp VMM off 1000";
    QTest::newRow("a lamp text") << lamp << QStringList{lampUnit};
    QTest::newRow("characters before a text are traced before it")
        << "AT\r\n" + lamp << QStringList{"AT%0D%0A = characters outside a message", lampUnit};
    QTest::newRow("a text cut short by the next STX is traced as characters")
        << "\x02" "0!A6" + lamp + "x"
        << QStringList{"%020!A6 = characters outside a message", lampUnit, "x = characters outside a message"};
    QTest::newRow("the longest text kept")
        << "\x02" + QByteArray(999, 'x') + "\x03"
        << QStringList{"%02" + QString(999, 'x') + "%03 = message text, not a lamp control"};
    QTest::newRow("another text is no lamp control") << QByteArray("\x02" "0!JX" "\x03")
                                                    << QStringList{"%020!JX%03 = message text, not a lamp control"};
}
// clang-format on

QTEST_GUILESS_MAIN(TestPbxsim)
#include "tst_pbxsim.moc"
