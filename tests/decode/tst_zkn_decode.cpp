// SPDX-License-Identifier: GPL-3.0-or-later
// zkn-decode run as a user runs it: its text and JSON lines for records written out by hand, the
// layout chosen by option or by the stored settings, its exit statuses, input from files and
// standard input read in blocks, and packet captures written out byte by byte here: their records
// as the same records in a log give them, and their link frames; and the IP packet found inside
// each link layer a capture may have.
#include "frame_printer.h"
#include "input_file.h"
#include "json_text.h"
#include "link_layer.h"
#include "record_finder.h"
#include "tcp_connections.h"
#include "tcp_segment.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>
#include <QTest>

#include <algorithm>

namespace {

// A sectioned record as the tool's log shows it, blanks as dots: a station source, the call
// type, an attendant calling party and the ANI.
// clang-format off
QByteArray kraRecord(const QByteArray& callType = "12", const QByteArray& blank = "......")
{
    return "\x02" "0!J"
           "01" "34" "0" "001" "002" "2003...." "004" "4940123456......"
           "02" "04" "07" + callType +
           "03" "18" "1" "005" "006" "09" + blank + "008"
           "06" "10" "1" "08" "0890123"
           "\x03";
}

// A 6 digit OLV record: station source, call type, attendant calling, trunk called.
const QByteArray kOlvRecord =
    "\x02" "0!J" "0" "01" "2000.." "01" "12" "1" "01" "01" "...." "2" "01" "012" "045" "\x03";
// clang-format on

// A line of the tool's terminal log.
const auto logLine = [](const QByteArray& record) { return " ->:12:00:00: " + record + "\r\n"; };

// Captures, written out as tcpdump and Wireshark write them.
constexpr quint32 kEthernet = 1;
constexpr quint32 kLinuxCooked2 = 276;
constexpr quint32 kSerial = 147;
constexpr qint64 kStart = Q_INT64_C(1765000000) * 1000000; // 2025-12-06 05:46:40 UTC, in µs

struct Packet
{
    qint64 time; // µs since the epoch
    QByteArray bytes;
};

template <typename T>
void put(QByteArray& out, T value) // in the writer's byte order, which the magic number tells
{
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

template <typename T> void putBig(QByteArray& out, T value) // network byte order
{
    put(out, qToBigEndian(value));
}

QByteArray pcapFile(quint32 linkType, const QList<Packet>& packets)
{
    QByteArray file;
    put<quint32>(file, 0xA1B2C3D4);
    put<quint16>(file, 2);
    put<quint16>(file, 4);
    put<quint64>(file, 0); // time zone, accuracy
    put<quint32>(file, 65535);
    put<quint32>(file, linkType);
    for (const Packet& packet : packets) {
        put<quint32>(file, packet.time / 1000000);
        put<quint32>(file, packet.time % 1000000);
        put<quint32>(file, packet.bytes.size());
        put<quint32>(file, packet.bytes.size());
        file += packet.bytes;
    }
    return file;
}

void putBlock(QByteArray& out, quint32 type, QByteArray body)
{
    body.append((4 - body.size() % 4) % 4, '\0');
    put<quint32>(out, type);
    put<quint32>(out, body.size() + 12);
    out += body;
    put<quint32>(out, body.size() + 12);
}

QByteArray pcapngFile(quint32 linkType, const QList<Packet>& packets)
{
    QByteArray file;
    QByteArray section;
    put<quint32>(section, 0x1A2B3C4D);
    put<quint16>(section, 1); // version 1.0
    put<quint16>(section, 0);
    put<qint64>(section, -1); // section length not given
    putBlock(file, 0x0A0D0D0A, section);
    QByteArray interface;
    put<quint16>(interface, linkType);
    put<quint16>(interface, 0);
    put<quint32>(interface, 65535);
    putBlock(file, 1, interface);
    for (const Packet& packet : packets) {
        QByteArray enhanced;
        put<quint32>(enhanced, 0);
        put<quint32>(enhanced, quint64(packet.time) >> 32);
        put<quint32>(enhanced, quint32(packet.time));
        put<quint32>(enhanced, packet.bytes.size());
        put<quint32>(enhanced, packet.bytes.size());
        putBlock(file, 6, enhanced + packet.bytes);
    }
    return file;
}

struct End
{
    quint32 address;
    quint16 port;
};

enum Flag : quint8
{
    Fin = 0x01,
    Syn = 0x02,
    Rst = 0x04,
    Psh = 0x08,
    Ack = 0x10
};

QByteArray ipv4Tcp(End from, End to, quint32 sequence, quint8 flags, const QByteArray& payload = {})
{
    QByteArray p;
    putBig<quint16>(p, 0x4500);
    putBig<quint16>(p, 40 + payload.size());
    putBig<quint32>(p, 0x00004000); // don't fragment
    putBig<quint16>(p, 0x4006);     // TTL 64, TCP
    putBig<quint16>(p, 0);          // checksum, which nothing checks
    putBig(p, from.address);
    putBig(p, to.address);
    putBig(p, from.port);
    putBig(p, to.port);
    putBig(p, sequence);
    putBig<quint32>(p, 0);
    putBig<quint16>(p, 0x5000 | flags);
    putBig<quint32>(p, 0xFFFF0000); // window, checksum
    putBig<quint16>(p, 0);
    return p + payload;
}

// To 02:00:00:00:00:02 from 02:00:00:00:00:01, in VLAN 100 when tagged.
QByteArray ethernet(const QByteArray& ip, bool tagged = false)
{
    return QByteArray::fromHex("020000000002020000000001") +
           (tagged ? QByteArray::fromHex("81000064") : QByteArray()) + QByteArray::fromHex("0800") + ip;
}

// IPv4 received on interface 2, an Ethernet one, from 02:00:00:00:00:02.
QByteArray linuxCooked2(const QByteArray& ip)
{
    return QByteArray::fromHex("0800000000000002000100060200000000020000") + ip;
}

// A link frame with the check byte under odd parity.
QByteArray linkFrame(char kind, const QByteArray& sequence, const QByteArray& data)
{
    QByteArray frame = '\x16' + QByteArray(1, kind) +
                       QByteArray::number(4 + data.size()).rightJustified(3, '0') + "01" + sequence + data;
    quint8 check = 0xFF;
    for (const char c : frame.sliced(1))
        check ^= quint8(c);
    return frame + char(check);
}

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the program with its settings store in a folder of its own, so the developer's settings
// never count.
Run runDecode(const QString& arguments, const QByteArray& input, const QByteArray& ini = {})
{
    Run run;
    QTemporaryDir config;
    QFile file(config.filePath("ZKN-Control Tool/ZKN-Control Tool.ini"));
    if (!QDir(config.path()).mkpath("ZKN-Control Tool") ||
        !(ini.isEmpty() || (file.open(QIODevice::WriteOnly) && file.write(ini) == ini.size())))
        return run;
    file.close();
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", config.path());
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(ZKN_DECODE_PATH), arguments.split(' '));
    process.write(input);
    process.closeWriteChannel();
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

} // namespace

class TestZknDecode : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void runs_data();

