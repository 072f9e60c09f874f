// SPDX-License-Identifier: GPL-3.0-or-later
// The Wireshark dissector tools/wireshark/zkn.lua run by tshark on captures of the link: the
// fields it gives for every packet, compared whole with a table written by hand.
//
// The captures are written here, packet by packet, with every frame's bytes and check byte
// worked out by hand. A capture made elsewhere joins the test as a file pair in data/:
// NAME.pcap and NAME.fields, the table tshark must print (see kTcpTable for its form).
#include "simulator_process.h"

#include <pcap/pcap.h>

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <array>

namespace {

// libpcap takes the platform's DLT numbers and writes the file's link types: DLT_RAW is
// LINKTYPE_RAW (101) in the file, IPv4 from its header on; DLT_USER0 is USER0 (147), a
// direction byte, then the line's bytes.
constexpr int kLinkTypeRaw = DLT_RAW;
constexpr int kLinkTypeSerial = DLT_USER0;
constexpr qint64 kStart = 1700000000; // seconds since 1970 of the first packet

// Writes packets to a classic pcap file, each stamped microseconds after kStart.
class CaptureFile
{
public:
    CaptureFile(const QString& path, int linkType)
        : m_pcap(pcap_open_dead(linkType, 65535)), m_dump(pcap_dump_open(m_pcap, path.toLocal8Bit()))
    {
    }
    ~CaptureFile()
    {
        if (m_dump)
            pcap_dump_close(m_dump);
        pcap_close(m_pcap);
    }
    CaptureFile(const CaptureFile&) = delete;
    CaptureFile& operator=(const CaptureFile&) = delete;

    bool isOpen() const { return m_dump != nullptr; }

    void write(qint64 micros, const QByteArray& packet)
    {
        pcap_pkthdr header{};
        header.ts.tv_sec = kStart + micros / 1000000;
        header.ts.tv_usec = micros % 1000000;
        header.caplen = header.len = bpf_u_int32(packet.size());
        pcap_dump(reinterpret_cast<u_char*>(m_dump), &header,
                  reinterpret_cast<const u_char*>(packet.constData()));
    }

private:
    pcap_t* m_pcap;
    pcap_dumper_t* m_dump;
};

void appendBigEndian(QByteArray& out, quint32 value, int bytes)
{
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
        out.append(char((value >> shift) & 0xFF));
}

quint16 internetChecksum(const QByteArray& bytes)
{
    quint32 sum = 0;
    for (qsizetype i = 0; i < bytes.size(); i += 2) {
        const quint32 high = quint8(bytes[i]);
        const quint32 low = i + 1 < bytes.size() ? quint8(bytes[i + 1]) : 0;
        sum += high << 8 | low;
    }
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return quint16(~sum);
}

// One TCP connection from the tool (192.168.1.10) to the PBX (192.168.1.20), as IPv4 packets
// with correct sequence numbers, so tshark can put segments together.
class TcpConnection
{
public:
    TcpConnection(CaptureFile& file, quint16 toolPort, quint16 pbxPort)
        : m_file(file), m_ports{toolPort, pbxPort}
    {
    }

    void handshake(qint64 micros)
    {
        send(Tool, micros, kSyn, {});
        send(Pbx, micros + 100, kSyn | kAck, {});
        send(Tool, micros + 200, kAck, {});
    }
    void tool(qint64 micros, const QByteArray& payload) { send(Tool, micros, kPsh | kAck, payload); }
    void pbx(qint64 micros, const QByteArray& payload) { send(Pbx, micros, kPsh | kAck, payload); }

private:
    enum Side
    {
        Tool = 0,
        Pbx = 1
    };
    static constexpr quint8 kSyn = 0x02, kPsh = 0x08, kAck = 0x10;

