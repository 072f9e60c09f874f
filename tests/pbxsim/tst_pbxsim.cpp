// The PBX simulator. Its logic without sockets: hand-written frames in, the exact bytes out, on a
// clock the test sets; the serial side's lamp messages; the catalogue other tests send; its
// command line. Then zkn-pbxsim as a technician runs it, with a TCP client.
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
    // clang-format off
    void answers_data()
    {
        QTest::addColumn<Arm>("arm");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("actions"); // what the PBX side does, in order: "when:bytes", "when:close"

        const Arm none = [](PbxLink&) {};
        const auto fault = [](FrameFault::Type type, int value = 0) {
            return Arm([=](PbxLink& l) {
                l.startRecords({kShortRecord}, 0, 0);
                l.addFaultToNextFrame({type, value});
            });
        };
        const auto row = [](const char* name, const Arm& arm, const QByteArray& input, const char* actions) {
            QTest::newRow(name) << arm << input << QString::fromLatin1(actions);
        };
        using T = FrameFault::Type;
        const QByteArray check09 = hex("16 35303036 3031 3039 3030 0B");
        row("connect request, then health check", none, kConnect + check09,
            "0:16 33303035 3031 3037 30 30, 0:16 33303035 3031 3039 30 3E");
        row("odd: connect request, then health check", [](PbxLink& l) { l.setParity(Parity::Odd); },
            hex("16 35303036 3031 3037 3030 FA 16 35303036 3031 3039 3030 F4"),
            "0:16 33303035 3031 3037 30 CF, 0:16 33303035 3031 3039 30 C1");
        row("status frame with data 01: code 3", none, hex("16 35303036 3031 3037 3031 04"), "0:16 33303035 3031 3037 33 33");
        // Refused, the next status frame is a connect request again.
        row("refused twice: device not defined", [](PbxLink& l) { l.setRefusal(2); }, kConnect + kConnect,
            "0:16 33303035 3031 3037 32 32, 0:16 33303035 3031 3037 32 32");
        row("release: answer, then closed in order", none, hex("16 36303034 3031 3038 0B"), "0:16 33303035 3031 3038 30 3F, 0:close");
        row("release with a bad check byte: code 1, stays open", none, hex("16 36303034 3031 3038 F4"),
            "0:16 33303035 3031 3038 31 3E");
        row("lamp function 3: code 3", none, hex("16 31303232 3031 3037 02 30214133 31303030 2020202020202020 03 64"),
            "0:16 33303035 3031 3037 33 33");
        row("CR LF and a damaged length field are dropped", none, hex("0D 0A 16 35 30 58 36 30 31") + kConnect,
            "0:16 33303035 3031 3037 30 30");
        row("the second health check muted", [](PbxLink& l) { l.muteHealthChecks(1, 1); },
            kConnect + check09 + hex("16 35303036 3031 3130 3030 03 16 35303036 3031 3131 3030 02"),
            "0:16 33303035 3031 3037 30 30, 0:16 33303035 3031 3039 30 3E, 0:16 33303035 3031 3131 30 37");
        // Nothing more is read on that connection either.
        row("reset instead of the answer", [](PbxLink& l) { l.resetAfterFrames(1); }, kConnect + kConnect, "0:reset");
        row("release request behind the answer", [](PbxLink& l) { l.releaseAfterFrames(1); }, kConnect,
            "0:16 33303035 3031 3037 30 30, 0:16 36303034 3031 3030 03");
        row("fault: corrupt check byte", fault(T::CorruptCheckByte), kConnect, "0:16 33303035 3031 3037 30 31");
        row("fault: wrong sequence, fitting check byte", fault(T::WrongSequence), kConnect, "0:16 33303035 3031 3537 30 35");
        row("fault: split over two writes 200 ms apart", fault(T::Split, 200), kConnect, "0:16 33303035, 200:3031 3037 30 30");
        row("fault: late by 300 ms", fault(T::Late, 300), kConnect, "300:16 33303035 3031 3037 30 30");
        row("fault: answer and a record in one write", fault(T::Coalesce, 2), kConnect,
            "0:16 33303035 3031 3037 30 30 16 32303130 3031 3030 02 30214A58 03 00");
        row("fault: a release request behind", fault(T::ReleaseBehind), kConnect,
            "0:16 33303035 3031 3037 30 30 16 36303034 3031 3030 03");
        row("fault: CR LF first", fault(T::Junk), kConnect, "0:0D 0A, 0:16 33303035 3031 3037 30 30");
        row("fault: first half, then RST", fault(T::CutByReset), kConnect, "0:16 33303035, 0:reset");
    }
    // clang-format on

    // Each input is given whole, and again one byte at a time: the PBX side does the same.
    void answers()
    {
        QFETCH(Arm, arm);
        QFETCH(QByteArray, input);
        QFETCH(QString, actions);
        actions.remove(' ');

        Pbx whole(arm);
        whole.link.receive(input, 0);
        QCOMPARE(whole.drain().join(','), actions);
        Pbx bytewise(arm);
        QStringList done;
        for (const char byte : input) {
            bytewise.link.receive(QByteArray(1, byte), 0);
            done += bytewise.drain();
        }
        QCOMPARE(done.join(','), actions);
    }

    // Numbered from 00, one at a time: the next goes once the last is answered and the interval has
    // passed, or once the answer is overdue. The summary counts it all.
    void recordsWaitForTheirAnswer()
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

    // The tool's own decoder takes every record without a message, as the tests that send them expect.
    void catalogueRecordsDecode()
    {
        for (const CatalogueRecord& record : recordCatalogue()) {
            const auto format = record.layout == RecordLayout::Kra ? zkn::decode::RecordFormat::Kra
                                                                   : zkn::decode::RecordFormat::Olv;
            QVERIFY2(zkn::decode::DecodeRecord(record.text, format).messages.isEmpty(),
                     qPrintable(record.description));
        }
    }

    void texts_data();
    void texts()
    {
        QFETCH(QString, actual);
        QTEST(actual, "expected");
    }

    // One tool at a time: a second connection is closed; a release is answered, then closed with FIN;
    // the cued faults shape what goes out, and a cued reset arrives as RST.
    void servesOneTcpClient()
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
        QVERIFY2(sim.out.contains(
                     " in  #1    kind 5 seq 07 | 16 35 30 30 36 30 31 30 37 30 30 05 | connect request, "
                     "accepted\n"),
                 sim.out.constData());
        QCOMPARE(summary["connections"].toInt(), 2);
        QCOMPARE(summary["frames_in"].toObject(), (QJsonObject{{"5", 2}, {"6", 1}}));
    }
};

