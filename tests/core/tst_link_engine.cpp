// SPDX-License-Identifier: GPL-3.0-or-later
// The link engine on a simulated clock against hand-written frames: connect, health checks,
// resets, release, lamp control, the serial line, and the processing of what the PBX sends. Most
// rows are scripts (see link_script.h).
#include "allocation_counter.h"
#include "link_script.h"

#include "link/frame_builder.h"

#include <QTest>

#include <optional>

using namespace zkn;
using namespace zkn::link;
using zkn::test::withCheckByte;

namespace {

QByteArray hex(const QString& text)
{
    return QByteArray::fromHex(text.toLatin1());
}

// Frames of device "01" under odd parity, written out by hand.
const QString kConnect0 = QStringLiteral("16 35 30 30 36 30 31 30 30 30 30 FD");
const QString kHealth1 = QStringLiteral("16 35 30 30 36 30 31 30 31 30 30 FC");
const QString kOk0 = QStringLiteral("16 33 30 30 35 30 31 30 30 30 C8");
const QString kOk1 = QStringLiteral("16 33 30 30 35 30 31 30 31 30 C9");
const QString kImproper5 = QStringLiteral("16 33 30 30 35 30 31 30 35 30 CD"); // an OK to sequence 05
const QString kPbxRelease5 = QStringLiteral("16 36 30 30 34 30 31 30 35 F9");
const QString kRecord7 = QStringLiteral("16 32 30 30 39 30 31 30 37 02 4A 20 31 03 A8");
const QString kRecord8 = QStringLiteral("16 32 30 30 39 30 31 30 38 02 4A 20 32 03 A4");
const QString kAnswer7 = QStringLiteral("16 34 30 30 35 30 31 30 37 30 C8");
const QString kAnswer7Parity = QStringLiteral("16 34 30 30 35 30 31 30 37 31 C9");
const QString kAnswer7Text = QStringLiteral("16 34 30 30 35 30 31 30 37 33 CB");
const QString kAnswer8 = QStringLiteral("16 34 30 30 35 30 31 30 38 30 C7");
const QString kAnswer8Parity = QStringLiteral("16 34 30 30 35 30 31 30 38 31 C6");
const QString kLampTimeout = QStringLiteral("Critical: PBX did not respond to Lamp Control.");
const QString kImproper =
    QStringLiteral("None: Improper sequence received!\r\nPossibly due to a system reset or CMOD.\r\n");

// A lamp-control message as the terminal shows it: STX, the text, ETX.
QString shown(const char* text)
{
    return QLatin1Char('\x02') + QLatin1String(text) + QLatin1Char('\x03');
}

// A record of device "01", sequence "07", whose text holds `inside` (a 0x16 byte, say).
QByteArray recordHolding(const QByteArray& inside)
{
    const QByteArray text = "\x02J" + inside + '\x03';
    return withCheckByte("\x16"
                         "2" +
                         QByteArray::number(text.size() + 4).rightJustified(3, '0') + "0107" + text);
}

// A record of sequence "07" whose check byte is 0x16: a letter and a Latin-1 character of its
// text chosen to make it.
QByteArray recordEndingInSyn()
{
    const quint8 others = quint8(~recordHolding("AA").back()) ^ 'A' ^ 'A';
    for (char c = 'A'; c <= 'Z'; ++c)
        if (const quint8 d = others ^ quint8(~0x16) ^ quint8(c); d >= 0xA0)
            return recordHolding(QByteArray(1, c) + char(d));
    return {};
}

} // namespace

class TestLinkEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void scripts_data();
    void scripts()
    {
        QFETCH(QString, script);
        test::LinkScript().run(script);
    }
    void brokenFragmentCostsOnlyItself_data();
    void brokenFragmentCostsOnlyItself();
    void aReadCostsCopiesInProportionToItsSize_data();
    void aReadCostsCopiesInProportionToItsSize();
    void recordWithoutStxIsReportedAndTheRestDropped();
    void dataArrivingWhileABoxIsOpenWaitsItsTurn();
    void dataOfAConnectionReplacedDuringABoxIsDropped();
};

