// The PBX simulator. Its logic without sockets: hand-written frames in, the exact bytes out, on a
// clock the test sets; the serial side's lamp messages; the catalogue other tests send. Then
// zkn-pbxsim as a technician runs it: its command line, a TCP client and a pseudo-terminal.
#include "decode/decode_record.h"
#include "pbxsim/command_line.h"
#include "pbxsim/lamp_board.h"
#include "pbxsim/pbx_link.h"
#include "pbxsim/record_catalogue.h"
#include "pbxsim/serial_side.h"
#include "pbxsim/sim_stats.h"

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace zkn::pbxsim;
using zkn::link::Parity;

namespace {

constexpr int kWaitMs = 10000;

const auto hex = [](const char* text) { return QByteArray::fromHex(text); };

// Device 01 under even parity unless a row says otherwise.
const QByteArray kConnect = hex("16 35303036 3031 3037 3030 05");
const QByteArray kAccepted = hex("16 33303035 3031 3037 30 30");
const QByteArray kShortRecord = hex("02 30214A58 03"); // STX "0!JX" ETX

// "200 16 33 30": an action due at 200 ms that writes those bytes.
QString at(qint64 due, const QByteArray& hexText)
{
    return QString::number(due) + ' ' + QString::fromLatin1(QByteArray::fromHex(hexText).toHex(' '));
}

using Arm = std::function<void(PbxLink&)>;

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
    // Bytes fed at `now`, then everything written at that time.
    QByteArray exchange(const QByteArray& bytes, qint64 now = 0)
    {
        link.receive(bytes, now);
        QByteArray written;
        for (const LinkAction& action : link.takeDue(now))
            written += action.bytes;
        return written;
    }
    // Everything due from now on, the clock moved to each due time in turn.
    QStringList drain()
    {
        const char* const types[] = {nullptr, "close", "reset"};
        QStringList actions;
        while (const auto due = link.nextDue()) {
            for (const LinkAction& action : link.takeDue(*due))
                actions.append(action.type == LinkAction::Type::Write
                                   ? at(action.due, action.bytes.toHex())
                                   : QString("%1 %2").arg(action.due).arg(types[int(action.type)]));
        }
        return actions;
    }
};

// "1000:-V 1001:M-": every station on the board with its MW and VMM lamp.
QString board(const LampBoard& lamps)
{
    QStringList stations;
    for (auto it = lamps.stations().cbegin(); it != lamps.stations().cend(); ++it)
        stations.append(QString::fromLatin1(it.key()) + ':' + (it->mw ? 'M' : '-') + (it->vmm ? 'V' : '-'));
    return stations.join(' ');
}

// What a parsed command line asks of the link, in a few words.
QString describe(const SimConfig& c)
{
    const auto mute = c.muteHealth.value_or(std::pair{0, 0});
    QString text =
        QString::asprintf("%s:%d %s refuse %d records %d/%dms answer %dms mute %d:%d reset %d release %d",
                          qPrintable(c.address.toString()), c.port, c.parity == Parity::Odd ? "odd" : "even",
                          c.refusal, c.records, c.recordIntervalMs, c.answerTimeoutMs, mute.first,
                          mute.second, c.resetAfter, c.releaseAfter);
    for (const SimConfig::CuedFault& cued : c.faults)
        text += QString::asprintf(" #%d:%d=%d", cued.frame, int(cued.fault.type), cued.fault.value);
    return text;
}

// Reads what has come; true once the line has been hung up.
bool hungUp(int fd, QByteArray& received)
{
    char chunk[256];
    ssize_t n = 0;
    while ((n = ::read(fd, chunk, sizeof chunk)) > 0)
        received.append(chunk, n);
    return n == 0 || errno != EAGAIN;
}