    void runs()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, arguments);
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        const Run run = runDecode(arguments, input, ini);
        QTEST(run.exitCode, "exitCode");
        QVERIFY2(out.isEmpty() ? run.out.isEmpty() : run.out.contains(out), run.out.constData());
        QVERIFY2(err.isEmpty() ? run.err.isEmpty() : run.err.contains(err), run.err.constData());
    }

    void captures_data();
    void linkLayers_data();

    // The IP packet inside a captured packet of each link type libpcap writes on Linux.
    void linkLayers()
    {
        QFETCH(int, linkType);
        QFETCH(QByteArray, packet);
        QFETCH(QByteArray, ip); // "none": no IP packet in it
        const std::optional<QByteArrayView> found = zkn::decodetool::ipPacket(linkType, packet);
        QCOMPARE(found ? found->toByteArray() : QByteArray("none"), ip);
    }

    // Records found in a stream handed over in blocks; a text longer than the longest record
    // (4096 bytes) is none, however its end comes.
    void recordsAcrossBlocks_data()
    {
        QTest::addColumn<QList<QByteArray>>("blocks");
        QTest::addColumn<QList<QByteArray>>("records");
        const QByteArray record = "\x02"
                                  "12J body\x03";
        const QByteArray long4096 = "\x02"
                                    "12J" +
                                    QByteArray(4091, 'x') + '\x03';
        QTest::newRow("one record cut in three") << QList<QByteArray>{"<- \x02"
                                                                      "1",
                                                                      "2J bo", "dy\x03\r\n"}
                                                 << QList<QByteArray>{record};
        QTest::newRow("the longest record, cut")
            << QList<QByteArray>{long4096.first(4000), long4096.sliced(4000)} << QList<QByteArray>{long4096};
        const QByteArray long4097 = "\x02"
                                    "12J" +
                                    QByteArray(4092, 'x') + '\x03';
        QTest::newRow("a byte longer, cut")
            << QList<QByteArray>{long4097.first(4000), long4097.sliced(4000)} << QList<QByteArray>{};
        const QByteArray tooLong = '\x02' + QByteArray(5000, 'x');
        QTest::newRow("too long in one block")
            << QList<QByteArray>{tooLong + "12J body\x03" + record} << QList<QByteArray>{record};
        QTest::newRow("too long, its end looking like a record")
            << QList<QByteArray>{tooLong, "12J body\x03", record} << QList<QByteArray>{record};
    }

    void recordsAcrossBlocks()
    {
        QFETCH(QList<QByteArray>, blocks);
        QList<QByteArray> found;
        zkn::decodetool::RecordFinder finder([&found](QByteArrayView r) { found.append(r.toByteArray()); });
        for (const QByteArray& block : blocks)
            finder.feed(block);
        QTEST(found, "records");
    }

    // The TCP segment inside an IP packet: its ports, number, flags and payload, or none.
    void tcpSegments_data()
    {
        QTest::addColumn<QByteArray>("ip");
        QTest::addColumn<QString>("segment");
        const End a{0x0a000001, 40001}, b{0x0a000002, 60020};
        const QByteArray v4 = ipv4Tcp(a, b, 7, Psh | Ack, "abc");
        const auto with = [](QByteArray packet, qsizetype at, const QByteArray& bytes) {
            return packet.replace(at, bytes.size(), bytes);
        };
        // The same TCP header behind an IPv6 header from ::1 to ::2.
        const auto v6 = [](const QByteArray& tcp, quint8 next = 6) {
            QByteArray p = QByteArray::fromHex("60000000") + char(tcp.size() >> 8) + char(tcp.size() & 0xff) +
                           char(next) + char(64) + QByteArray(15, 0) + char(1) + QByteArray(15, 0) + char(2);
            return p + tcp;
        };
        QTest::newRow("IPv4") << v4 << "40001 > 60020 seq 7 ACK \"abc\", ends of 6 bytes";
        QTest::newRow("IPv4, Ethernet padding left out")
            << v4 + QByteArray(6, 0) << "40001 > 60020 seq 7 ACK \"abc\", ends of 6 bytes";
        QTest::newRow("IPv4, cut short by the snapshot length")
            << v4.chopped(1) << "40001 > 60020 seq 7 ACK \"ab\", ends of 6 bytes";
        QTest::newRow("SYN") << ipv4Tcp(a, b, 1, Syn) << "40001 > 60020 seq 1 SYN \"\", ends of 6 bytes";
        QTest::newRow("FIN and RST") << ipv4Tcp(b, a, 9, Fin | Rst)
                                     << "60020 > 40001 seq 9 FIN RST \"\", ends of 6 bytes";
        QTest::newRow("IPv6") << v6(v4.sliced(20)) << "40001 > 60020 seq 7 ACK \"abc\", ends of 18 bytes";
        QTest::newRow("IPv6, an extension header first") << v6(v4.sliced(20), 0) << "none";
        QTest::newRow("IPv6, short") << v6(v4.sliced(20)).first(39) << "none";
        QTest::newRow("UDP") << with(v4, 9, "\x11") << "none";
        QTest::newRow("a fragment") << with(v4, 6, QByteArray::fromHex("2000")) << "none";
        QTest::newRow("a later fragment") << with(v4, 6, QByteArray::fromHex("0001")) << "none";
        QTest::newRow("an IP header below 20 bytes") << with(v4, 0, "\x44") << "none";
        QTest::newRow("a total length below the header")
            << with(v4, 2, QByteArray::fromHex("0013")) << "none";
        QTest::newRow("shorter than an IP header") << v4.first(19) << "none";
        QTest::newRow("a TCP header below 20 bytes") << with(v4, 32, "\x48") << "none";
        QTest::newRow("a TCP header beyond the packet") << with(v4, 32, "\xf8") << "none";
        QTest::newRow("IP version 5") << with(v4, 0, "\x55") << "none";
        QTest::newRow("nothing") << QByteArray() << "none";
    }

    void tcpSegments()
    {
        QFETCH(QByteArray, ip);
        const auto s = zkn::decodetool::tcpSegment(ip);
        QString text = QStringLiteral("none");
        if (s) {
            QStringList flags;
            for (const auto& [on, name] :
                 {std::pair{s->syn, "SYN"}, {s->ack, "ACK"}, {s->fin, "FIN"}, {s->rst, "RST"}})
                if (on)
                    flags.append(QLatin1String(name));
            text = QStringLiteral("%1 > %2 seq %3 %4 \"%5\", ends of %6 bytes")
                       .arg(s->sourcePort)
                       .arg(s->destinationPort)
                       .arg(s->sequence)
                       .arg(flags.join(' '), QString::fromLatin1(s->payload.toByteArray()))
                       .arg(s->source.size());
        }
        QTEST(text, "segment");
    }

    // The frames of a capture's TCP connections and where each begins and ends, each packet at the
    // time of its number: which end is the PBX, a SYN sent again, a new SYN between the same ends,
    // a FIN, a lost segment, a reset.
    void connections_data()
    {
        QTest::addColumn<QList<QByteArray>>("packets");
        // "time #connection side kind seq", "time #connection began", "time #connection ended by side"
        QTest::addColumn<QStringList>("frames");
        const End tool{0x0a000001, 40001}, pbx{0x0a000002, 60020};
        const End client{0x0a000001, 40001}, server{0x0a000002, 5000};
        const QByteArray connect = linkFrame('5', "00", "00"), ok = linkFrame('3', "00", "0");
        const QByteArray r1 = linkFrame('2', "01", "\x02J 1\x03"), r2 = linkFrame('2', "02", "\x02J 2\x03"),
                         r3 = linkFrame('2', "03", "\x02J 3\x03");
        const auto row = [](const char* name, const QList<QByteArray>& packets, const QStringList& frames) {
            QTest::newRow(name) << packets << frames;
        };
        row("a frame each way",
            {ipv4Tcp(tool, pbx, 100, Syn), ipv4Tcp(pbx, tool, 500, Syn | Ack),
             ipv4Tcp(tool, pbx, 101, Psh | Ack, connect), ipv4Tcp(pbx, tool, 501, Psh | Ack, ok)},
            {"0 #0 began", "2 #0 tool 5 00", "3 #0 pbx 3 00"});
        row("a SYN sent again is the same connection",
            {ipv4Tcp(tool, pbx, 100, Syn), ipv4Tcp(tool, pbx, 100, Syn), ipv4Tcp(pbx, tool, 500, Syn | Ack),
             ipv4Tcp(tool, pbx, 101, Psh | Ack, connect.first(4)),
             ipv4Tcp(tool, pbx, 105, Psh | Ack, connect.sliced(4))},
            {"0 #0 began", "4 #0 tool 5 00"});
        row("a new SYN starts a new connection; the old one's part frame is given up",
            {ipv4Tcp(tool, pbx, 100, Syn), ipv4Tcp(tool, pbx, 101, Psh | Ack, connect.first(4)),
             ipv4Tcp(tool, pbx, 900, Syn), ipv4Tcp(tool, pbx, 901, Psh | Ack, connect)},
            {"0 #0 began", "2 #1 began", "3 #1 tool 5 00"});
        row("the PBX's FIN ends the connection, the tool's after it says nothing more",
            {ipv4Tcp(tool, pbx, 100, Syn), ipv4Tcp(pbx, tool, 500, Syn | Ack),
             ipv4Tcp(tool, pbx, 101, Psh | Ack, connect), ipv4Tcp(pbx, tool, 501, Fin | Psh | Ack, ok),
             ipv4Tcp(tool, pbx, 101 + connect.size(), Fin | Ack), ipv4Tcp(pbx, tool, 502 + ok.size(), Ack),
             ipv4Tcp(tool, pbx, 900, Syn)},
            {"0 #0 began", "2 #0 tool 5 00", "3 #0 pbx 3 00", "3 #0 ended by pbx", "6 #1 began"});
        row("a lost segment: what follows it comes at the end of the capture",
            {ipv4Tcp(pbx, tool, 1000, Psh | Ack, r1),
             ipv4Tcp(pbx, tool, 1000 + r1.size() + r2.size(), Psh | Ack, r3)},
            {"0 #0 began", "0 #0 pbx 2 01", "1 #0 pbx 2 03"});
        row("a reset: what it held is given up at once, what comes after is another connection's",
            {ipv4Tcp(pbx, tool, 1000, Psh | Ack, r1),
             ipv4Tcp(pbx, tool, 1000 + r1.size() + r2.size(), Psh | Ack, r3), ipv4Tcp(tool, pbx, 7, Rst),
             ipv4Tcp(pbx, tool, 5000, Ack)},
            {"0 #0 began", "0 #0 pbx 2 01", "2 #0 pbx 2 03", "2 #0 ended by tool, reset"});
        row("not on the link's port: the end that answered the SYN is the PBX",
            {ipv4Tcp(client, server, 100, Syn), ipv4Tcp(server, client, 500, Syn | Ack),
             ipv4Tcp(server, client, 501, Psh | Ack, r1), ipv4Tcp(client, server, 101, Psh | Ack, connect)},
            {"0 #0 began", "2 #0 pbx 2 01", "3 #0 tool 5 00"});
        row("its start not captured: the lower port is the PBX",
            {ipv4Tcp(client, server, 101, Psh | Ack, connect), ipv4Tcp(server, client, 501, Psh | Ack, r1)},
            {"0 #0 began", "0 #0 tool 5 00", "1 #0 pbx 2 01"});
    }

    void connections()
    {
        QFETCH(QList<QByteArray>, packets);
        QStringList frames;
        using zkn::decodetool::CaptureTime, zkn::decodetool::LinkSide;
        const auto side = [](LinkSide side) { return side == LinkSide::Pbx ? "pbx" : "tool"; };
        zkn::decodetool::TcpConnections connections(
            zkn::link::Parity::Odd,
            {[&](int connection, CaptureTime time, LinkSide from, const zkn::link::FrameHeader& frame) {
                 frames.append(QStringLiteral("%1 #%2 %3 %4 %5")
                                   .arg(time)
                                   .arg(connection)
                                   .arg(side(from))
                                   .arg(QLatin1Char(frame.kind))
                                   .arg(QString::fromLatin1(frame.sequenceField)));
             },
             [&](int connection, CaptureTime time) {
                 frames.append(QStringLiteral("%1 #%2 began").arg(time).arg(connection));
             },
             [&](int connection, CaptureTime time, LinkSide by, bool reset) {
                 frames.append(QStringLiteral("%1 #%2 ended by %3%4")
                                   .arg(time)
                                   .arg(connection)
                                   .arg(side(by), reset ? ", reset" : ""));
             }});
        for (qsizetype i = 0; i < packets.size(); ++i)
            connections.segment(i, *zkn::decodetool::tcpSegment(packets[i]));
        connections.finish();
        QTEST(frames, "frames");
    }

    // A frame's line for people: printable ASCII as it is, everything else as <hex>; a frame
    // without data ends after its check.
    void readableFrame()
    {
        zkn::decodetool::OutputBuffer out(stdout);
        zkn::decodetool::FramePrinter printer(zkn::decodetool::OutputStyle::Readable, out);
        printer.print(
            1765000000000000, zkn::decodetool::LinkSide::Pbx,
            zkn::link::readFrameHeader(linkFrame('2', "08", " ~\x7f\x1f\x02\xe4"), zkn::link::Parity::Odd));
        printer.print(1765000000000000, zkn::decodetool::LinkSide::Tool,
                      zkn::link::readFrameHeader(linkFrame('6', "09", {}), zkn::link::Parity::Odd));
        QCOMPARE(
            out.text(),
            QByteArray(
                "2025-12-06 05:46:40.000000  pbx   kind 2 record          device 01  seq 08  check good  "
                " ~<7F><1F><02><E4>\n"
                "2025-12-06 05:46:40.000000  tool  kind 6 release         device 01  seq 09  check good  "
                "\n"));
    }

    // Texts as JSON strings in UTF-8: the escapes JSON names, others as \u00XX, every character
    // of the Basic Multilingual Plane and beyond, a lone surrogate replaced.
    void jsonStrings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("json");
        QTest::newRow("plain") << QStringLiteral("J 1") << QByteArray("\"J 1\"");
        QTest::newRow("empty") << QString() << QByteArray("\"\"");
        QTest::newRow("named escapes")
            << QStringLiteral("\"\\\b\f\n\r\t") << QByteArray("\"\\\"\\\\\\b\\f\\n\\r\\t\"");
        QTest::newRow("other controls")
            << QString::fromLatin1("\x02\x1f\x7f") << QByteArray("\"\\u0002\\u001f\x7f\"");
        QTest::newRow("Latin-1") << QString::fromLatin1("\xe4\xff") << QByteArray("\"\xc3\xa4\xc3\xbf\"");
        QTest::newRow("two bytes, the first and the last")
            << QString(QChar(0x80)) + QChar(0x7FF) << QByteArray("\"\xc2\x80\xdf\xbf\"");
        QTest::newRow("three bytes") << QString(QChar(0x20AC)) << QByteArray("\"\xe2\x82\xac\"");
        QTest::newRow("three bytes, the first and the last")
            << QString(QChar(0x800)) + QChar(0xFFFF) << QByteArray("\"\xe0\xa0\x80\xef\xbf\xbf\"");
        const char32_t first4 = 0x10000;
        QTest::newRow("four bytes, the first")
            << QString::fromUcs4(&first4, 1) << QByteArray("\"\xf0\x90\x80\x80\"");
        const char32_t grin = 0x1F600;
        QTest::newRow("four bytes") << QString::fromUcs4(&grin, 1) << QByteArray("\"\xf0\x9f\x98\x80\"");
        QTest::newRow("a lone surrogate") << QString(QChar(0xD83D)) + 'x' << QByteArray("\"\xef\xbf\xbdx\"");
    }

    void jsonStrings()
    {
        QFETCH(QString, text);
        QByteArray out = "[";
        zkn::decodetool::appendJsonString(out, text);
        QTEST(out.sliced(1), "json");
    }

    void linkTypesThatCarryIp()
    {
        for (const int type : {0, 1, 12, 14, 101, 108, 113, 276})
            QVERIFY2(zkn::decodetool::carriesIp(type), qPrintable(QString::number(type)));
        for (const int type : {kSerial, 105u, 127u, 228u})
            QVERIFY2(!zkn::decodetool::carriesIp(int(type)), qPrintable(QString::number(type)));
    }

    // A capture read from standard input gives what the log given gives, or the lines expected.
    void captures()
    {
        QFETCH(QString, arguments);
        QFETCH(QByteArray, capture);
        QFETCH(QByteArray, log);
        QFETCH(QByteArray, expected);
        const Run run = runDecode(arguments, capture);
        QCOMPARE(run.err, QByteArray());
        if (log.isEmpty()) {
            QCOMPARE(run.out, expected);
            return;
        }
        const Run fromLog = runDecode(arguments, log);
        QVERIFY(!fromLog.out.isEmpty());
        // Each record from a capture carries the time of the packet that completed it, in order.
        static const QRegularExpression jsonTime(QStringLiteral(R"(\{"time":(\d+\.\d{6}),)"));
        static const QRegularExpression textTime(
            QStringLiteral(R"(Record (\d+) at (\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{6}):)"));
        QString untimed = QString::fromLatin1(run.out);
        QStringList times;
        for (auto m = jsonTime.globalMatch(untimed); m.hasNext();)
            times.append(m.next().captured(1));
        for (auto m = textTime.globalMatch(untimed); m.hasNext();)
            times.append(m.next().captured(2));
        untimed.replace(jsonTime, QStringLiteral("{")).replace(textTime, QStringLiteral("Record \\1:"));
        QCOMPARE(times.size(), fromLog.out.count("{\"record\"") + fromLog.out.count("Record "));
        QVERIFY(std::is_sorted(times.begin(), times.end()));
        QCOMPARE(untimed.toLatin1(), fromLog.out);
        QCOMPARE(run.exitCode, fromLog.exitCode);
    }
};