// clang-format off
void TestLinkEngine::scripts_data()
{
    QTest::addColumn<QString>("script"); // steps separated by " | "
    const auto row = [](const QString& name, const QString& script) {
        QTest::newRow(qPrintable(name)) << script;
    };
    const QString request = QStringLiteral("<- :14:03:59: LINK CONNECT REQUEST...\r\n");
    const QString released = QStringLiteral("-X-:14:03:59: LINK RELEASED...\r\n");

    row("connect: the request, the link shown, the PBX's OK",
        "connect | ?hosts=10.1.2.3 | ?terminal=" + request + " | ?shown=properties lan | connected | ?wire=" + kConnect0 +
        " | ?shown=connected checked lan tx | ?terminal=" + request + "<->:14:03:59: LINK CONNECTED...\r\n\r\n"
        "<- :14:03:59: (0) Connecting as ZKN Device No. (01)...\r\n | data:" + kOk0 +
        " | ?terminal$= ->:14:03:59: (0) Connect Message Rcv'd: OK\r\n\r\n | ?responses=0:0");
    // A host never filled in opens the Properties dialog as the link is tried.
    row("connect: the host still \"HostName\"",
        "connect | ?propertiesshown=0 | connect | hostfield:HostName | connect | ?propertiesshown=1");
    row("connect: the connect time shown, and cleared when the link ends",
        "up | seconds:5 | ?time=00:00:05 | closed | ?faults=the PBX closed the connection | ?time= | "
        "?settings=Settings: ");

    // A health check leaves every interval + 1 seconds; the panel counts down to it.
    const QString countdown = QStringLiteral(
        "interval:%1 | detail | up | untilsent | ?ticks=%2 | ?wire=%3 | "
        "?terminal=<- :14:04:0%4: (1) Health Check...\r\n | answer | seconds:%5 | ?hc=%6");
    row("health check every 5 seconds", countdown.arg("5", "6", kHealth1, "5", "1",
                                                      "HC: 5, HC: 4, HC: 3, HC: 2, HC: 1, HC: 0, HC: 5"));
    row("health check every second", countdown.arg("1", "2", kHealth1, "1", "2", "HC: 1, HC: 0, HC: 1, HC: 0"));
    row("health check interval 0: every tick", countdown.arg("0", "1", kHealth1, "0", "2", "HC: 0, HC: 0, HC: 0"));
    row("health check interval empty: every tick", countdown.arg("", "1", kHealth1, "0", "1", "HC: 0, HC: 0"));
    row("a health check asked for now: it leaves at once, and only while the connection stands",
        "healthnow | connect | healthnow | ?count=0 | connected | answer | healthnow | ?sent=" + kHealth1 +
        " | answer | ?responses=0:0, 3:0");
    row("health checks stopped: the countdown goes on, nothing leaves",
        "interval:2 | up | stophealth | seconds:9 | ?count=0 | ?timers!=T2 | "
        "?hc=HC: 2, HC: 1, HC: 0, HC: 2, HC: 1, HC: 0, HC: 2, HC: 1, HC: 0");
    // Misses count across answered checks; the seventh since the last reset resets the link, which
    // connects again 2 s later with the numbering continued (27 checks). Each check leaves on a whole
    // second.
    QString misses = QStringLiteral("interval:0 | up | tick:500");
    for (int missed = 1; missed <= 6; ++missed) {
        misses += QStringLiteral(" | tick:500 | tick:500 | ?missed=%1").arg(missed);
        for (int i = 0; missed == 3 && i < 20; ++i)
            misses += QStringLiteral(" | tick:500 | answer | tick:500");
    }
    row("health checks: six misses count, the seventh resets",
        misses + " | ?boxes= | tick:500 | tick:500 | ?boxes=Critical: PBX does not respond to Health Checks. | "
        "?titles=Health Check Timout | ?missed=0 | ?terminal$= ->:14:04:26: WARNING!:  ** RESETTING LINK **\r\n"
        "-X-:14:04:26: LINK RELEASED...\r\n | ?socket=0 | ?shown!=connected | tick:1999 | ?connects=1 | tick:1 | "
        "?connects=2 | connected | ?sent=16 35 30 30 36 30 31 32 38 30 30 F7");
    row("reset by the PBX: connected again 2 s later, the numbering continued",
        "up | reset | ?terminal= ->:14:03:59: WARNING!:  ** LINK WAS RESET BY PBX **\r\n" + released +
        " | ?socket=0 | tick:1999 | ?connects=1 | tick:1 | ?connects=2 | connected | ?sent=" + kHealth1 +
        " | ?faults=the PBX reset the connection");
    for (const auto& [type, connects, port] : {std::tuple{"", "2", "false"}, {"serial", "1", "true"}})
        row(QStringLiteral("the operator's connect command cancels a pending reconnect: ") + (*type ? type : "LAN"),
            QStringLiteral("up | reset | tick:1000 | %1 | connect | tick:5000 | ?connects=%2 | ?port=%3")
                .arg(type, connects, port));

    // The wait window goes 10 s after the release answer, or after the request when none comes.
    const QString release = QStringLiteral(
        "up | connect | %1 | tick:9999 | ?shown~=wait | tick:1 | ?shown!=wait | ?socket=0 | "
        "?terminal$=LINK RELEASED...\r\n");
    row("release answered, never closed", release.arg("tick:3000 | data:" + kOk1) + " | ?responses$=1:0");
    row("a record behind the PBX's release request: no answer leaves, and none is shown as sent",
        "detail | up | data:" + kPbxRelease5 + kRecord7 + " | ?count=0 | ?terminal!=Sequence_ID");
    row("release neither answered nor closed", release.arg(""));
    // The exit's release step is done at once; the PBX then has 5 s to close the link.
    row("exit: the PBX closes after 2 s",
        "interval:180 | up | exit | ?released=true | data:" + kOk1 + " | waitclose | tick:1999 | ?exitclosed=0 | "
        "?terminal!=RELEASED | closed | ?exitclosed=1 | ?socket=0 | tick:10000 | ?terminal$=LINK RELEASED...\r\n | "
        "?faults=");
    row("exit: the PBX never closes: 5 s",
        "interval:180 | up | exit | data:" + kOk1 + " | waitclose | tick:4999 | ?exitclosed=0 | tick:1 | "
        "?exitclosed=1 | ?socket=0 | ?terminal$=LINK RELEASED...\r\n");

    // A failure is shown once and not retried; a socket that was started is closed.
    const QString failed = QStringLiteral(
        " | ?connects=%1 | ?terminal=%2 | ?boxes=%3 | ?titles=%4 | ?closes=%1 | ?shown!=checked | tick:10000 | "
        "?connects=%1");
    row("connect: the socket fails at once",
        "failopen:Invalid operation at current state | connect" +
        failed.arg("1", "", "Exclamation: Invalid operation at current state", "") + " | ?neverstood=");
    // Where and why, before the box, as for a failure that comes later.
    row("connect: the system refuses the connection at once",
        "failopen:Network unreachable|10.9.9.9:60020 cannot be reached from here: no route to it | connect" +
        failed.arg("1", "<->:14:03:59: 10.9.9.9:60020 cannot be reached from here: no route to it\r\n",
                   "Exclamation: Network unreachable", "") +
        " | ?neverstood=10.9.9.9:60020 cannot be reached from here: no route to it");
    // After the link's end the terminal names the host, the port and why, in words.
    row("connect: the connection is refused",
        "connect | error:10061 Connection refused|127.0.0.1:60020 refused the connection" +
        failed.arg("1", request + released + "<->:14:03:59: 127.0.0.1:60020 refused the connection\r\n",
                   "Critical: 'Connection refused'\r\n@(2026-12-06 14:03:59) :Number = 10061", "IP-Error!") +
        " | ?faults=");
    row("a connection that fails while up is lost", "up | error:10054 Connection reset by peer|peer words | "
        "?faults=the connection failed: Connection reset by peer | ?terminal!=peer words");
    // "0.0.0.0" would quietly reach a program on this very machine.
    row("connect: no host given",
        "host:0.0.0.0 | connect" +
        failed.arg("0", request + released, "Critical: 'The requested address is not valid in its context'\r\n"
                                            "@(2026-12-06 14:03:59) :Number = 10049", "IP-Error!"));

    // The PBX's responses to the first health check: shown by their code, none answered.
    const QString response = QStringLiteral(
        "interval:0 | %1 | up | tick:1000 | ?count=1 | clear | data:%2 | ?terminal=%3 | ?socket=%4 | "
        "?timers!=T2 | ?boxes= | ?count=0");
    const QString health = QStringLiteral(" ->:14:04:00: (1) Health Check Message Rcv'd: ");
    const QString ended = QStringLiteral("-X-:14:04:00: LINK RELEASED...\r\n");
    row("response code 0, quiet without detail", response.arg("", kOk1, "", "7"));
    row("response code 0 with detail", response.arg("detail", kOk1, health + "OK\r\n\r\n", "7"));
    row("response code 1, always shown", response.arg("", "16 33 30 30 35 30 31 30 31 31 C8",
                                                      health + "** PARITY ERROR **\r\n\r\n", "7") +
                                             " | ?responses=0:0, 3:1 | ?faults=negative answer 1 (** PARITY ERROR **)");
    row("response code 7", response.arg("", "16 33 30 30 35 30 31 30 31 37 CE",
                                        health + "** INVALID RESPONSE NUMBER (7)\r\n\r\n", "7"));
    row("response code 2 ends the link", response.arg("", "16 33 30 30 35 30 31 30 31 32 CB",
                                                      health + "** DEVICE ID NOT DEFINED **\r\n\r\n" + ended, "0"));
    row("response code 4 ends the link", response.arg("", "16 33 30 30 35 30 31 30 31 34 CD",
                                                      health + "** DEVICE ALREADY IN USE **\r\n\r\n" + ended, "0"));
    row("the PBX's release request", response.arg("", kPbxRelease5,
                                                  " ->:14:04:00: PBX Response: Link Release Request...\r\n" + ended, "0"));
    // The health check's own answer then matches nothing either.
    row("an improper sequence forgets every pending request",
        "interval:0 | up | tick:1000 | data:" + kImproper5 + " | ?boxes=" + kImproper + "05\r\n0 | ?titles= | "
        "data:" + kOk1 + " | ?boxes=" + kImproper + "05\r\n0\n" + kImproper + "01\r\n0 | "
        "?faults=improper sequence 05, improper sequence 01");

    // A lamp frame's answer is awaited 10 s, its box shown once; a late answer is still the lamp
    // frame's unless a newer frame took its place, which waits its own 10 s. While the box stands
    // and after it, no health check leaves until data comes. An answer is matched once.
    const QString lamp = QStringLiteral(
        "interval:30 | detail | up | single:1000,,-,on | ?timers~=T3 | %1 | ?count=%2 | clear | data:%3 | "
        "?terminal= ->:14:%4: (1) %5Message Rcv'd: OK\r\n\r\n | ?boxes=%6 | ?timers%7=T3 | data:%3 | ?boxes$=%8");
    const QString newer = QStringLiteral("single:1000,,-,on");
    row("lamp answer in time", lamp.arg("tick:9999", "1", kOk1, "04:09", "Lamp Control ", "", "!", kImproper + "01\r\n1"));
    row("lamp answer timed out, still the lamp frame's",
        lamp.arg("tick:10000 | ?titles=Error | tick:9999", "1", kOk1, "04:19", "Lamp Control ", kLampTimeout, "!",
                 kImproper + "01\r\n1") + " | ?responses=0:0, lamp timed out, 2:0");
    row("lamp answer a minute late: no health check meanwhile",
        lamp.arg("tick:60000", "1", kOk1, "04:59", "Lamp Control ", kLampTimeout, "!", kImproper + "01\r\n1"));
    row("lamp answer timed out, a newer lamp frame replaced it",
        lamp.arg("tick:10000 | " + newer + " | tick:9999", "2", kOk1, "04:19", " ",
                 kLampTimeout + "\n" + kImproper + "01\r\n2", "~", kImproper + "01\r\n2"));
    row("lamp answer, a newer frame before the time-out",
        lamp.arg("tick:9000 | " + newer + " | tick:9999", "2", kOk1, "04:18", " ", kImproper + "01\r\n2", "~",
                 kImproper + "01\r\n2"));

    // The switch-off sweep of a load test over one station, stopped at once.
    const QString sweep = QStringLiteral(
        "%1 | range:1000-1000 | start | %2 | stop | ?wire=%3 | ?terminal%4=<- :14:03:59: %5\r\n | ?timers%6=T3");
    const char* const lan = "interval:30 | up";
    const char* const port = "serial | portopen";
    row("lamp message: TCP, KRA: tagged, length 022",
        sweep.arg(lan, "", "16 31 30 32 32 30 31 30 31 02 30 21 41 30 31 30 31 36 30 32 30 34 31 30 30 30 03 9E", "~",
                  shown("0!A0101602041000"), "~"));
    row("lamp message: TCP, OLV: fixed fields, blanks shown as dots",
        sweep.arg(QStringLiteral("olv | ") + lan, "", "16 31 30 32 32 30 31 30 31 02 30 21 41 36 31 30 30 30 20 20 20 "
                  "20 20 20 20 20 03 98", "~", shown("0!A61000........"), "~"));
    row("lamp message: TCP, OLV, expansion: 32 characters, length 036",
        sweep.arg(QStringLiteral("olv | expansion | ") + lan, "", "16 31 30 33 36 30 31 30 31 02 30 21 41 36 31 30 30 "
                  "30" + QString(" 20").repeated(22) + " 03 9D", "~", shown("0!A61000......................"), "~"));
    row("lamp message: serial, OLV: the message bare",
        sweep.arg(QStringLiteral("olv | ") + port, "", shown("0!A61000        "), "~", shown("0!A61000........"), "!"));
    row("lamp message: serial, KRA: the form goes by the PBX",
        sweep.arg(port, "", shown("0!A0101602041000"), "~", shown("0!A0101602041000"), "!"));
    row("lamp message: serial without DSR: nothing, and the sweep goes on",
        sweep.arg(port, "nodsr", "", "!", "", "!"));

    // The single-station dialog's Send: tagged over TCP, the frame shown from STX without its
    // check byte; fixed fields on the serial line, shown with dots, no transmit blink.
    const QString single = QStringLiteral(
        "%1 | single:%2 | ?quits=%3 | ?wire=%4 | ?terminal=%5 | ?boxes%6=%7 | ?timers%8=T3 | ?blinks=%9");
    const auto sent = [](const char* text) { return "<- :14:03:59: " + shown(text) + "\r\n"; };
    row("single station: no option chosen",
        single.arg(lan, "1000, ,-,-", "0", "", "", "", "Information: Please select an option.", "!", "0"));
    row("single station: TCP, range 1000 to 1010, MW off",
        single.arg(lan, "1000,1010,off,-", "0", "16 31 30 33 30 30 31 30 31 02 30 21 41 30 31 30 31 35 30 32 30 34 31 "
                   "30 30 30 30 33 30 34 31 30 31 30 03 99", sent("0!A010150204100003041010"), "", "", "~", "1"));
    row("single station: TCP, second box one blank: no field 03",
        single.arg(lan, "1000, ,-,on", "0", "16 31 30 32 32 30 31 30 31 02 30 21 41 30 31 30 31 32 30 32 30 34 31 30 "
                   "30 30 03 9A", sent("0!A0101202041000"), "", "", "~", "1"));
    row("single station: TCP, expansion does not change the tagged form",
        single.arg(QStringLiteral("expansion | ") + lan, "12345678,,on,-", "0", "16 31 30 32 36 30 31 30 31 02 30 21 "
                   "41 30 31 30 31 31 30 32 30 38 31 32 33 34 35 36 37 38 03 98", sent("0!A01011020812345678"),
                   "", "", "~", "1"));
    row("single station: TCP, no connection",
        single.arg("", "1000, ,on,-", "1", "", "", "$", "Exclamation: PBX does not respond, check Host Name or IP address!",
                   "!", "0"));
    row("single station: serial, 1000 alone, MW on",
        single.arg(port, "1000, ,on,-", "0", shown("0!A11000        "), sent("0!A11000........"), "", "", "!", "0"));
    row("single station: serial, range, VMM off, expansion",
        single.arg(QStringLiteral("expansion | ") + port, "1000,1010,-,off", "0", shown("0!A61000    1010              "),
                   sent("0!A61000....1010.............."), "", "", "!", "0"));
    row("single station: serial, the port is opened first",
        single.arg("serial", "1000, ,-,on", "0", shown("0!A21000        "), sent("0!A21000........"), "", "", "!", "0"));
    row("single station: serial without DSR: nothing, the port closed again",
        single.arg(QString::fromLatin1(port) + " | nodsr", "1000, ,on,-", "1", "", "", "$",
                   "Exclamation: MODEM/PBX not connected, check cable!", "!", "0") + " | ?port=false");
    row("single station: serial, no such port: only the connect command's box",
        single.arg("serial | noport", "1000, ,on,-", "0", "", "", "", "Exclamation: The COMM port you have selected in "
                   "Connection Properties\r\ndoes not exist on this machine!", "!", "0"));
    // The lamps the dialog asked for, in the ledger: each station of a range, each lamp, and what
    // became of the message.
    row("single station: the ledger: a TCP range answered",
        QStringLiteral("%1 | single:0998,1000,off,- | answer | ?ledger=0998 mw:off/confirmed/0; 0999 "
                       "mw:off/confirmed/0; 1000 mw:off/confirmed/0").arg(lan));
    row("single station: the ledger: the connection ends before the answer",
        QStringLiteral("%1 | single:1000, ,-,on | reset | answer | ?ledger=1000 vmm:on/unanswered").arg(lan));
    row("single station: the ledger: serial, both lamps",
        QStringLiteral("%1 | single:1000, ,on,off | ?ledger=1000 mw:on/no-answer vmm:off/no-answer").arg(port));
    row("single station: the ledger: serial without DSR: nothing",
        QStringLiteral("%1 | nodsr | single:1000, ,on,- | ?ledger=").arg(port));
    // The ledger's lamps sent again, paced as the load test is; never beside one, nor without the line.
    row("resync: serial, sent again without answers",
        QStringLiteral("%1 | single:1000, ,on,- | resync | tick:1000 | ?count=2 | ?sent=02 302141 31 31303030 2020202020202020 03 | ?ledger=1000 mw:on/no-answer | "
                       "?terminal~=Resynchronisation: 1 sent").arg(port));
    row("resync: a message whose answer the dialog's frame took is superseded",
        QStringLiteral("%1 | single:1000,1001,on,- | answer | resync | tick:300 | single:2000, ,on,- | answer | "
                       "tick:300 | answer | ?terminal~=Resynchronisation: 2 sent, 1 answered: 1 ok, 0 refused, 0 unanswered, "
                       "1 superseded").arg(lan));
    // The dialog's frame times out between two of the resynchronisation's: not its time-out.
    row("resync: another frame's time-out between two messages is not counted",
        QStringLiteral("%1 | single:1000,1001,on,- | answer | delay:20000 | resync | tick:20000 | answer | "
                       "single:2000, ,on,- | tick:10000 | ?boxes$=%2 | tick:10000 | answer | ?terminal~=Resynchronisation: "
                       "2 sent, 2 answered: 2 ok, 0 refused, 0 unanswered;").arg(lan, kLampTimeout));
    row("resync: refused while a load test runs",
        QStringLiteral("%1 | single:1000, ,on,- | answer | start | resync | ?boxes$=Exclamation: A load test is "
                       "running: stop it first.").arg(lan));
    row("resync: refused without the line",
        QStringLiteral("%1 | single:1000, ,on,- | connect | resync | ?boxes$=Exclamation: PBX NOT CONNECTED!").arg(port));
    row("resync: a station too long for the serial line is skipped",
        QStringLiteral("%1 | single:1234567, ,on,- | answer | serial | portopen | resync | tick:1000 | "
                       "?terminal~=Station 1234567 skipped: too long for the serial line's field").arg(lan));
    row("single station: serial, seven characters in a field of six",
        single.arg(port, "1234567, ,on,-", "0", "", "", "",
                   "Exclamation: A station number on the serial line has at most 6 characters.", "!", "0"));

    // Records are shown, handed on with their check byte's verdict, and answered.
    const QString record = QStringLiteral("up | %1 | data:%2 | ?wire=%3 | ?records=%4 | ?recordtext=%5");
    const QString r1 = shown("J.1"), badRecord7 = kRecord7.chopped(2) + "00";
    row("record: good", record.arg("", kRecord7, kAnswer7, r1, r1));
    // Bytes that begin no frame are skipped up to the next frame and said once it comes: at once, then
    // at most once a second with the count since; each skip is a fault for the snapshot.
    const QString skipped = QStringLiteral(": %1 skipped before a frame\r\n ->:14:0%2: ");
    row("record: stray bytes before and between frames skipped and said",
        "up | data:0D0A" + kRecord7 + "78" + kRecord8 + " | ?wire=" + kAnswer7 + "," + kAnswer8 + " | ?terminal~=" +
            skipped.arg("2 bytes", "3:59") + r1 + " | ?skipped=3 | tick:1000 | ?terminal$=" + shown("J.2") +
            "\r\n ->:14:04:00: 1 byte skipped before a frame\r\n | tick:1000 | data:7878" + kRecord7 +
            " | ?terminal~=" + skipped.arg("2 bytes", "4:01") + r1 +
            " | ?faults=bytes skipped before a frame, bytes skipped before a frame, bytes skipped before a frame");
    row("record: bad check byte", record.arg("", badRecord7, kAnswer7Parity, r1 + " (bad)", r1));
    row("record: bad check byte, parity ignored", record.arg("ignoreparity", badRecord7, kAnswer7, r1 + " (bad)", r1));
    row("record: a forced answer applies to one record only",
        "up | forced:parity | data:" + kRecord8 + kRecord8 + " | ?wire=" + kAnswer8Parity + "," + kAnswer8 +
        " | forced:text | data:" + kRecord7 + kRecord7 + " | ?wire=" + kAnswer8Parity + "," + kAnswer8 + "," +
        kAnswer7Text + "," + kAnswer7 + " | ?forced=0");
    // A check byte below 16 shows as one hex digit.
    row("record: the detail lines",
        "detail | up | data:" + kRecord7 + " | ?terminal= ->:14:03:59: " + r1 + "\r\n            : Sequence_ID: <07>"
        "    Byte_Length: <009>    Received_Parity: <A8h>    Calculated_Parity: <A8h>\r\n"
        "<- :14:03:59: J-Record Received NORMAL\r\n\r\n | clear | data:" + kRecord8.chopped(2) + "0B | "
        "?terminal~=Received_Parity: <Bh>    Calculated_Parity: <A4h>\r\n<- :14:03:59: ** PARITY ERROR **\r\n\r\n");

    // Frames each leave 20 ms after they were handed over and after the one before them; the
    // health check's answer time starts when it leaves. A lamp frame waits behind it.
    row("frames leave spaced",
        "up | spacing:20 | data:" + kRecord7 + kRecord8 + " | tick:19 | ?count=0 | tick:1 | ?count=1 | tick:19 | "
        "?count=1 | tick:1 | ?wire=" + kAnswer7 + "," + kAnswer8 + " | seconds:6 | ?timers~=Pace | single:1000,,-,on | "
        "tick:20 | ?count=3 | ?sent=" + kHealth1 + " | tick:20 | ?count=4 | tick:479 | ?missed=0 | tick:1 | ?missed=1");
    // The PBX ends the link behind a record in the same read: the record's answer still leaves,
    // then the socket closes gracefully; nothing is answered on the connection after the end.
    row("answers leave before the close",
        "up | spacing:20 | data:" + kRecord7 + kPbxRelease5 + kRecord8 + " | ?closes=0 | tick:20 | ?wire=" + kAnswer7 +
        " | ?closes=1 graceful | tick:1000 | ?count=1");
    // A refusal while a lamp frame waits for its moment: the frame leaves first, then the close.
    row("a frame waiting its moment leaves before the close",
        "up | spacing:20 | single:1000, ,on,- | data:16 33 30 30 35 30 31 30 30 34 CC | ?closes=0 | tick:20 | "
        "?count=1 | ?closes=1 graceful");
    // The PBX closes right after two records: the close comes after them, both are shown.
    row("records before the PBX's close are shown before it",
        "up | spacing:20 | data:" + kRecord7 + kRecord8 + " | closed | ?records=" + r1 + " | tick:20 | tick:20 | "
        "?records=" + r1 + ", " + shown("J.2") + " | ?terminal$=" + shown("J.2") + "\r\n-X-:14:03:59: LINK RELEASED...\r\n");
    // Bytes of a frame cut short by the end of a connection never reach the next connection.
    const QString partial = kRecord8.left(20);
    const QString cut = QStringLiteral(
        "interval:0 | up | data:%1 | %2 | ?socket=0 | seen | connect | connected | answer | "
        "?terminal~=) Connect Message Rcv'd: OK\r\n\r\n | data:%3 | ?sent=%4 | ?records=%5 | ?boxes=");
    for (const auto& [name, data, end] :
         {std::tuple{"the PBX's release request", kPbxRelease5 + partial, ""},
          {"a refusal", "16 33 30 30 35 30 31 30 35 32 CF" + partial, ""}, {"closed by the PBX", partial, "closed"},
          {"reset by the PBX", partial, "reset"}, {"a socket error", partial, "error:10053 Software caused connection abort"}})
        row(QStringLiteral("a partial frame ends with the link: ") + name, cut.arg(data, end, kRecord7, kAnswer7, r1));

    // A box holds only the rest of the handler that raised it: the link goes on beneath it.
    row("the PBX resets the link under the lamp timeout box: connected again at 2 s, and closing the box "
        "afterwards leaves the new connection's clock running",
        "up | keepboxes | single:1000,,-,on | tick:10000 | ?open=1 | reset | ?terminal~=** LINK WAS RESET BY PBX ** | "
        "tick:1999 | ?connects=1 | tick:1 | ?connects=2 | reconnected | closebox | ?timers~=StatusMonitor | "
        "?responses=0:0, 0:0 | ?ledger=1000 vmm:on/unanswered");
    row("a late lamp answer under the timeout box is the answer, counted once; the test goes on meanwhile",
        "interval:30 | up | keepboxes | delay:100 | range:1000-1001 | start | tick:100 | tick:10000 | ?open=1 | "
        "answer | ?figures=1 sent, 1 answered: 1 ok, 0 refused, 0 unanswered; answer time median 10000 ms, p95 10000 ms, "
        "max 10000 ms | tick:100 | ?line=1000+ 1001+ | closebox | ?figures^=2 sent, 1 answered: 1 ok, 0 refused, "
        "0 unanswered | ?timeouts=0 | ?ledger=1000 vmm:on/confirmed/0; 1001 vmm:on/awaiting | ?timers!=StatusMonitor");
    // Each answer ends only its own request's wait.
    row("a health check answered before the lamp frame sent earlier: both answers match",
        "interval:30 | up | single:1000,,-,on | healthnow | answer | data:" + kOk1 +
        " | ?boxes= | ?responses=0:0, 3:0, 2:0 | ?timers!=T3");
    row("the improper sequence box forgets only the requests awaited when it opened",
        "interval:30 | up | keepboxes | data:" + kImproper5 + " | healthnow | closebox | answer | ?boxes=" + kImproper +
        "05\r\n0 | ?responses=0:0, 3:0");
    // Seven misses open the reset box; beneath it records are answered and no health check leaves.
    row("the reset box: the link answers records beneath it, no health check leaves, no second box",
        "interval:0 | up | keepboxes | seconds:7 | tick:500 | ?open=1 | clear | data:" + kRecord7 + " | ?wire=" +
        kAnswer7 + " | seconds:30 | ?wire=" + kAnswer7 + " | ?open=1 | closebox | "
        "?terminal$=WARNING!:  ** RESETTING LINK **\r\n-X-:14:04:36: LINK RELEASED...\r\n | tick:2000 | ?connects=2");
    // A health check's answer that arrived behind 29 records is in time, though they take 580 ms to
    // answer; one that never comes is missed once that data has been worked through.
    const QString behind = QStringLiteral("interval:0 | up | spacing:20 | tick:1000 | tick:20 | data:%1 | data:%2 | ") +
                           QStringLiteral("tick:20 | ").repeated(30) + "?missed=%3 | ?count=%4";
    row("an answer behind a long read is in time",
        behind.arg(QString(kRecord7 + " ").repeated(29), kOk1, "0", "30"));
    row("no answer behind a long read: missed once the read is done",
        behind.arg(QString(kRecord7 + " ").repeated(29), kRecord8, "1", "31"));
    const QString lampBehind = QStringLiteral("interval:30 | up | spacing:20 | single:1000,,-,on | tick:20 | "
                                              "tick:9990 | data:%1 | data:%2 | ") +
                               QStringLiteral("tick:20 | ").repeated(30) + "?boxes=%3 | ?responses=%4";
    row("a lamp answer behind a long read is in time",
        lampBehind.arg(QString(kRecord7 + " ").repeated(29), kOk1, "", "0:0, 2:0"));
    row("no lamp answer behind a long read: the box once the read is done",
        lampBehind.arg(QString(kRecord7 + " ").repeated(29), kRecord8, kLampTimeout, "0:0, lamp timed out"));
    // The receive path's own boxes: what arrives behind one waits, with the health-check clock
    // stopped, and is handled in order after it.
    for (const auto& [box, records, answers] :
         {std::tuple{kImproper5, r1 + ", " + shown("J.2"), kAnswer7 + "," + kAnswer8},
          {QStringLiteral("16 32 30 30 35 30 31 30 37 25 00"), shown("J.2"), kAnswer8}})
        row(QStringLiteral("a receive path's box holds the data behind it: ") + box,
            "up | keepboxes | data:" + box + kRecord7 + " | ?open=1 | data:" + kRecord8 + " | ?records= | ?count=0 | "
            "?timers!=StatusMonitor | closebox | ?records=" + records + " | ?wire=" + answers + " | "
            "?timers~=StatusMonitor");
    // Each answer waits its 20 ms and leaves before the lines that follow it: the log reads the same
    // whether or not the LAN debug window is open.
    row("a read of two records: each answer's trace before its detail line",
        "detail | up | spacing:20 | data:" + kRecord7 + kRecord8 + " | tick:19 | ?count=0 | tick:1 | tick:20 | "
        "?log= ->: " + kRecord7 + " " + kRecord8 + " \r\n ->:14:03:59: " + r1 + "\r\n<- : " + kAnswer7 + " \r\n"
        "            : Sequence_ID: <07>    Byte_Length: <009>    Received_Parity: <A8h>    Calculated_Parity: <A8h>"
        "\r\n<- :14:03:59: J-Record Received NORMAL\r\n\r\n ->:14:03:59: " + shown("J.2") + "\r\n<- : " + kAnswer8 +
        " \r\n            : Sequence_ID: <08>    Byte_Length: <009>    Received_Parity: <A4h>    Calculated_Parity: "
        "<A4h>\r\n<- :14:03:59: J-Record Received NORMAL\r\n\r\n");

    // The serial line: typed keys go out as they are, records are cut from STX to ETX.
    const QString typed = QStringLiteral("%1 | type:%2 | ?wire=%3 | ?terminal=%4 | ?blinks=%5 | ?boxes=%6");
    row("typed: serial: sent, shown when the far end echoes it", typed.arg(port, "A", "A", "", "1", ""));
    row("typed: serial, local echo: sent and shown", typed.arg(QString::fromLatin1(port) + " | echo", "A", "A", "A", "1", ""));
    row("typed: serial, a control character as it is", typed.arg(port, "\x03", "\x03", "", "1", ""));
    row("typed: serial, port closed",
        typed.arg("serial | echo", "A", "", "", "0", "Critical: Serial port NOT connected!"));
    row("typed: TCP: nothing", typed.arg("portopen | echo", "A", "", "", "0", "") + " | ?shown=properties port");
    row("the transmit lamp goes out 50 ms after the last thing sent",
        QString::fromLatin1(port) + " | type:A | tick:30 | block | tick:49 | ?shown~=tx | tick:1 | ?shown!=tx | ?blinks=1");
    row("serial records across reads; a carrier change drops a half-received record",
        "serial | connect | ?shown=connected checked receiving port | serialdata:AB\r\n\x02" "1  | ?terminal=AB\r\n | "
        "serialdata:2\x03\r\x03 | ?terminal=AB\r\n ->:14:03:59: \x02" "1.2\x03\r\n\x03 | ?records=\x02" "1.2\x03 | "
        "serialdata:\x02half | cd | ?status=Status: Change in CD Detected | serialdata:\x03 | "
        "?records=\x02" "1.2\x03 | ?count=0 | ?faults= | ?sendtext=true | portlost | ?faults=The device went away | "
        "?sendtext=false");
    // A port that came back is opened again, unless the link is over TCP or a port is open.
    const QString back = QStringLiteral("%1 | portback | ?port=%2 | ?terminal%3=/dev/ttyUSB0 is back: opening it again");
    row("a port back: opened again", back.arg("serial", "true", "~"));
    row("a port back while the link is over TCP: left alone", back.arg("interval:30", "false", "!"));
    row("a port back while one is open: left alone", back.arg("serial | portopen", "true", "!"));
    row("serial: a record without ETX is shown cut after 4096 bytes, not decoded; then characters again",
        "serial | connect | serialdata:\x02" + QString(4095, 'A') + "B | ?terminal= ->:14:03:59: \x02" +
        QString(4095, 'A') + " (cut: no ETX after 4096 bytes)\r\nB | ?records= | ?faults=a serial record without ETX");
    row("serial: a port without DSR stays open until the next command; one that fails to open; a missing port",
        "serial | nodsr | connect | ?boxes=Exclamation: MODEM/PBX not connected, check COM port settings or cable! | "
        "?shown=properties port | ?status= | connect | ?shown=properties | "
        "portfails:Permission denied | connect | ?status=Status: Permission denied | ?shown=properties | noport | "
        "connect | ?boxes$=\nExclamation: The COMM port you have selected in Connection Properties\r\ndoes not exist "
        "on this machine! | ?shown=properties");
}
// clang-format on