// A bare POSIX client, since a QTcpSocket does not tell an orderly close (FIN) from a reset (RST).
struct Client
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);

    explicit Client(quint16 port)
    {
        const timeval limit{kWaitMs / 1000, 0}; // a missing answer fails the test instead of hanging it
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        sockaddr_in address{AF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
    ~Client() { ::close(fd); }

    // Sends `bytes`, then waits for `size` bytes of answer (fewer when the connection ends).
    QByteArray exchange(const QByteArray& bytes, qsizetype size = 11)
    {
        QByteArray answer(size, '\0');
        [[maybe_unused]] const ssize_t sent = ::send(fd, bytes.constData(), size_t(bytes.size()), 0);
        return size == 0 ? answer
                         : answer.first(std::max<ssize_t>(0, ::recv(fd, answer.data(), size, MSG_WAITALL)));
    }
    // How the connection ends: 0 for FIN, ECONNRESET for RST; -1 when more bytes come first.
    int end()
    {
        char byte;
        const ssize_t n = ::recv(fd, &byte, 1, 0);
        return n == 0 ? 0 : n < 0 ? errno : -1;
    }
};

struct Sim
{
    QProcess process;
    QByteArray out;

    explicit Sim(const QString& arguments)
    {
        process.start(QStringLiteral(PBXSIM_PATH), arguments.split(' '));
    }
    ~Sim()
    {
        process.kill();
        process.waitForFinished();
    }
    // The first capture of `pattern` once the program has printed it; empty if it never does.
    QString waitFor(const QString& pattern)
    {
        const QRegularExpression expression(pattern);
        const QDeadlineTimer deadline(kWaitMs);
        for (;;) {
            out += process.readAllStandardOutput();
            const QRegularExpressionMatch match = expression.match(QString::fromLatin1(out));
            if (match.hasMatch() || !process.waitForReadyRead(int(deadline.remainingTime())))
                return match.captured(1);
        }
    }
    // Ends it as SIGTERM does and reads the summary it prints last.
    QJsonObject summary()
    {
        process.terminate();
        if (!process.waitForFinished(kWaitMs) || process.exitCode() != 0)
            return {};
        out += process.readAllStandardOutput();
        return QJsonDocument::fromJson(out.mid(out.lastIndexOf("\n{") + 1)).object();
    }
};

} // namespace

Q_DECLARE_METATYPE(Arm)

class TestPbxsim : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void answers_data();
    void answers();
    void recordsWaitForTheirAnswer();
    void serialLampMessages_data();
    void serialLampMessages();
    void catalogueRecordsDecode();
    void commandLine_data();
    void commandLine();
    void servesOneTcpClient();
    void servesAPseudoTerminal();
};

