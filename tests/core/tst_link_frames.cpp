// SPDX-License-Identifier: GPL-3.0-or-later
// Link frames and lamp-control messages byte for byte, every expected one written out by hand;
// then how received frames are read.
#include "lamp/lamp_control_message.h"
#include "lamp/single_station_message.h"
#include "link/frame_builder.h"
#include "link/frame_reader.h"
#include "link/frame_sync.h"
#include "link/link_state.h"
#include "link/sequence_counter.h"
#include "link/status_texts.h"

#include <QTest>

#include <climits>
#include <cstdlib>

using namespace zkn::link;
using zkn::lamp::lampControlMessage;
using F = zkn::lamp::LampFunction;

Q_DECLARE_METATYPE(zkn::link::Parity)

namespace {

constexpr auto E = Parity::Even;
constexpr auto O = Parity::Odd;

const auto hex = [](const char* text) { return QByteArray::fromHex(text); };

const auto blanks = [](int count) { return QByteArray(count, ' '); };

// The fields read from the front of received data; the frame is the data's first bytes.
QByteArray header(const QByteArray& data)
{
    const FrameHeader h = readFrameHeader(data, Parity::Odd);
    if (!data.startsWith(h.frame))
        return "frame not the data's front";
    return QString::asprintf("%s %d %s %d, %d %02X %s %d", h.kind ? QByteArray(1, h.kind).constData() : "\\0",
                             h.length, h.deviceField.constData(), h.sequence, int(h.frame.size()),
                             unsigned(h.receivedCheckByte), h.parityGood ? "good" : "bad", h.responseCode)
        .toLatin1();
}

// A single-station message; empty when none is built.
const auto single = [](zkn::ConnectionType type, F function, const char* from, const char* to,
                       bool expansion) {
    return zkn::lamp::singleStationMessage(type, function, from, to, expansion).value_or(QByteArray());
};

using Cases = std::initializer_list<std::pair<const char*, const char*>>;

// One row for each case: what `convert` makes of the text, and what it should.
template <typename Convert> void rows(const char* what, Convert convert, Cases cases)
{
    for (const auto& [text, expected] : cases)
        QTest::addRow("%s \"%s\"", what, text) << QByteArray(convert(text)) << QByteArray(expected);
}

// clang-format off
// Frames and lamp-control messages as built, each beside the bytes it must be.
void addWireRows()
{
    const auto row = [](const char* name, const QByteArray& built, const QByteArray& expected) {
        QTest::newRow(name) << built << expected;
    };
    // A lamp-control message: STX, the text, ETX.
    const auto msg = [&](const char* name, const QByteArray& built, const QByteArray& text) {
        row(name, built, '\x02' + text + '\x03');
    };
    const auto S = zkn::ConnectionType::Serial;
    const auto L = zkn::ConnectionType::Lan;
    const auto lamp = lampControlMessage;
    const auto MwOn = F::MwOn, VmmOn = F::VmmOn, MwOff = F::MwOff, VmmOff = F::VmmOff;
    const QByteArray text31 = '\x02' + QByteArray(28, 'A') + "B\x03";
    const QByteArray kraLamp = lamp(1000, VmmOff, true, false);

    row("health check 01/07 even", buildStatusFrame("1", 7, E), hex("16 35303036 3031 3037 3030 05"));
    row("health check 01/07 odd", buildStatusFrame("1", 7, O), hex("16 35303036 3031 3037 3030 FA"));
    row("connect request 00/00 even", buildStatusFrame("0", 0, E), hex("16 35303036 3030 3030 3030 03"));
    row("release 01/08 even", buildReleaseFrame("1", 8, E), hex("16 36303034 3031 3038 0B"));
    row("release 01/08 odd", buildReleaseFrame("1", 8, O), hex("16 36303034 3031 3038 F4"));
    row("release 00/99 odd", buildReleaseFrame("0", 99, O), hex("16 36303034 3030 3939 FD"));
    // The answer's length field counts device, sequence and the one-digit code: five bytes.
    using enum AnswerCode;
    row("answer 01/07 even", buildRecordAnswer("01", "07", Normal, E), hex("16 34303035 3031 3037 30 37"));
    row("answer 01/07 odd", buildRecordAnswer("01", "07", Normal, O), hex("16 34303035 3031 3037 30 C8"));
    row("answer code 1", buildRecordAnswer("01", "07", ParityError, O), hex("16 34303035 3031 3037 31 C9"));
    row("answer copies a non-numeric device field", buildRecordAnswer("A7", "01", InvalidText, E),
        hex("16 34303035 4137 3031 33 45"));
    row("answer pads a one-digit sequence", buildRecordAnswer("01", "7 ", Normal, E),
        hex("16 34303035 3031 3037 30 37"));
    row("text frame, 31 bytes, length 035 even", buildTextFrame("1", 7, text31, E),
        hex("16 31303335 3031 3037 02 41414141414141414141414141414141414141414141414141414141 42 03 42"));
    row("text frame, 31 bytes, odd", buildTextFrame("1", 7, text31, O),
        hex("16 31303335 3031 3037 02 41414141414141414141414141414141414141414141414141414141 42 03 BD"));
    row("text frame, KRA lamp, length 022 even", buildTextFrame("1", 7, kraLamp, E),
        hex("16 31 303232 3031 3037 02 302141 3031 3031 36 3032 3034 31303030 03 67"));
    row("text frame, OLV lamp, length 022 even", buildTextFrame("1", 7, lamp(1000, VmmOn, false, false), E),
        hex("16 31 303232 3031 3037 02 302141 32 31303030 2020202020202020 03 65"));
    row("text frame, OLV lamp, expansion, length 036",
        buildTextFrame("1", 7, lamp(1000, VmmOn, false, true), E),
        hex("16 31303336 3031 3037 02 30214132 31303030 20202020202020202020202020202020202020202020 03 60"));

    // Lamp control, fixed fields: the one station fills an area of 12, or 26 with the expansion.
    msg("OLV, VMM off 0", lamp(0, VmmOff, false, false), "0!A60" + blanks(11));
    msg("OLV, MW on, ten digits", lamp(2147483647, MwOn, false, false), "0!A12147483647" + blanks(2));
    msg("OLV, the longest whole number", lamp(INT_MIN, MwOff, false, false), "0!A5-2147483648 ");
    msg("OLV, expansion, ten digits", lamp(1234567890, VmmOff, false, true), "0!A61234567890" + blanks(16));
    // Tagged: no second station, so no field "03"; the expansion option does not apply.
    msg("KRA, VMM on 1000, expansion", lamp(1000, VmmOn, true, true), "0!A0101202041000");
    msg("KRA, one digit", lamp(7, VmmOn, true, false), "0!A010120201" "7");
    msg("KRA, ten digits", lamp(2147483647, MwOn, true, false), "0!A010110210" "2147483647");
    msg("KRA, the longest whole number", lamp(INT_MIN, MwOff, true, false), "0!A010150211-2147483648");

    // The single-station dialog. Serial: the two boxes in fields of 6, or 8 + 8 + 10 blanks.
    msg("serial, 1000 alone, second box empty", single(S, MwOn, "1000", "", false), "0!A11000" + blanks(8));
    msg("serial, range, MW off", single(S, MwOff, "1000", "1010", false), "0!A5" "1000  " "1010  ");
    msg("serial, VMM on, # and *", single(S, VmmOn, "#12*", "", false), "0!A2" "#12*  " "      ");
    msg("serial, both empty", single(S, MwOn, "", "", false), "0!A1" + blanks(12));
    msg("serial, both empty, expansion", single(S, MwOn, "", "", true), "0!A1" + blanks(26));
    // The narrowest and widest a box may hold, beside a full second field; one more is refused.
    msg("serial, width 1", single(S, MwOn, "1", "654321", false), "0!A1" "1     " "654321");
    msg("serial, width 6", single(S, MwOn, "123456", "654321", false), "0!A1" "123456" "654321");
    msg("serial, expansion, width 1", single(S, MwOn, "1", "87654321", true),
        "0!A1" "1       " "87654321" + blanks(10));
    msg("serial, expansion, width 7", single(S, MwOn, "1234567", "87654321", true),
        "0!A1" "1234567 " "87654321" + blanks(10));
    msg("serial, expansion, width 8", single(S, MwOn, "12345678", "87654321", true),
        "0!A1" "12345678" "87654321" + blanks(10));
    row("serial, second of 7 in a field of 6", single(S, MwOn, "1000", "1234567", false), "");
    row("serial, first of 9 in a field of 8", single(S, MwOn, "123456789", "", true), "");
    row("serial, second of 9 in a field of 8", single(S, MwOn, "1000", "123456789", true), "");
    // LAN: tagged, the texts as they stand, no field widths.
    msg("LAN, second box one blank: no 03", single(L, MwOff, "1000", " ", false), "0!A0101502041000");
    msg("LAN, second box empty: no 03", single(L, VmmOn, "1000", "", false), "0!A0101202041000");
    msg("LAN, second box two blanks is a station", single(L, VmmOn, "1000", "  ", false),
        "0!A010120204100003" "02  ");
    msg("LAN, first box empty", single(L, VmmOff, "", "", false), "0!A01016" "0200");
    msg("LAN, first box one blank", single(L, VmmOff, " ", "", false), "0!A01016" "0201 ");
    msg("LAN, eight digits without expansion", single(L, MwOn, "12345678", "1", false),
        "0!A01011" "020812345678" "03011");
    msg("LAN, # and *, expansion", single(L, MwOn, "#12*", "*9", true), "0!A01011" "0204#12*" "0302*9");
}
// clang-format on

} // namespace