    void send(Side from, qint64 micros, quint8 flags, const QByteArray& payload)
    {
        const Side to = from == Tool ? Pbx : Tool;
        const std::array<quint32, 2> address = {0xC0A8010A, 0xC0A80114};
        QByteArray tcp;
        appendBigEndian(tcp, m_ports[from], 2);
        appendBigEndian(tcp, m_ports[to], 2);
        appendBigEndian(tcp, m_next[from], 4);
        appendBigEndian(tcp, flags & kAck ? m_next[to] : 0, 4);
        appendBigEndian(tcp, 5 << 12 | flags, 2); // header of five words
        appendBigEndian(tcp, 65535, 2);           // window
        appendBigEndian(tcp, 0, 4);               // checksum, urgent pointer
        tcp += payload;
        QByteArray pseudo;
        appendBigEndian(pseudo, address[from], 4);
        appendBigEndian(pseudo, address[to], 4);
        appendBigEndian(pseudo, 6, 2);
        appendBigEndian(pseudo, quint32(tcp.size()), 2);
        const quint16 tcpSum = internetChecksum(pseudo + tcp);
        tcp[16] = char(tcpSum >> 8);
        tcp[17] = char(tcpSum & 0xFF);

        QByteArray ip;
        appendBigEndian(ip, 0x4500, 2);
        appendBigEndian(ip, quint32(20 + tcp.size()), 2);
        appendBigEndian(ip, ++m_ipId, 2);
        appendBigEndian(ip, 0x4000, 2); // do not fragment
        appendBigEndian(ip, 0x4006, 2); // time to live 64, TCP
        appendBigEndian(ip, 0, 2);
        appendBigEndian(ip, address[from], 4);
        appendBigEndian(ip, address[to], 4);
        const quint16 ipSum = internetChecksum(ip);
        ip[10] = char(ipSum >> 8);
        ip[11] = char(ipSum & 0xFF);

        m_file.write(micros, ip + tcp);
        m_next[from] += quint32(payload.size()) + (flags & kSyn ? 1 : 0);
    }