// clang-format off
void TestZknDecode::runs_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out"); // standard output holds it; empty: nothing there
    QTest::addColumn<QByteArray>("err"); // the same for standard error
    const auto row = [](const char* name, const QByteArray& ini, const char* arguments, const QByteArray& input,
                        int exitCode, const QByteArray& out, const QByteArray& err = {}) {
        QTest::newRow(name) << ini << QString::fromLatin1(arguments) << input << exitCode << out << err;
    };
    const QByteArray kraLog = "<->:11:59:59: LINK CONNECTED...\r\n" + logLine(kraRecord());
    row("text: a heading, then a line a box", {}, "--kra", kraLog, 0,
        "Record 1: Format Message Information (KRA)\nSource/Destination (Station)  FPC: 001\n");
    row("text: message, blank line between records", {}, "--kra", logLine(kraRecord("99")) + kraLog, 1,
        "ANI: 0890123\nMessage  ERROR: Unknown Call Type\n\nRecord 2: Format Message Information (KRA)\n");
    row("JSON", {}, "--kra --json", kraLog, 0,
        R"j({"record":"\u00020!J013400010022003....0044940123456......0204071203181005006)j"
        R"j(09......00806101080890123\u0003","caption":"Format Message Information (KRA)",)j"
        R"j("areas":{"source":{"frame":10,"caption":"Source/Destination (Station)",)j"
        R"j("boxes":{"FPC":"001","TN":"002","STN":"2003....","UGN":"004",)j"
        R"j("TELN":"4940123456......"}},"calling":{"frame":31,"caption":)j"
        R"j("Calling Party (Attendant)","boxes":{"FPC":"005","TN":"006","ATTN":"09",)j"
        R"j("UGN":"008","Blank":"......"}},"called":null,"extended":null,"callType":)j"
        R"j({"frame":"FrmCallType","caption":"Call Type/Loop Number","boxes":{"Loop No.":)j"
        R"j("07","Call Type":"12    Call Forwarding-Don't Answer"}},"ani":{"frame":61,)j"
        R"j("caption":"ANI (Provided)","boxes":{"ANI":"0890123"}}},"messages":[]})j" "\n");
    row("JSON: the message raised", {}, "--kra --json", logLine(kraRecord("99")), 1,
        R"j(,"messages":[{"title":"ERROR","text":"Unknown Call Type"}]})j" "\n");
    // Worth a word on stderr, with the layout records would have been read in; not a failure.
    row("no record at all", {}, "--olv", "<->:12:00:00: LINK UP\r\n", 0, {},
        "zkn-decode: -: no record in it (records would be read in the OLV layout)\n");
    row("an input shorter than a capture's header", {}, "--kra", "x", 0, {}, "no record in it (records would be read in the KRA layout)");
    // A file that cannot be read to its end says why.
    row("a read that fails", {}, "--kra /proc/self/mem", {}, 2, {}, "zkn-decode: /proc/self/mem: Input/output error\n");
    row("a folder", {}, "--kra /tmp", {}, 2, {}, "zkn-decode: /tmp: file to open is a directory\n");
    // Nothing stored reads as a serial link with the KRA format chosen.
    const QByteArray kra = R"j("caption":"Format Message Information (KRA)")j";
    const QByteArray olv = R"j("caption":"Format Message Information (OLV - 6 digit)")j";
    const QByteArray olvLog = logLine(kOlvRecord);
    row("layout: nothing stored", {}, "--json", olvLog, 1, kra);
    row("layout: serial, OLV", "[Properties]\nCType=Serial\nPBXType=False\n", "--json", olvLog, 0, olv);
    row("layout: --olv over LAN", "[Properties]\nCType=LAN\nPBXType=False\n", "--olv --json", olvLog, 0, olv);
    row("unknown option", {}, "--frobnicate", kraLog, 2, {}, "frobnicate");
    row("a missing file, the next still read", {}, "--kra /nonexistent/zkn.log -", kraLog, 2,
        "Record 1: Format Message Information (KRA)\n", "/nonexistent/zkn.log");
    row("help", {}, "--help", {}, 0, "Exit status");
    // Read in blocks: a record across the end of the first one is found whole.
    row("a record across two blocks", {}, "--kra",
        QByteArray(zkn::decodetool::kReadBlockSize - 60, '-') + logLine(kraRecord()).repeated(2), 0,
        "Record 2: Format Message Information (KRA)\nSource/Destination (Station)  FPC: 001\n");
    // A text from STX to ETX longer than the longest record a tool shows is none, however long it
    // stays open; the record behind it is the first.
    row("an STX left open for two blocks", {}, "--kra",
        "\x02" "1 J" + QByteArray(2 * zkn::decodetool::kReadBlockSize, '-') + "\x03" + logLine(kraRecord()), 0,
        "Record 1: Format Message Information (KRA)\n");
}
// clang-format on