class TestLinkFrames : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The hundred-and-first frame after start-up carries "00" again.
    void sequenceRunsToNinetyNineThenWraps()
    {
        SequenceCounter counter;
        for (int i = 0; i <= 101; ++i)
            QCOMPARE(counter.NextSequence(), i % 100);
    }

    // clang-format off
    void fields_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QByteArray>("expected");
        addWireRows();
        const auto row = [](const char* name, const QByteArray& value, const QByteArray& expected) {
            QTest::newRow(name) << value << expected;
        };
        // The check byte over all but the first byte, then whether the last byte is the one over the rest.
        const auto parity = [](const QByteArray& text, Parity parity) {
            const QByteArray computed = QByteArray::number(ComputeParity(text, parity), 16);
            return computed + (CheckParity(text, parity) ? " checks" : "");
        };
        row("parity: SYN alone odd", parity(hex("16"), O), "ff");
        row("parity: high bytes count", parity(hex("16 FF 80 01"), E), "7e");
        row("parity: health check odd", parity(hex("16 35303036 3031 3037 3030 FA"), O), "0 checks");
        row("parity: last byte altered", parity(hex("16 35303036 3031 3037 3030 FB"), O), "1");
        row("parity: two-byte frame, check over SYN alone", parity(hex("16 00"), E), "0 checks");
        row("parity: empty", parity({}, E), "0");
        // A numeric field copied into an answer gets two digits; any other stays as it came.
        rows("two digits", [](const char* t) { return twoDigitField(t); },
             {{"07", "07"}, {"7", "07"}, {" 7", "07"}, {"0", "00"}, {"10", "10"}, {"AB", "AB"}, {"1A", "1A"},
              {"", ""}});
        // Only "Odd" exactly is odd.
        rows("parity", [](const char* t) { return parityFromText(QLatin1String(t)) == O ? "odd" : "even"; },
             {{"Odd", "odd"}, {"Even", "even"}, {"odd", "even"}, {"", "even"}});
        rows("response", [](const char* code) { return responseText(atoi(code)); },
             {{"0", "OK"}, {"1", "** PARITY ERROR **"}, {"2", "** DEVICE ID NOT DEFINED **"},
              {"3", "** INCORRECT TEXT RECV'd **"}, {"4", "** DEVICE ALREADY IN USE **"},
              {"5", "** INVALID RESPONSE NUMBER (5)"}, {"7", "** INVALID RESPONSE NUMBER (7)"}});
        // The status panel's words for each socket state and each line event, by their numbers.
        rows("socket", [](const char* n) { return socketStateText(SocketState(atoi(n))).toLatin1(); },
             {{"0", "Socket Closed"}, {"1", "Socket Open"}, {"2", "Socket Listening..."},
              {"3", "Socket Connection Pending..."}, {"4", "Socket Resolving Host..."}, {"5", "Socket Host Resolved"},
              {"6", "Socket Connecting..."}, {"7", "Socket Connected"}, {"8", "Socket Closing..."},
              {"9", "Socket Error"}, {"10", "Unknown Socket State"}});
        rows("line", [](const char* n) { return lineEventText(SerialEvent(atoi(n))).toLatin1(); },
             {{"3", "Change in CTS Detected"}, {"4", "Change in DSR Detected"}, {"5", "Change in CD Detected"},
              {"6", "The Phone is Ringing"}, {"7", "End of File Detected"}, {"1001", "Break Received"},
              {"1002", "CTS Timeout"}, {"1003", "DSR Timeout"}, {"1004", "Framing Error"}, {"1006", "Overrun Error"},
              {"1007", "Carrier Detect Timeout"}, {"1008", "Receive Buffer Overflow"}, {"1009", "Parity Error"},
              {"1010", "Transmit Buffer Full"}, {"1011", "Error retrieving DCB"}, {"1", "Unknown error or event"},
              {"2", "Unknown error or event"}});
        // The connect time: hours, minutes and seconds, from 0 again after a day.
        const QDateTime since(QDate(2026, 12, 6), QTime(14, 3, 59));
        rows("elapsed", [&](const char* s) { return elapsedText(since, since.addSecs(atoi(s))).toLatin1(); },
             {{"0", "00:00:00"}, {"3661", "01:01:01"}, {"86399", "23:59:59"}, {"86400", "00:00:00"},
              {"-5", "00:00:00"}});
        // Kinds "1" to "6" and a length of three digits; what is not there yet cannot tell against it.
        rows("front", [](const char* t) { return frontCanBeFrame(hex(t)) ? "can be a frame" : "no frame"; },
             {{"16", "can be a frame"}, {"16 31", "can be a frame"}, {"16 36 303030", "can be a frame"},
              {"16 33 3030", "can be a frame"}, {"16 33 303035 58", "can be a frame"}, {"16 30", "no frame"},
              {"16 37", "no frame"}, {"16 33 58", "no frame"}, {"16 33 3030 58", "no frame"}});
        // The link's phases after an event: an event that means nothing in a phase leaves it.
        const auto tcp = [](TcpPhase from, TcpEvent event) {
            static const char* const names[] = {"idle", "connecting", "awaiting connect", "up", "releasing"};
            return names[int(next(moves::tcp, from, event))];
        };
        using S = TcpPhase;
        using Ev = TcpEvent;
        row("tcp: connect started while up", tcp(S::Up, Ev::ConnectStarted), "up");
        row("tcp: connect accepted", tcp(S::AwaitingConnect, Ev::ConnectAccepted), "up");
        row("tcp: connect accepted while releasing", tcp(S::Releasing, Ev::ConnectAccepted), "releasing");
        row("tcp: release sent while connecting", tcp(S::Connecting, Ev::ReleaseSent), "connecting");
        const auto port = [](PortPhase from, PortEvent event) {
            static const char* const names[] = {"closed", "not found", "open failed", "open without DSR", "up"};
            return names[int(next(moves::port, from, event))];
        };
        row("port: not found while open", port(PortPhase::Up, PortEvent::NotFound), "up");
        row("port: DSR gone", port(PortPhase::Up, PortEvent::OpenWithoutDsr), "open without DSR");
        const auto exit = [](ExitPhase from, ExitEvent event) {
            static const char* const names[] = {"running", "ending sweep", "pausing", "releasing",
                                                "released", "awaiting close", "closed"};
            return names[int(next(moves::exit, from, event))];
        };
        row("exit: release done twice", exit(ExitPhase::Released, ExitEvent::ReleaseDone), "released");
        row("exit: sweep ended without a release asked", exit(ExitPhase::Running, ExitEvent::SweepEndedLineUp),
            "running");
        // A received frame's header: kind length device sequence, frame size, check byte, parity, code.
        const QByteArray ok = hex("16 33303035 3031 3037 30 CF");
        row("header: response code 0, odd", header(ok), "3 5 01 7, 11 CF good 0");
        row("header: cut at n + 6, rest left", header(ok + hex("16 3230")), "3 5 01 7, 11 CF good 0");
        row("header: response code 7", header(hex("16 33303035 3031 3132 37 CC")), "3 5 01 12, 11 CC good 7");
        row("header: shorter than its length", header(hex("16 32303330 3031")), "2 30 01 0, 7 31 bad 0");
        row("header: length no number", header(hex("16 32 583031 3031 3037")), "2 0 0 0, 6 30 bad 0");
        row("header: not into the next", header(hex("16 33 303031 3031 16 33")), "3 1 01 0, 7 31 bad 0");
        row("header: SYN alone", header(hex("16")), "\\0 0  0, 1 16 bad 0");
        row("header: empty", header({}), "\\0 0  0, 0 00 bad 0");
    }
    // clang-format on

    void fields()
    {
        QFETCH(QByteArray, value);
        QTEST(value, "expected");
    }

    void soundFrameInsideABrokenFragment_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("found"); // -1: none
        // An over-long header (7 bytes) before each kind of sound frame, the last byte its check byte.
        const QByteArray front = hex("16 32 39 39 39 30 31");
        const auto row = [&](const char* name, const char* frame, int found) {
            const QByteArray data = front + hex(frame);
            QTest::newRow(name) << data << int(data.size()) << found;
        };
        row("lamp text", "16 31 30 30 36 30 31 30 32 02 03 FF", 7);
        row("record", "16 32 30 30 37 30 31 30 37 02 4A 03 FF", 7);
        row("response", "16 33 30 30 35 30 31 30 35 30 FF", 7);
        row("record answer", "16 34 30 30 35 30 31 30 37 30 FF", 7);
        row("status frame", "16 35 30 30 36 30 31 30 30 30 30 FF", 7);
        row("release request", "16 36 30 30 34 30 31 30 35 FF", 7);
        row("response of a status frame's length", "16 33 30 30 36 30 31 30 35 30 30 FF", -1);
        row("status frame of a release's length", "16 35 30 30 34 30 31 30 35 FF", -1);
        row("record without its STX", "16 32 30 30 37 30 31 30 37 4A 4B 03 FF", -1);
        row("response code no digit", "16 33 30 30 35 30 31 30 35 41 FF", -1);
        row("sequence no digits", "16 33 30 30 35 30 31 41 35 30 FF", -1);
        row("kind 7", "16 37 30 30 34 30 31 30 35 FF", -1);
        row("cut short", "16 33 30 30 35 30 31 30 35 30", -1);
        const QByteArray response = hex("16 33 30 30 35 30 31 30 35 30 FF");
        QTest::newRow("beyond the limit")
            << front + response << int(front.size() + response.size() - 1) << -1;
        // A release request inside a record that starts earlier but ends later: the one ending first.
        const QByteArray release = hex("16 36 30 30 34 30 31 30 35 FF");
        const QByteArray record = hex("16 32 30 31 36 30 31 30 37 02") + release + hex("03 FF");
        QTest::newRow("the frame that ends first")
            << front + record << int(front.size() + record.size()) << int(front.size() + 10);
        // A record at the end of another's text ends with it: the outer one, whose text it is.
        const QByteArray inner = hex("16 32 30 30 37 30 31 30 37 02 4A 03 FF");
        const QByteArray outer = hex("16 32 30 31 37 30 31 30 37 02") + inner;
        QTest::newRow("of two ending alike, the one holding the other")
            << front + outer << int(front.size() + outer.size()) << int(front.size());
    }

    void soundFrameInsideABrokenFragment()
    {
        QFETCH(QByteArray, data);
        QFETCH(int, limit);
        QFETCH(int, found);
        QCOMPARE(soundFrameInside(data, limit).value_or(-1), qsizetype(found));
    }
};

QTEST_APPLESS_MAIN(TestLinkFrames)
#include "tst_link_frames.moc"