    CaptureFile& m_file;
    std::array<quint16, 2> m_ports;
    std::array<quint32, 2> m_next = {1000, 5000};
    quint16 m_ipId = 0;
};

// clang-format off
// Link frames: SYN, kind, length n, device "01", sequence, data, and the check byte under odd
// parity (the XOR of everything after the SYN, inverted), worked out by hand.
const QByteArray kConnect00 = "\x16" "5006" "01" "00" "00" "\xFD";
const QByteArray kResponse00 = "\x16" "3005" "01" "00" "0" "\xC8";
const QByteArray kHealth01 = "\x16" "5006" "01" "01" "00" "\xFC";
const QByteArray kResponse01 = "\x16" "3005" "01" "01" "0" "\xC9";
// KRA record: station source, call type 24 on loop 07, trunk calling party.
const QByteArray kRecord01 = "\x16" "2080" "01" "01"
    "\x02" "0!J"
    "01" "34" "0" "001" "002" "2003    " "003" "0123456789012345"
    "02" "04" "07" "24"
    "03" "21" "2" "001" "002" "012" "045" "  " "003" "112"
    "\x03" "\x9D";
const QByteArray kAnswer01 = "\x16" "4005" "01" "01" "0" "\xCE";
// Tagged lamp message: VMM lamp on for station 1000.
const QByteArray kLamp02 = "\x16" "1022" "01" "02" "\x02" "0!A" "01" "01" "2" "02" "04" "1000" "\x03" "\x99";
// KRA record with the same sequence number as the lamp frame awaiting its response: attendant
// source, call type 18 (unknown), ANI.
const QByteArray kRecord02 = "\x16" "2053" "01" "02"
    "\x02" "0!J"
    "01" "18" "1" "001" "002" "01" "      " "003"
    "02" "04" "01" "18"
    "06" "10" "1" "08" "4940123"
    "\x03" "\xA3";
const QByteArray kAnswer02 = "\x16" "4005" "01" "02" "0" "\xCD";
const QByteArray kResponse02 = "\x16" "3005" "01" "02" "0" "\xCA";
// Its check byte 0x59 is the one of even parity; odd wants 0xA6.
const QByteArray kRecord03BadCheck = "\x16" "2017" "01" "03" "\x02" "0!J" "02" "04" "03" "66" "\x03" "\x59";
const QByteArray kAnswer03ParityError = "\x16" "4005" "01" "03" "1" "\xCD";
// Station called party, call type 10.
const QByteArray kRecord04 = "\x16" "2055" "01" "04"
    "\x02" "0!J"
    "04" "34" "0" "001" "002" "2005    " "003" "                "
    "02" "04" "05" "10"
    "\x03" "\xA4";
const QByteArray kAnswer04 = "\x16" "4005" "01" "04" "0" "\xCB";
const QByteArray kHealth03 = "\x16" "5006" "01" "03" "00" "\xFE";
// Fixed-field lamp message: MW lamp off for station 2003.
const QByteArray kLamp04 = "\x16" "1022" "01" "04" "\x02" "0!A" "5" "2003        " "\x03" "\x9E";
const QByteArray kResponse03 = "\x16" "3005" "01" "03" "0" "\xCB";
const QByteArray kResponse04 = "\x16" "3005" "01" "04" "0" "\xCC";
const QByteArray kRelease05 = "\x16" "6004" "01" "05" "\xF9";
const QByteArray kResponse05 = "\x16" "3005" "01" "05" "0" "\xCD";

// A whole session: connect, health check, records answered, lamp messages answered, a bad
// check byte, a record split inside its header, two responses in one segment, release, and
// stray bytes.
void writeSession(const QString& path, quint16 pbxPort)
{
    CaptureFile file(path, kLinkTypeRaw);
    QVERIFY(file.isOpen());
    TcpConnection link(file, 51234, pbxPort);
    link.handshake(0);
    link.tool(10000, kConnect00);
    link.pbx(25000, kResponse00);
    link.tool(1010000, kHealth01);
    link.pbx(1018000, kResponse01);
    link.pbx(1500000, kRecord01);
    link.tool(1520000, kAnswer01);
    link.tool(2000000, kLamp02);
    link.pbx(2005000, kRecord02);
    link.tool(2030000, kAnswer02);
    link.pbx(2040000, kResponse02);
    link.pbx(3000000, kRecord03BadCheck);
    link.tool(3020000, kAnswer03ParityError);
    link.pbx(4000000, kRecord04.first(3));
    link.pbx(4003000, kRecord04.sliced(3));
    link.tool(4020000, kAnswer04);
    link.tool(5000000, kHealth03);
    link.tool(5020000, kLamp04);
    link.pbx(5030000, kResponse03 + kResponse04);
    link.tool(6000000, kRelease05);
    // Bytes that are no frame before the response: the tool drops the two together.
    link.pbx(6010000, "\r\n" + kResponse05);
}

// A health check and a release request with their check bytes under even parity (0x05 and
// 0x0B; 0xFA and 0xF4 under odd), and their responses (0x30 and 0x3F; 0xCF and 0xC0 under odd).
void writeEvenParity(const QString& path)
{
    CaptureFile file(path, kLinkTypeRaw);
    QVERIFY(file.isOpen());
    TcpConnection link(file, 51234, 60020);
    link.handshake(0);
    link.tool(10000, "\x16" "5006" "01" "07" "00" "\x05");
    link.pbx(20000, "\x16" "3005" "01" "07" "0" "\x30");
    link.tool(30000, "\x16" "6004" "01" "08" "\x0B");
    link.pbx(40000, "\x16" "3005" "01" "08" "0" "\x3F");
}

// The serial line: texts whole, split over two reads, two in one write, bytes between them.
void writeSerial(const QString& path)
{
    CaptureFile file(path, kLinkTypeSerial);
    QVERIFY(file.isOpen());
    const char tool = 0, pbx = 1;
    // Fixed-field lamp message: VMM lamp on for station 1000.
    file.write(0, QByteArray(1, tool) + "\x02" "0!A" "2" "1000        " "\x03");
    // OLV 6 digit record: station source, call type 12 on loop 07, trunk calling, attendant called.
    file.write(100000, QByteArray(1, pbx) + "\r\n" "\x02" "0!J" "0" "01" "2000  " "07" "12" "2" "01");
    file.write(101000, QByteArray(1, pbx) + "123" "045" "1" "01" "02" "    " "\x03" "\r\n");
    // Tagged lamp message for two stations: MW lamp on for 1000 to 1010.
    file.write(200000, QByteArray(1, tool) + "\x02" "0!A" "01" "01" "1" "02" "04" "1000" "03" "04" "1010" "\x03");
    // KRA record: attendant source, call type 66 on loop 05.
    file.write(300000, QByteArray(1, pbx) +
        "\x02" "0!J" "01" "18" "1" "001" "002" "03" "      " "003" "02" "04" "05" "66" "\x03");
    // Typed characters, then a fixed-field message for two stations: VMM lamp off, 1000 to 1010.
    file.write(400000, QByteArray(1, tool) + "AT\r" "\x02" "0!A" "6" "1000  1010  " "\x03");
}

// tshark's output with control characters but the line ends written "\xHH", a backslash "\\".
QString visible(const QByteArray& output)
{
    QString text;
    for (const QChar c : QString::fromUtf8(output)) {
        if (c == u'\\')
            text += QStringLiteral("\\\\");
        else if (c.unicode() < 0x20 && c != u'\n')
            text += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            text += c;
    }
    return text;
}

// tshark with the dissector, printing fields for the packets that hold the protocol.
const QStringList kTsharkOptions = {"-n", "-X", "lua_script:" ZKN_DISSECTOR, "-Y", "zkn",
                                    "-T", "fields", "-E", "separator=|"};

// Each table: its first line names the fields, one column each; then one line per packet that
// holds the protocol, as tshark prints it (fields separated by "|", repeats by ",", control
// characters by visible()). Packet 16 holds only the first bytes of record 04, so the record
// is shown in packet 17.
const char kTcpTable[] = R"(frame.number|zkn.direction|zkn.kind|zkn.kind_name|zkn.length|zkn.device|zkn.seq|zkn.check|zkn.check_good|zkn.response_to|zkn.answer_time|zkn.function|zkn.station|zkn.record.call_type
4|0|5|Status|6|01|00|0xfd|1|||||
5|1|3|Response|5|01|00|0xc8|1|4|0.015000000|||
6|0|5|Status|6|01|01|0xfc|1|||||
7|1|3|Response|5|01|01|0xc9|1|6|0.008000000|||
8|1|2|Record|80|01|01|0x9d|1|||||24
9|0|4|Record answer|5|01|01|0xce|1|8|0.020000000|||
10|0|1|Text|22|01|02|0x99|1|||2|1000|
11|1|2|Record|53|01|02|0xa3|1|||||18
12|0|4|Record answer|5|01|02|0xcd|1|11|0.025000000|||
13|1|3|Response|5|01|02|0xca|1|10|0.040000000|||
14|1|2|Record|17|01|03|0x59|0|||||66
15|0|4|Record answer|5|01|03|0xcd|1|14|0.020000000|||
17|1|2|Record|55|01|04|0xa4|1|||||10
18|0|4|Record answer|5|01|04|0xcb|1|17|0.017000000|||
19|0|5|Status|6|01|03|0xfe|1|||||
20|0|1|Text|22|01|04|0x9e|1|||5|2003|
21|1,1|3,3|Response,Response|5,5|01,01|03,04|0xcb,0xcc|1,1|19,20|0.030000000,0.010000000|||
22|0|6|Link release|4|01|05|0xf9|1|||||
23|1|3|Response|5|01|05|0xcd|1|22|0.010000000|||
)";