void TestZknDecode::captures_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QByteArray>("capture");
    QTest::addColumn<QByteArray>("log");      // when given, the capture prints what it prints
    QTest::addColumn<QByteArray>("expected"); // else exactly this
    const auto dotted = [](QByteArray record) { return logLine(record.replace(' ', '.')); };
    const QByteArray blanks(6, ' ');
    const QByteArray records[] = {kraRecord("12", blanks), kraRecord("44", blanks),
                                  kraRecord("12", "1.  2 ")};
    const QByteArray log = dotted(records[0]) + dotted(records[1]) + dotted(records[2]);

    // The PBX's ISN lies just before the wrap of the sequence numbers, which the stream then crosses.
    const End tool{0x0A000001, 40000};
    const End pbx{0x0A000002, 60020};
    const quint32 toolIsn = 1000;
    const quint32 pbxIsn = 0xFFFFFF80;
    const QByteArray pbxStream = linkFrame('3', "00", "0") + linkFrame('2', "00", records[0]) +
                                 linkFrame('2', "01", records[1]) + linkFrame('2', "02", records[2]);
    QList<Packet> packets;
    const auto send = [&packets](const QByteArray& bytes) {
        packets.append({kStart + 10000 * packets.size(), bytes});
    };
    const auto pbxPart = [&](qsizetype from, qsizetype to) {
        send(ethernet(ipv4Tcp(pbx, tool, pbxIsn + 1 + from, Psh | Ack, pbxStream.sliced(from, to - from)),
                      true));
    };
    send(ethernet(ipv4Tcp(tool, pbx, toolIsn, Syn)));
    send(ethernet(ipv4Tcp(pbx, tool, pbxIsn, Syn | Ack), true));
    send(ethernet(ipv4Tcp(tool, pbx, toolIsn + 1, Ack)));
    send(ethernet(ipv4Tcp(tool, pbx, toolIsn + 1, Psh | Ack, linkFrame('5', "00", "00"))));
    pbxPart(0, 40);
    pbxPart(90, 150); // early
    pbxPart(40, 90);
    pbxPart(40, 90); // again
    pbxPart(130, 230);
    pbxPart(260, pbxStream.size()); // early
    pbxPart(220, 270);              // overlapping on both sides
    QTest::newRow("Ethernet: handshake, segments early, again and overlapping")
        << "--kra --json" << pcapFile(kEthernet, packets) << log << QByteArray();

    // Port 60020 tells the PBX when the start is missing; a record is cut across two segments.
    const QByteArray first = linkFrame('2', "00", records[0]) + linkFrame('2', "01", records[1]);
    const QByteArray second = linkFrame('2', "02", records[2]);
    const QList<Packet> cooked{
        {kStart, linuxCooked2(ipv4Tcp(pbx, tool, 77, Psh | Ack, first + second.first(30)))},
        {kStart + 1, linuxCooked2(ipv4Tcp(tool, pbx, 5, Psh | Ack, linkFrame('4', "00", "0")))},
        {kStart + 2, linuxCooked2(ipv4Tcp(pbx, tool, 77 + first.size() + 30, Psh | Ack, second.sliced(30)))},
    };
    QTest::newRow("pcapng, Linux cooked v2: the start not captured")
        << "--kra --json" << pcapngFile(kLinuxCooked2, cooked) << log << QByteArray();

    // The tool's own texts are no records, even one that looks like one.
    const QByteArray toolText = kraRecord("99");
    const QByteArray pbxBytes = "\r\n" + records[0] + "\r\n" + records[1] + records[2];
    const QList<Packet> serial{
        {kStart, '\x01' + pbxBytes.first(50)},
        {kStart + 1, '\x00' + toolText},
        {kStart + 2, '\x01' + pbxBytes.sliced(50, 150)},
        {kStart + 3, '\x01' + pbxBytes.sliced(200)},
    };
    QTest::newRow("serial: the PBX's bytes as a log's")
        << "--kra --json" << pcapFile(kSerial, serial) << log << QByteArray();

    // Not on port 60020: the PBX is the end that answered the SYN. The tool's connect request
    // carries its check byte worked out by hand; the PBX's record frame carries the one of even
    // parity and is whole only with its second segment.
    const End client{0xC0A8010A, 40001};
    const End server{0xC0A80114, 5000};
    QByteArray record = linkFrame('2', "08", kOlvRecord);
    record.back() = char(~record.back());
    // clang-format off
    const QList<Packet> frames{
        {kStart, ethernet(ipv4Tcp(client, server, 7000, Syn))},
        {kStart + 1000, ethernet(ipv4Tcp(server, client, 9000, Syn | Ack))},
        {kStart + 2000, ethernet(ipv4Tcp(client, server, 7001, Psh | Ack, "\x16" "5006010700" "\xFA"))},
        {kStart + 3000, ethernet(ipv4Tcp(server, client, 9001, Psh | Ack, linkFrame('3', "07", "0")))},
        {kStart + 4000, ethernet(ipv4Tcp(server, client, 9012, Psh | Ack, record.first(10)))},
        {kStart + 250000, ethernet(ipv4Tcp(server, client, 9022, Psh | Ack, record.sliced(10)))},
    };
    const QByteArray framesCapture = pcapFile(kEthernet, frames);
    QTest::newRow("--frames --json") << "--frames --json" << framesCapture << QByteArray() << QByteArray(
        R"j({"time":1765000000.002000,"from":"tool","kind":"5","kind_name":"connect/health","device":"01","seq":"07","check_good":true,)j"
        R"j("data":"00"})j" "\n"
        R"j({"time":1765000000.003000,"from":"pbx","kind":"3","kind_name":"response","device":"01","seq":"07","check_good":true,)j"
        R"j("data":"0"})j" "\n"
        R"j({"time":1765000000.250000,"from":"pbx","kind":"2","kind_name":"record","device":"01","seq":"08","check_good":false,)j"
        R"j("data":"\u00020!J0012000..011210101....201012045\u0003"})j" "\n");
    QTest::newRow("--frames, even parity") << "--frames --parity even" << framesCapture << QByteArray()
        << QByteArray(
        "2025-12-06 05:46:40.002000  tool  kind 5 connect/health  device 01  seq 07  check BAD   00\n"
        "2025-12-06 05:46:40.003000  pbx   kind 3 response        device 01  seq 07  check BAD   0\n"
        "2025-12-06 05:46:40.250000  pbx   kind 2 record          device 01  seq 08  check good  "
        "<02>0!J0012000..011210101....201012045<03>\n");
    // clang-format on
}