void TestLinkEngine::brokenFragmentCostsOnlyItself_data()
{
    QTest::addColumn<QList<QByteArray>>("reads");
    QTest::addColumn<QList<QByteArray>>("answers");
    QTest::addColumn<int>("skipped"); // bytes that began no frame
    using Reads = QList<QByteArray>;
    const QByteArray overLong = hex("16 32 39 39 39 30 31");
    const QByteArray r7 = hex(kRecord7), r8 = hex(kRecord8), a7 = hex(kAnswer7), a8 = hex(kAnswer8);
    QTest::newRow("two frames and a bit in one read, the rest across two")
        << Reads{r7 + r8 + r7.left(4), r7.mid(4, 7), r7.mid(11) + hex(kOk1).left(1)} << Reads{a7, a8, a7}
        << 0;
    QTest::newRow("a read not beginning with SYN, junk behind a frame")
        << Reads{"\r\n" + r7, r7 + "xyz" + r8} << Reads{a7, a7, a8} << 5;
    QTest::newRow("lone SYN at the end of a read") << Reads{r8 + "\x16", r7} << Reads{a8, a7} << 1;
    QTest::newRow("SYN doubled before a frame") << Reads{"\x16" + r7} << Reads{a7} << 1;
    QTest::newRow("over-long length field") << Reads{overLong, r7, r8} << Reads{a7, a8} << 7;
    QTest::newRow("over-long length field, the frame behind it split")
        << Reads{overLong + r7.left(6), r7.mid(6)} << Reads{a7} << 7;
    QTest::newRow("over-long length field, junk, a frame") << Reads{overLong, "xy", r7} << Reads{a7} << 9;
    QTest::newRow("no frame's header, the next SYN in a later read")
        << Reads{r8 + hex("16 41"), "xy", "z" + r7} << Reads{a8, a7} << 5;
    // Frames genuinely cut across reads are still put together, 0x16 bytes in them or not.
    const QByteArray synInText = recordHolding(QByteArray("A") + '\x16' + "3005010");
    QTest::newRow("0x16 in the text, cut after it")
        << Reads{synInText.left(12), synInText.mid(12)} << Reads{a7} << 0;
    QTest::newRow("0x16 in the text, cut before it")
        << Reads{synInText.left(11), synInText.mid(11)} << Reads{a7} << 0;
    const QByteArray synAtEnd = recordEndingInSyn();
    QCOMPARE(synAtEnd.right(1), QByteArray("\x16"));
    QTest::newRow("0x16 check byte, then a frame")
        << Reads{synAtEnd.chopped(1), synAtEnd.right(1) + r8} << Reads{a7, a8} << 0;
}