void TestPbxsim::answers_data()
{
    QTest::addColumn<Arm>("arm");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("actions"); // what the PBX side does, in order: when, then what

    const Arm none = [](PbxLink&) {};
    const auto fault = [](FrameFault::Type type, int value = 0) {
        return Arm([=](PbxLink& l) {
            l.startRecords({kShortRecord}, 0, 0);
            l.addFaultToNextFrame({type, value});
        });
    };
    using T = FrameFault::Type;
    const QByteArray check09 = hex("16 35303036 3031 3039 3030 0B");
    const QString accepted = at(0, "16 33303035 3031 3037 30 30");
    const QString answer09 = at(0, "16 33303035 3031 3039 30 3E");
    QTest::newRow("connect request, then health check")
        << none << kConnect + check09 << QStringList{accepted, answer09};
    QTest::newRow("odd: connect request, then health check")
        << Arm([](PbxLink& l) { l.setParity(Parity::Odd); })
        << hex("16 35303036 3031 3037 3030 FA 16 35303036 3031 3039 3030 F4")
        << QStringList{at(0, "16 33303035 3031 3037 30 CF"), at(0, "16 33303035 3031 3039 30 C1")};
    QTest::newRow("status frame with data 01: code 3")
        << none << hex("16 35303036 3031 3037 3031 04") << QStringList{at(0, "16 33303035 3031 3037 33 33")};
    // Refused, the next status frame is a connect request again.
    QTest::newRow("refused twice: device not defined")
        << Arm([](PbxLink& l) { l.setRefusal(2); }) << kConnect + kConnect
        << QStringList{at(0, "16 33303035 3031 3037 32 32"), at(0, "16 33303035 3031 3037 32 32")};
    QTest::newRow("release: answer, then closed in order")
        << none << hex("16 36303034 3031 3038 0B")
        << QStringList{at(0, "16 33303035 3031 3038 30 3F"), "0 close"};
    QTest::newRow("release with a bad check byte: code 1, stays open")
        << none << hex("16 36303034 3031 3038 F4") << QStringList{at(0, "16 33303035 3031 3038 31 3E")};
    QTest::newRow("lamp function 3: code 3")
        << none << hex("16 31303232 3031 3037 02 30214133 31303030 2020202020202020 03 64")
        << QStringList{at(0, "16 33303035 3031 3037 33 33")};
    QTest::newRow("CR LF and a damaged length field are dropped")
        << none << hex("0D 0A 16 35 30 58 36 30 31") + kConnect << QStringList{accepted};
    QTest::newRow("the second health check muted")
        << Arm([](PbxLink& l) { l.muteHealthChecks(1, 1); })
        << kConnect + check09 + hex("16 35303036 3031 3130 3030 03 16 35303036 3031 3131 3030 02")
        << QStringList{accepted, answer09, at(0, "16 33303035 3031 3131 30 37")};
    // Nothing more is read on that connection either.
    QTest::newRow("reset instead of the answer")
        << Arm([](PbxLink& l) { l.resetAfterFrames(1); }) << kConnect + kConnect << QStringList{"0 reset"};
    QTest::newRow("release request behind the answer")
        << Arm([](PbxLink& l) { l.releaseAfterFrames(1); }) << kConnect
        << QStringList{accepted, at(0, "16 36303034 3031 3030 03")};

    QTest::newRow("fault: corrupt check byte")
        << fault(T::CorruptCheckByte) << kConnect << QStringList{at(0, "16 33303035 3031 3037 30 31")};
    QTest::newRow("fault: wrong sequence, fitting check byte")
        << fault(T::WrongSequence) << kConnect << QStringList{at(0, "16 33303035 3031 3537 30 35")};
    QTest::newRow("fault: split over two writes 200 ms apart")
        << fault(T::Split, 200) << kConnect << QStringList{at(0, "16 33303035"), at(200, "3031 3037 30 30")};
    QTest::newRow("fault: late by 300 ms")
        << fault(T::Late, 300) << kConnect << QStringList{at(300, "16 33303035 3031 3037 30 30")};
    QTest::newRow("fault: answer and a record in one write")
        << fault(T::Coalesce, 2) << kConnect
        << QStringList{at(0, "16 33303035 3031 3037 30 30 16 32303130 3031 3030 02 30214A58 03 00")};
    QTest::newRow("fault: a release request behind")
        << fault(T::ReleaseBehind) << kConnect
        << QStringList{at(0, "16 33303035 3031 3037 30 30 16 36303034 3031 3030 03")};
    QTest::newRow("fault: CR LF first")
        << fault(T::Junk) << kConnect << QStringList{at(0, "0D 0A"), accepted};
    QTest::newRow("fault: first half, then RST")
        << fault(T::CutByReset) << kConnect << QStringList{at(0, "16 33303035"), "0 reset"};
}

// Each input is given whole, and again one byte at a time: the PBX side does the same.
void TestPbxsim::answers()
{
    QFETCH(Arm, arm);
    QFETCH(QByteArray, input);

    Pbx whole(arm);
    whole.link.receive(input, 0);
    QTEST(whole.drain(), "actions");

    Pbx bytewise(arm);
    QStringList actions;
    for (const char byte : input) {
        bytewise.link.receive(QByteArray(1, byte), 0);
        actions += bytewise.drain();
    }
    QTEST(actions, "actions");
}