// clang-format off
void TestPbxsim::texts_data()
{
    QTest::addColumn<QString>("actual");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char* name, const QString& actual, const char* expected) {
        QTest::newRow(name) << actual << QString::fromLatin1(expected);
    };
    // What the serial side makes of lamp messages: the board, or "refused".
    const auto serial = [](const QByteArray& input) {
        SimStats stats;
        LampBoard lamps;
        SerialSide(stats, lamps).receive(input);
        return stats.lampRejected ? QStringLiteral("refused %1").arg(stats.lampRejected) : board(lamps);
    };
    const auto m = [](const QByteArray& inner) { return "\x02" + inner + "\x03"; };
    row("fixed, VMM on", serial(m("0!A21000        ")), "1000:-V");
    row("fixed, a range in halves", serial(m("0!A11000  1002  ")), "1000:M- 1001:M- 1002:M-");
    row("fixed wide, a range", serial(m("0!A11234567812345679          ")), "12345678:M- 12345679:M-");
    row("tagged, on then off", serial(m("0!A0101202041000") + m("0!A0101602041000")), "1000:--");
    row("typed characters, then a tagged range in another order", serial("AT\r\n" + m("0!A030410020204100001012")),
        "1000:-V 1001:-V 1002:-V");
    row("function 3", serial(m("0!A31000        ")), "refused 1");
    row("station area one short", serial(m("0!A21000       ")), "refused 1");
    row("tagged, unknown tag 04", serial(m("0!A01012020410000401X")), "refused 1");
    row("range, end before start", serial(m("0!A010120204100203041000")), "refused 1");
    row("range of 10001 stations", serial(m("0!A01012020510000030520000")), "refused 1");

    // What a command line asks of the link, or the message.
    const auto parsed = [](const char* arguments) {
        const auto parsed = parseCommandLine(("zkn-pbxsim " + QString::fromLatin1(arguments)).split(' ', Qt::SkipEmptyParts));
        const SimConfig* config = std::get_if<SimConfig>(&parsed);
        return config ? describe(*config) : std::get<QString>(parsed);
    };
    row("defaults", parsed(""), "127.0.0.1:60020 odd refuse 0 records 0/1000ms answer 2000ms mute 0:0 reset 0 release 0");
    row("link settings",
        parsed("--listen 0.0.0.0:0 --parity even --refuse 4 --records 5 --record-interval 0 --answer-timeout 500 "
               "--mute-health 3 --reset-after 7 --release-after 8"),
        "0.0.0.0:0 even refuse 4 records 5/0ms answer 500ms mute 3:-1 reset 7 release 8");
    // Grouped by option, each in the order given; the defaults after the colon filled in.
    row("faults on cue",
        parsed("--mute-health 1:2 --split 5:50 --split 3 --late 4 --coalesce 2:3 --corrupt 6 --wrong-seq 7 --junk 8 "
               "--cut 9 --release-behind 10 --coalesce 11"),
        "127.0.0.1:60020 odd refuse 0 records 0/1000ms answer 2000ms mute 1:2 reset 0 release 0"
        " #6:0=-1 #7:1=-1 #4:4=1000 #5:2=50 #3:2=200 #2:3=3 #11:3=2 #8:5=-1 #9:6=-1 #10:7=-1");
    row("parity", parsed("--parity none"), "invalid value for --parity: \"none\"");
    row("refusal 3", parsed("--refuse 3"), "invalid value for --refuse: \"3\"");
    row("a value where none goes", parsed("--junk 2:5"), "invalid value for --junk: \"2:5\"");
    row("four frames together", parsed("--coalesce 2:4"), "invalid value for --coalesce: \"2:4\"");
    row("pty and serial", parsed("--pty --serial /dev/ttyS1"), "--pty and --serial exclude each other");
}
// clang-format on

QTEST_GUILESS_MAIN(TestPbxsim)
#include "tst_pbxsim.moc"