// A stray SYN or a length field that claims too much is a broken fragment: it costs itself, and
// every sound frame behind it, in the same read or a later one, is shown and answered.
void TestLinkEngine::brokenFragmentCostsOnlyItself()
{
    QFETCH(QList<QByteArray>, reads);
    test::Link l;
    l.bringUp();
    for (const QByteArray& read : reads)
        l.engine->onSocketData(read);
    QTEST(l.host.sent, "answers");
    QCOMPARE(l.host.records.size(), l.host.sent.size());
    QVERIFY(l.op.messages.isEmpty());
    QTEST(int(l.engine->skippedBytes()), "skipped");
}

void TestLinkEngine::aReadCostsCopiesInProportionToItsSize_data()
{
    QTest::addColumn<QByteArray>("before"); // a read that leaves a fragment, or none
    QTest::addColumn<QByteArray>("frames"); // repeated to a megabyte in one read
    const QByteArray status = buildStatusFrame("1", 1, Parity::Odd);
    QTest::newRow("frames the tool ignores") << QByteArray() << status;
    QTest::newRow("the same behind a held fragment") << status.left(4) << status.mid(4) + status.left(4);
    // Each claims the longest record, and holds a sound frame where the scan finds the frames again.
    QTest::newRow("broken fragments") << QByteArray() << hex(QStringLiteral("16 32 39 39 39")) + status;
}