// Numbered from 00, one at a time: the next goes once the last is answered and the interval has
// passed, or once the answer is overdue. The summary counts it all.
void TestPbxsim::recordsWaitForTheirAnswer()
{
    Pbx pbx;
    pbx.link.setAnswerTimeout(1000);
    pbx.link.startRecords({kShortRecord}, 4, 100);
    QCOMPARE(pbx.exchange({}, 0), QByteArray()); // not before the link is up
    QCOMPARE(pbx.exchange(kConnect), kAccepted + hex("16 32303130 3031 3030 02 30214A58 03 00"));
    QCOMPARE(pbx.exchange(hex("16 31303232 3031 3037 02 30214132 31303030 2020202020202020 03 65")),
             kAccepted);
    QCOMPARE(pbx.exchange({}, 999), QByteArray());
    QCOMPARE(pbx.exchange(hex("16 34303035 3031 3030 30 30"), 999),
             hex("16 32303130 3031 3031 02 30214A58 03 01"));
    // Code 1 from device 00: counted, and the interval still holds the third record back.
    QCOMPARE(pbx.exchange(hex("16 34303035 3030 3031 31 31"), 1020), QByteArray());
    QCOMPARE(pbx.link.nextDue(), std::optional<qint64>(1099));
    QCOMPARE(pbx.exchange({}, 1099), hex("16 32303130 3031 3032 02 30214A58 03 02"));
    QCOMPARE(pbx.exchange({}, 2098), QByteArray());
    QCOMPARE(pbx.exchange({}, 2099), hex("16 32303130 3031 3033 02 30214A58 03 03"));
    // The overdue answer matches nothing any more; junk and a bad check byte are counted too.
    QCOMPARE(pbx.exchange(hex("16 34303035 3031 3032 30 32 0D 0A 16 35303036 3031 3039 3030 F4"), 2100),
             hex("16 33303035 3031 3039 31 3F"));

    QCOMPARE(
        QJsonDocument(pbx.stats.toJson(pbx.lamps)).toJson(QJsonDocument::Compact),
        R"({"answer_codes":{"0":2,"1":1},"answer_latency_ms":{"count":2,"max":999,"median":510,"min":21},)"
        R"("check_byte_failures":1,"connections":1,"frames_in":{"1":1,"4":3,"5":2,"junk":1},)"
        R"("frames_out":{"2":4,"3":3},"lamp_controls":1,"lamp_rejected":0,)"
        R"("lamps":{"1000":{"mw":false,"vmm":true}},)"
        R"("records":{"answered":2,"sent":4,"timed_out":1,"unmatched_answers":1,"wrong_device":1}})");
}

void TestPbxsim::serialLampMessages_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("expected"); // the board; empty: the message is refused

    const auto m = [](const QByteArray& inner) { return "\x02" + inner + "\x03"; };
    QTest::newRow("fixed, VMM on") << m("0!A21000        ") << "1000:-V";
    QTest::newRow("fixed, a range in halves") << m("0!A11000  1002  ") << "1000:M- 1001:M- 1002:M-";
    QTest::newRow("fixed wide, a range") << m("0!A11234567812345679          ") << "12345678:M- 12345679:M-";
    QTest::newRow("tagged, on then off") << m("0!A0101202041000") + m("0!A0101602041000") << "1000:--";
    QTest::newRow("typed characters, then a tagged range in another order")
        << "AT\r\n" + m("0!A030410020204100001012") << "1000:-V 1001:-V 1002:-V";
    QTest::newRow("function 3") << m("0!A31000        ") << "";
    QTest::newRow("station area one short") << m("0!A21000       ") << "";
    QTest::newRow("tagged, unknown tag 04") << m("0!A01012020410000401X") << "";
    QTest::newRow("range, end before start") << m("0!A010120204100203041000") << "";
    QTest::newRow("range of 10001 stations") << m("0!A01012020510000030520000") << "";
}

void TestPbxsim::serialLampMessages()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, expected);
    SimStats stats;
    LampBoard lamps;
    SerialSide(stats, lamps).receive(input);
    QCOMPARE(board(lamps), expected);
    QCOMPARE(stats.lampRejected, expected.isEmpty() ? 1 : 0);
}

// The tool's own decoder takes every record without a message, as the tests that send them expect.
void TestPbxsim::catalogueRecordsDecode()
{
    for (const CatalogueRecord& record : recordCatalogue()) {
        const auto format = record.layout == RecordLayout::Kra ? zkn::decode::RecordFormat::Kra
                                                               : zkn::decode::RecordFormat::Olv;
        QVERIFY2(zkn::decode::DecodeRecord(record.text, format).messages.isEmpty(),
                 qPrintable(record.description));
    }
}