const char kEvenTable[] = R"(frame.number|zkn.kind|zkn.seq|zkn.check|zkn.check_good|zkn.response_to|zkn.answer_time
4|5|07|0x05|1||
5|3|07|0x30|1|4|0.010000000
6|6|08|0x0b|1||
7|3|08|0x3f|1|6|0.010000000
)";

const char kOddTable[] = R"(frame.number|zkn.kind|zkn.seq|zkn.check|zkn.check_good|zkn.response_to|zkn.answer_time
4|5|07|0x05|0||
5|3|07|0x30|0|4|0.010000000
6|6|08|0x0b|0||
7|3|08|0x3f|0|6|0.010000000
)";

const char kSerialTable[] = R"(frame.number|zkn.direction|zkn.text|zkn.function|zkn.station|zkn.station2|zkn.record.layout|zkn.record.call_type|zkn.record.source|zkn.record.calling|zkn.record.called
1|0|\x020!A21000        \x03|2|1000||||||
2|1|||||||||
3|1|\x020!J0012000  071220112304510102    \x03||||OLV - 6 digit|12|Station  TN: 01  STN: 2000..|Trunk  TN: 01  RT: 123  TK: 045|Attendant  TN: 01  ATTN: 02  Blank: ....
4|0|\x020!A010110204100003041010\x03|1|1000|1010|||||
5|1|\x020!J0118100100203      00302040566\x03||||KRA|66|Attendant  FPC: 001  TN: 002  ATTN: 03  UGN: 003  Blank: ......||
6|0|\x020!A61000  1010  \x03|6|1000|1010|||||
)";
// clang-format on

} // namespace