void TestLinkEngine::aReadCostsCopiesInProportionToItsSize()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, frames);
    test::Link l;
    l.bringUp();
    l.engine->onSocketData(before);
    const QByteArray read = frames.repeated((1 << 20) / frames.size());
    // The engine's own work; the window's trace of the read is not the receive path's.
    l.host.sync(l.realEngine);
    const std::optional<std::size_t> allocated =
        test::bytesAllocatedBy([&] { l.realEngine.onSocketData(read); });
    l.host.drain(l.realEngine, l.op);
    if (!allocated)
        QSKIP("allocations are counted through the address sanitizer's hooks");
    QVERIFY2(*allocated < 4 * std::size_t(read.size()), qPrintable(QString::number(*allocated)));
    QVERIFY(l.op.messages.isEmpty());
}

void TestLinkEngine::recordWithoutStxIsReportedAndTheRestDropped()
{
    test::Link l;
    l.bringUp();
    // A record frame of length 5 whose data holds no STX, then a good record.
    const QByteArray data = hex("16 32 30 30 35 30 31 30 37 25 00" + kRecord8);
    l.engine->onSocketData(data);
    QCOMPARE(l.op.messages.size(), 1);
    QCOMPARE(l.op.messages[0].title, QStringLiteral("Error"));
    QCOMPARE(l.op.messages[0].icon, Operator::Icon::Critical);
    QCOMPARE(l.op.messages[0].text,
             QStringLiteral("Error # 5 was generated by ZKN-Control Tool\r @2026-12-06 14:03:59\r") +
                 QString::fromLatin1(data) +
                 QStringLiteral(":(ProcessZKNPacket)\rInvalid procedure call or argument"));
    QVERIFY(l.host.sent.isEmpty());
    l.engine->onSocketData(hex(kRecord8));
    QCOMPARE(l.host.sent, QList<QByteArray>{hex(kAnswer8)});

    // Behind a long read the box quotes the first 256 bytes and says how many more there were.
    const QByteArray longer = data.left(11) + hex(kRecord8).repeated(100);
    l.engine->onSocketData(longer);
    QCOMPARE(l.op.messages.size(), 2);
    QCOMPARE(l.op.messages[1].text,
             QStringLiteral("Error # 5 was generated by ZKN-Control Tool\r @2026-12-06 14:03:59\r") +
                 QString::fromLatin1(longer.left(256)) + QStringLiteral("... (1255 bytes more)") +
                 QStringLiteral(":(ProcessZKNPacket)\rInvalid procedure call or argument"));
}