void TestPbxsim::commandLine_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("expected"); // the config described, or the message

    QTest::newRow("defaults")
        << QString()
        << "127.0.0.1:60020 odd refuse 0 records 0/1000ms answer 2000ms mute 0:0 reset 0 release 0";
    QTest::newRow("link settings")
        << "--listen 0.0.0.0:0 --parity even --refuse 4 --records 5 --record-interval 0 --answer-timeout 500 "
           "--mute-health 3 --reset-after 7 --release-after 8"
        << "0.0.0.0:0 even refuse 4 records 5/0ms answer 500ms mute 3:-1 reset 7 release 8";
    // Grouped by option, each in the order given; the defaults after the colon filled in.
    QTest::newRow("faults on cue")
        << "--mute-health 1:2 --split 5:50 --split 3 --late 4 --coalesce 2:3 --corrupt 6 "
           "--wrong-seq 7 --junk 8 --cut 9 --release-behind 10 --coalesce 11"
        << "127.0.0.1:60020 odd refuse 0 records 0/1000ms answer 2000ms mute 1:2 reset 0 release 0"
           " #6:0=-1 #7:1=-1 #4:4=1000 #5:2=50 #3:2=200 #2:3=3 #11:3=2 #8:5=-1 #9:6=-1 #10:7=-1";
    QTest::newRow("parity") << QStringLiteral("--parity none") << "invalid value for --parity: \"none\"";
    QTest::newRow("refusal 3") << QStringLiteral("--refuse 3") << "invalid value for --refuse: \"3\"";
    QTest::newRow("a value where none goes")
        << QStringLiteral("--junk 2:5") << "invalid value for --junk: \"2:5\"";
    QTest::newRow("four frames together")
        << QStringLiteral("--coalesce 2:4") << "invalid value for --coalesce: \"2:4\"";
    QTest::newRow("pty and serial") << QStringLiteral("--pty --serial /dev/ttyS1")
                                    << "--pty and --serial exclude each other";
}

void TestPbxsim::commandLine()
{
    QFETCH(QString, arguments);
    const auto parsed = parseCommandLine(("zkn-pbxsim " + arguments).split(' ', Qt::SkipEmptyParts));
    const SimConfig* config = std::get_if<SimConfig>(&parsed);
    QTEST(config ? describe(*config) : std::get<QString>(parsed), "expected");
}

// One tool at a time: a second connection is closed; a release is answered, then closed with FIN;
// the cued faults shape what goes out, and a cued reset arrives as RST.
void TestPbxsim::servesOneTcpClient()
{
    Sim sim("--listen 127.0.0.1:0 --parity even --corrupt 1 --reset-after 3");
    const quint16 port = sim.waitFor("listening on 127.0.0.1:(\\d+)").toUShort();
    QVERIFY2(port != 0, sim.out.constData());
    {
        Client tool(port);
        QCOMPARE(tool.exchange(kConnect), hex("16 33303035 3031 3037 30 31"));
        Client second(port);
        QCOMPARE(second.end(), 0);
        QCOMPARE(tool.exchange(hex("16 36303034 3031 3038 0B")), hex("16 33303035 3031 3038 30 3F"));
        QCOMPARE(tool.end(), 0);
    }
    QVERIFY(!sim.waitFor("(connection closed \\(FIN sent\\))").isEmpty());
    Client again(port);
    again.exchange(kConnect, 0);
    QCOMPARE(again.end(), ECONNRESET);

    const QJsonObject summary = sim.summary();
    QVERIFY2(
        sim.out.contains(" in  #1    kind 5 seq 07 | 16 35 30 30 36 30 31 30 37 30 30 05 | connect request, "
                         "accepted\n"),
        sim.out.constData());
    QCOMPARE(summary["connections"].toInt(), 2);
    QCOMPARE(summary["frames_in"].toObject(), (QJsonObject{{"5", 2}, {"6", 1}}));
}

// Records go out as bare texts once the tool has the device open, a lamp message is read, and
// the line is hung up after the records asked for.
void TestPbxsim::servesAPseudoTerminal()
{
    Sim sim("--pty --records 2 --record-interval 0 --layout olv6 --hangup-after 2");
    const QString path = sim.waitFor("pseudo-terminal (\\S+):");
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY2(fd >= 0, sim.out.constData());
    const QByteArray typed = "AT\r\n\x02"
                             "0!A010120204100003041002\x03";
    QCOMPARE(::write(fd, typed.constData(), size_t(typed.size())), typed.size());
    // Read only once the lamp message is in: the hang-up waits for the records to be read.
    QVERIFY(!sim.waitFor("(lamp VMM on 1000-1002)").isEmpty());
    QByteArray received;
    QTRY_VERIFY_WITH_TIMEOUT(hungUp(fd, received), kWaitMs);
    ::close(fd);
    const QList<QByteArray> texts = catalogueTexts(RecordLayout::Olv6);
    QCOMPARE(received, texts.value(0) + texts.value(1 % texts.size()));
    const QJsonObject summary = sim.summary();
    QCOMPARE(summary["records"]["sent"].toInt(), 2);
    QCOMPARE(summary["lamps"].toObject().keys(), (QStringList{"1000", "1001", "1002"}));
}

QTEST_GUILESS_MAIN(TestPbxsim)
#include "tst_pbxsim.moc"