class TestCapture : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        m_tshark = QStandardPaths::findExecutable(QStringLiteral("tshark"));
        if (m_tshark.isEmpty())
            QSKIP("tshark is not installed: the Wireshark dissector is not checked");
        QVERIFY(m_dir.isValid());
        writeSession(m_dir.filePath("session-60020.pcap"), 60020);
        writeSession(m_dir.filePath("session-40100.pcap"), 40100);
        writeEvenParity(m_dir.filePath("even-parity.pcap"));
        writeSerial(m_dir.filePath("serial.pcap"));
    }

    void cleanup()
    {
        // Left behind when something failed, to be looked at.
        if (QTest::currentTestFailed() && m_dir.autoRemove()) {
            m_dir.setAutoRemove(false);
            qInfo("Captures kept in %s", qPrintable(m_dir.path()));
        }
    }

    void fields_data()
    {
        QTest::addColumn<QString>("capture");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("table");

        const auto generated = [this](const char* name) { return m_dir.filePath(QLatin1String(name)); };
        // Both passes, as Wireshark makes them; then one pass, as tshark does by default.
        QTest::newRow("tcp 60020, two passes")
            << generated("session-60020.pcap") << QStringList{"-2"} << kTcpTable;
        QTest::newRow("tcp 60020, one pass") << generated("session-60020.pcap") << QStringList{} << kTcpTable;
        QTest::newRow("other port, decode as")
            << generated("session-40100.pcap") << QStringList{"-2", "-d", "tcp.port==40100,zkn"} << kTcpTable;
        QTest::newRow("other port, found by its first frame")
            << generated("session-40100.pcap") << QStringList{"-2"} << kTcpTable;
        QTest::newRow("even parity") << generated("even-parity.pcap")
                                     << QStringList{"-2", "-o", "zkn.parity:Even"} << kEvenTable;
        QTest::newRow("odd parity") << generated("even-parity.pcap") << QStringList{"-2"} << kOddTable;
        QTest::newRow("serial") << generated("serial.pcap") << QStringList{"-2"} << kSerialTable;

        const QDir data(QStringLiteral(ZKN_CAPTURE_DATA));
        for (const QString& name : data.entryList({QStringLiteral("*.pcap")}, QDir::Files, QDir::Name)) {
            QFile table(data.filePath(QFileInfo(name).completeBaseName() + ".fields"));
            QVERIFY2(table.open(QIODevice::ReadOnly), qPrintable(table.fileName()));
            QTest::newRow(qPrintable(name))
                << data.filePath(name) << QStringList{"-2"} << QString::fromUtf8(table.readAll());
        }
    }

    void fields()
    {
        QFETCH(QString, capture);
        QFETCH(QStringList, options);
        QFETCH(QString, table);
        QStringList expected = table.split('\n', Qt::SkipEmptyParts);
        QVERIFY(!expected.isEmpty());
        const QStringList names = expected.takeFirst().split('|');
        const QStringList actual = fieldTable(capture, options, names);
        if (actual != expected)
            qInfo("tshark printed:\n%s", qPrintable(actual.join('\n')));
        QCOMPARE(actual, expected);
    }

    // A session of the tool against the simulator, each capturing it: connect, three records, a
    // lamp message the PBX answers with a reset, the new connection and its release. Both
    // captures hold every frame in order, from its side, with a good check byte, as the dissector
    // and zkn-decode read them.
    void aSessionOfTheTool()
    {
        const QString pbxCapture = m_dir.filePath("pbx.pcap"), toolCapture = m_dir.filePath("tool.pcap");
        SimulatorProcess pbx(
            QStringLiteral(ZKN_PBXSIM_PATH),
            {"--records", "3", "--record-interval", "100", "--reset-after", "5", "--capture", pbxCapture});
        QVERIFY(pbx.port != 0);
        QFile plan(m_dir.filePath("session.json"));
        QVERIFY(plan.open(QIODevice::WriteOnly));
        plan.write(QStringLiteral(R"({"link": {"lan": {"host": "127.0.0.1", "port": %1, "device": 1}},
            "steps": [{"connect": {}}, {"records": {"for_ms": 3000, "at_least": 3}},
                      {"lamps": {"stations": [1000], "function": "mw-on"}}, {"connect": {}}, {"release": {}}]})")
                       .arg(pbx.port)
                       .toUtf8());
        plan.close();
        QProcess run;
        run.start(QStringLiteral(ZKN_RUN_PATH), {plan.fileName(), "--capture", toolCapture});
        QVERIFY(run.waitForFinished(20000));
        QVERIFY2(run.exitCode() == 1, run.readAllStandardError().constData()); // the lamp was not answered
        QVERIFY(pbx.stop());

        const QStringList frames{"tool 5 00", "pbx 3 00",  "pbx 2 00",  "tool 4 00", "pbx 2 01",
                                 "tool 4 01", "pbx 2 02",  "tool 4 02", "tool 1 01", "tool 5 02",
                                 "pbx 3 02",  "tool 6 03", "pbx 3 03"};
        for (const QString& capture : {toolCapture, pbxCapture}) {
            QStringList seen;
            // A packet that carried several frames gives each field's values joined by commas.
            for (const QString& line :
                 fieldTable(capture, {"-2"}, {"zkn.direction", "zkn.kind", "zkn.seq", "zkn.check_good"})) {
                const QStringList fields = line.split('|');
                for (qsizetype i = 0; i < fields[0].split(',').size(); ++i) {
                    const auto at = [&](int field) { return fields[field].split(',').value(i); };
                    seen.append((at(0) == "0" ? "tool " : "pbx ") + at(1) + ' ' + at(2) +
                                (at(3) == "1" ? "" : " bad"));
                }
            }
            QCOMPARE(seen, frames);
            // zkn-decode reads them too.
            QProcess decode;
            decode.start(QStringLiteral(ZKN_DECODE_PATH), {"--frames", "--json", capture});
            QVERIFY(decode.waitForFinished(20000) && decode.exitCode() == 0);
            QStringList decoded;
            for (const QByteArray& line : decode.readAllStandardOutput().split('\n')) {
                const QJsonObject frame = QJsonDocument::fromJson(line).object();
                if (!frame.isEmpty())
                    decoded.append(frame["from"].toString() + ' ' + frame["kind"].toString() + ' ' +
                                   frame["seq"].toString() + (frame["check_good"].toBool() ? "" : " bad"));
            }
            QCOMPARE(decoded, frames);
        }
    }

    // A capture taken with tcpdump (make-captures) played by the simulator to zkn-run running the
    // plan it was taken with: the tool behaves as captured, whatever TCP did on the way (a SYN
    // sent again is one connection).
    void capturesReplayAsTaken_data()
    {
        QTest::addColumn<QString>("capture");
        const QDir data(QStringLiteral(ZKN_CAPTURE_DATA));
        for (const QString& name : data.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name))
            QTest::newRow(qPrintable(name)) << data.filePath(QFileInfo(name).completeBaseName() + ".pcap");
    }

    void capturesReplayAsTaken()
    {
        QFETCH(QString, capture);
        SimulatorProcess pbx(QStringLiteral(ZKN_PBXSIM_PATH),
                             {"--replay", capture, "--replay-timeout", "3000"});
        QVERIFY(pbx.port != 0);
        QFile taken(QFileInfo(capture).path() + '/' + QFileInfo(capture).completeBaseName() + ".json");
        QFile plan(m_dir.filePath("replayed.json"));
        QVERIFY(taken.open(QIODevice::ReadOnly) && plan.open(QIODevice::WriteOnly));
        plan.write(taken.readAll().replace("\"port\": 60020", "\"port\": " + QByteArray::number(pbx.port)));
        plan.close();
        QProcess run;
        run.start(QStringLiteral(ZKN_RUN_PATH), {plan.fileName()});
        QVERIFY(run.waitForFinished(20000));
        QVERIFY2(run.exitCode() == 0, run.readAllStandardError().constData());
        QVERIFY(pbx.process.waitForFinished(10000));
        const QByteArray report = pbx.process.readAll().trimmed();
        QVERIFY2(report.split('\n').last().startsWith("The tool behaved as captured"), report.constData());
    }

private:
    // What tshark prints with the dissector of the fields `names`, a line per packet.
    QStringList fieldTable(const QString& capture, const QStringList& options, const QStringList& names)
    {
        QStringList arguments = options + kTsharkOptions;
        arguments << QStringLiteral("-r") << capture;
        for (const QString& name : names)
            arguments << "-e" << name;
        QProcess tshark;
        // A profile of its own, so no one's Wireshark preferences count.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", m_dir.path());
        environment.insert("XDG_CONFIG_HOME", m_dir.path());
        tshark.setProcessEnvironment(environment);
        tshark.start(m_tshark, arguments);
        const bool finished = tshark.waitForFinished(120000);
        const QString errors = QString::fromLocal8Bit(tshark.readAllStandardError());
        if (!finished || tshark.exitCode() != 0 || errors.contains("Lua"))
            qWarning("tshark: %s", qPrintable(errors));
        return visible(tshark.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    }

private:
    QString m_tshark;
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestCapture)
#include "tst_capture.moc"