// A box opened while a chunk is processed runs the event loop; a chunk arriving then is processed
// after the first one, in order, and a frame cut between the two is put together. The socket is
// not read while the box is open.
void TestLinkEngine::dataArrivingWhileABoxIsOpenWaitsItsTurn()
{
    test::Link l;
    l.bringUp();
    const QByteArray r7 = hex(kRecord7), r8 = hex(kRecord8);
    QList<bool> reading; // the socket read before and after the data, while the box is shown
    l.op.whileShown = [&](const Operator::Message&) {
        reading.append(l.realEngine.readsSocket());
        l.engine->onSocketData(r8.mid(3) + r7);
        reading.append(l.realEngine.readsSocket());
    };
    l.engine->onSocketData(hex(kImproper5) + r7 + r8.left(3));
    QCOMPARE(reading, (QList<bool>{false, false}));
    QVERIFY(l.realEngine.readsSocket());
    QCOMPARE(l.op.messages.size(), 1);
    QCOMPARE(l.host.sent, (QList<QByteArray>{hex(kAnswer7), hex(kAnswer8), hex(kAnswer7)}));
    QCOMPARE(l.host.terminal, QByteArray(" ->:14:03:59: \x02J.1\x03\r\n ->:14:03:59: \x02J.2\x03\r\n"
                                         " ->:14:03:59: \x02J.1\x03\r\n"));
    QCOMPARE(l.engine->skippedBytes(), 0);
}