void TestZknDecode::linkLayers_data()
{
    QTest::addColumn<int>("linkType");
    QTest::addColumn<QByteArray>("packet");
    QTest::addColumn<QByteArray>("ip");
    const QByteArray macs = QByteArray::fromHex("020000000002020000000001");
    const auto row = [](const char* name, int linkType, const QByteArray& packet, const QByteArray& ip) {
        QTest::newRow(name) << linkType << packet << ip;
    };
    const auto hex = [](const char* text) { return QByteArray::fromHex(text); };
    row("Ethernet, IPv4", 1, macs + hex("0800") + "IP", "IP");
    row("Ethernet, IPv6", 1, macs + hex("86DD") + "IP", "IP");
    row("Ethernet, VLAN", 1, macs + hex("81000064 0800") + "IP", "IP");
    row("Ethernet, QinQ and VLAN", 1, macs + hex("88A80064 81000065 86DD") + "IP", "IP");
    row("Ethernet, ARP", 1, macs + hex("0806") + "IP", "none");
    row("Ethernet, no type", 1, macs + hex("08"), "none");
    row("Ethernet, a tag cut short", 1, macs + hex("810000"), "none");
    row("Linux cooked", 113, hex("0000 0001 0006 020000000001 0000 0800") + "IP", "IP");
    row("Linux cooked, IPv6", 113, hex("0000 0001 0006 020000000001 0000 86DD") + "IP", "IP");
    row("Linux cooked, short", 113, hex("0000 0001 0006 020000000001 0000 08"), "none");
    row("Linux cooked v2, IPv6", 276, hex("86DD0000 00000002 0001 00 06 020000000002 0000") + "IP", "IP");
    row("Linux cooked v2, ARP", 276, hex("08060000 00000002 0001 00 06 020000000002 0000") + "IP", "none");
    row("BSD loopback", 0, hex("02000000") + "IP", "IP");
    row("OpenBSD loopback", 108, hex("00000002") + "IP", "IP");
    row("loopback, short", 0, hex("020000"), "none");
    row("raw IP", 101, "IP", "IP");
    row("raw IP, old number", 12, "IP", "IP");
    row("raw IP, OpenBSD's number", 14, "IP", "IP");
}

QTEST_GUILESS_MAIN(TestZknDecode)
#include "tst_zkn_decode.moc"