// While a box holds the processing of a chunk, the PBX resets the link: the reset comes after the
// data before it (the rest of the chunk is shown, its answer has no socket left to leave on), data
// of the old connection still waiting then is dropped, and the link comes back 2 s later.
void TestLinkEngine::dataOfAConnectionReplacedDuringABoxIsDropped()
{
    test::Link l;
    l.bringUp();
    const QByteArray r8 = hex(kRecord8);
    l.op.whileShown = [&](const Operator::Message&) {
        l.host.state = SocketState::Error;
        l.engine->onSocketData(r8.left(3));
        l.engine->onSocketReset();
        l.engine->onSocketData(r8.mid(3));
    };
    l.engine->onSocketData(hex(kImproper5 + kRecord7));
    QCOMPARE(l.host.records.size(), 1);
    QVERIFY(l.host.terminal.endsWith("** LINK WAS RESET BY PBX **\r\n-X-:14:03:59: LINK RELEASED...\r\n"));
    l.tick(2000);
    l.host.state = SocketState::Connected;
    l.engine->onSocketConnected();
    QCOMPARE(l.host.sent.size(), 1);
    QVERIFY(l.host.sent[0].startsWith(hex("16 35 30 30 36"))); // the new connect request
    QCOMPARE(l.host.records.size(), 1);
}

QTEST_APPLESS_MAIN(TestLinkEngine)
#include "tst_link_engine.moc"
