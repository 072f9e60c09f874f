// The PBX side of the TCP link without sockets: hand-written bytes in, the exact bytes out.
#include "pbxsim/lamp_board.h"
#include "pbxsim/pbx_link.h"
#include "pbxsim/sim_stats.h"

#include <QJsonObject>
#include <QTest>

using namespace zkn::pbxsim;
using zkn::link::Parity;

Q_DECLARE_METATYPE(zkn::link::Parity)
Q_DECLARE_METATYPE(zkn::pbxsim::FrameFault::Type)

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

// Device 01; even parity unless a test says otherwise.
const char* const kConnect0107Even = "16 35303036 3031 3037 3030 05";
const char* const kResponse0107Code0Even = "16 33303035 3031 3037 30 30";
const QByteArray kShortRecord = "\x02"
                                "0!JX\x03";
const char* const kRecord0100Even = "16 32303130 3031 3030 02 30214A58 03 00";

struct Pbx
{
    SimStats stats;
    LampBoard lamps;
    PbxLink link{stats, lamps};

    explicit Pbx(Parity parity = Parity::Even)
    {
        link.setParity(parity);
        link.connectionOpened();
    }

    // Bytes fed whole, then everything written at that time.
    QByteArray exchange(const QByteArray& bytes, qint64 now = 0)
    {
        link.receive(bytes, now);
        return writtenBy(link.takeDue(now));
    }

    static QByteArray writtenBy(const QList<LinkAction>& actions)
    {
        QByteArray bytes;
        for (const LinkAction& action : actions) {
            if (action.type == LinkAction::Type::Write)
                bytes += action.bytes;
        }
        return bytes;
    }
};

bool closesInOrder(const QList<LinkAction>& actions)
{
    return !actions.isEmpty() && actions.back().type == LinkAction::Type::Close;
}

} // namespace

class TestPbxLink : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void answers_data();
    void answers();
    void refusedConnectRequests_data();
    void refusedConnectRequests();
    void lampMessagesSetLamps_data();
    void lampMessagesSetLamps();
    void recordsWaitForTheAnswerAndTheInterval();
    void unansweredRecordTimesOut();
    void answersAreChecked_data();
    void answersAreChecked();
    void latencySummary_data();
    void latencySummary();
    void faultsShapeTheNextFrame_data();
    void faultsShapeTheNextFrame();
    void mutedHealthChecksGoUnanswered();
    void resetReplacesTheAnswer();
    void releaseRequestFollowsTheAnswer();
};

void TestPbxLink::answers_data()
{
    QTest::addColumn<Parity>("parity");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<int>("checkByteFailures");

    const auto E = Parity::Even;
    const auto O = Parity::Odd;
    const QByteArray connectEven = hex(kConnect0107Even);
    const QByteArray connectOdd = hex("16 35303036 3031 3037 3030 FA");

    QTest::newRow("connect request 01/07 even")
        << E << connectEven << hex(kResponse0107Code0Even) << false << 0;
    QTest::newRow("connect request 01/07 odd")
        << O << connectOdd << hex("16 33303035 3031 3037 30 CF") << false << 0;
    QTest::newRow("connect request, then health check 01/09 even")
        << E << connectEven + hex("16 35303036 3031 3039 3030 0B")
        << hex(kResponse0107Code0Even) + hex("16 33303035 3031 3039 30 3E") << false << 0;
    QTest::newRow("connect request, then health check 01/09 odd")
        << O << connectOdd + hex("16 35303036 3031 3039 3030 F4")
        << hex("16 33303035 3031 3037 30 CF") + hex("16 33303035 3031 3039 30 C1") << false << 0;
    QTest::newRow("odd check byte under even: code 1")
        << E << connectOdd << hex("16 33303035 3031 3037 31 31") << false << 1;
    QTest::newRow("even check byte under odd: code 1")
        << O << connectEven << hex("16 33303035 3031 3037 31 CE") << false << 1;
    QTest::newRow("status frame with data 01: code 3")
        << E << hex("16 35303036 3031 3037 3031 04") << hex("16 33303035 3031 3037 33 33") << false << 0;
    QTest::newRow("release 01/08 even: answer, then close")
        << E << hex("16 36303034 3031 3038 0B") << hex("16 33303035 3031 3038 30 3F") << true << 0;
    QTest::newRow("release 01/08 odd: answer, then close")
        << O << hex("16 36303034 3031 3038 F4") << hex("16 33303035 3031 3038 30 C0") << true << 0;
    QTest::newRow("release with a bad check byte: code 1, link stays")
        << E << hex("16 36303034 3031 3038 F4") << hex("16 33303035 3031 3038 31 3E") << false << 1;
    QTest::newRow("CR LF before a frame is dropped")
        << E << hex("0D 0A") + connectEven << hex(kResponse0107Code0Even) << false << 0;
    QTest::newRow("damaged length field: that frame is skipped")
        << E << hex("16 35 30 58 36 30 31") + connectEven << hex(kResponse0107Code0Even) << false << 0;
    QTest::newRow("a record from the tool is not answered")
        << E << hex(kRecord0100Even) << QByteArray() << false << 0;
    QTest::newRow("half a frame waits for the rest")
        << E << connectEven.first(7) << QByteArray() << false << 0;
}

// Each input is given whole, and again one byte at a time: the answers are the same.
void TestPbxLink::answers()
{
    QFETCH(Parity, parity);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);
    QFETCH(bool, closes);
    QFETCH(int, checkByteFailures);

    Pbx whole(parity);
    whole.link.receive(input, 0);
    const QList<LinkAction> actions = whole.link.takeDue(0);
    QCOMPARE(Pbx::writtenBy(actions).toHex(' '), expected.toHex(' '));
    QCOMPARE(closesInOrder(actions), closes);
    QCOMPARE(whole.stats.checkByteFailures, checkByteFailures);

    Pbx bytewise(parity);
    QByteArray written;
    for (const char byte : input)
        written += bytewise.exchange(QByteArray(1, byte));
    QCOMPARE(written.toHex(' '), expected.toHex(' '));
}

void TestPbxLink::refusedConnectRequests_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("device not defined") << 2 << hex("16 33303035 3031 3037 32 32");
    QTest::newRow("device already in use") << 4 << hex("16 33303035 3031 3037 34 34");
}

void TestPbxLink::refusedConnectRequests()
{
    QFETCH(int, code);
    QFETCH(QByteArray, expected);
    Pbx pbx;
    pbx.link.setRefusal(code);
    QCOMPARE(pbx.exchange(hex(kConnect0107Even)).toHex(' '), expected.toHex(' '));
    QVERIFY(!pbx.link.isLinkUp());
    // The next status frame is a connect request again, and refused again.
    QCOMPARE(pbx.exchange(hex(kConnect0107Even)).toHex(' '), expected.toHex(' '));
}

void TestPbxLink::lampMessagesSetLamps_data()
{
    QTest::addColumn<QByteArray>("frames");
    QTest::addColumn<QByteArray>("station");
    QTest::addColumn<bool>("mw");
    QTest::addColumn<bool>("vmm");
    QTest::addColumn<QByteArray>("lastAnswer");

    const QByteArray ok = hex(kResponse0107Code0Even);
    const QByteArray vmmOn1000Fixed =
        hex("16 31303232 3031 3037 02 30214132 31303030 2020202020202020 03 65");
    const QByteArray vmmOff1000Tagged =
        hex("16 31303232 3031 3037 02 302141 30313031 36 30323034 31303030 03 67");
    const QByteArray vmmOn1000To1010Tagged =
        hex("16 31303330 3031 3037 02 302141 30313031 32 30323034 31303030 30333034 31303130 03 67");
    const QByteArray mwOn1000To1003Dialog =
        hex("16 31303232 3031 3037 02 30214131 313030302020 313030332020 03 64");
    const QByteArray mwOnWide = hex("16 31303336 3031 3037 02 30214131 3132333435363738 "
                                    "202020202020202020202020202020202020 03 6A");
    const QByteArray badFunction = hex("16 31303232 3031 3037 02 30214133 31303030 2020202020202020 03 64");

    QTest::newRow("fixed field: VMM on 1000") << vmmOn1000Fixed << QByteArray("1000") << false << true << ok;
    QTest::newRow("tagged: VMM off 1000 after on")
        << vmmOn1000Fixed + vmmOff1000Tagged << QByteArray("1000") << false << false << ok;
    QTest::newRow("tagged range 1000-1010: 1005 on")
        << vmmOn1000To1010Tagged << QByteArray("1005") << false << true << ok;
    QTest::newRow("tagged range 1000-1010: 1010 on")
        << vmmOn1000To1010Tagged << QByteArray("1010") << false << true << ok;
    QTest::newRow("tagged range 1000-1010: 1011 untouched")
        << vmmOn1000To1010Tagged << QByteArray("1011") << false << false << ok;
    QTest::newRow("fixed field, two stations: MW 1002 on")
        << mwOn1000To1003Dialog << QByteArray("1002") << true << false << ok;
    QTest::newRow("fixed field, wide area: MW 12345678 on")
        << mwOnWide << QByteArray("12345678") << true << false << ok;
    QTest::newRow("function 3: code 3, lamps unchanged")
        << badFunction << QByteArray("1000") << false << false << hex("16 33303035 3031 3037 33 33");
}

void TestPbxLink::lampMessagesSetLamps()
{
    QFETCH(QByteArray, frames);
    QFETCH(QByteArray, station);
    QFETCH(bool, mw);
    QFETCH(bool, vmm);
    QFETCH(QByteArray, lastAnswer);

    Pbx pbx;
    pbx.exchange(hex(kConnect0107Even));
    const QByteArray answers = pbx.exchange(frames);
    QCOMPARE(answers.right(11).toHex(' '), lastAnswer.toHex(' '));
    QCOMPARE(pbx.lamps.state(station), (LampState{mw, vmm}));
}

void TestPbxLink::recordsWaitForTheAnswerAndTheInterval()
{
    Pbx pbx;
    pbx.link.startRecords({kShortRecord}, 3, 100);
    // No record before the link is up.
    QCOMPARE(pbx.link.takeDue(0).size(), 0);
    QCOMPARE(pbx.exchange(hex(kConnect0107Even), 0).toHex(' '),
             (hex(kResponse0107Code0Even) + hex(kRecord0100Even)).toHex(' '));

    // Stop and wait: nothing more until the answer.
    QCOMPARE(Pbx::writtenBy(pbx.link.takeDue(700)), QByteArray());
    QCOMPARE(pbx.exchange(hex("16 34303035 3031 3030 30 30"), 700).toHex(' '),
             hex("16 32303130 3031 3031 02 30214A58 03 01").toHex(' '));

    // Answered at once: the interval still holds the third record back.
    QCOMPARE(pbx.exchange(hex("16 34303035 3031 3031 30 31"), 750), QByteArray());
    QCOMPARE(pbx.link.nextDue(), std::optional<qint64>(800));
    QCOMPARE(Pbx::writtenBy(pbx.link.takeDue(800)).mid(7, 2), QByteArray("02"));

    QCOMPARE(pbx.stats.recordsSent, 3);
    QCOMPARE(pbx.stats.recordsAnswered, 2);
    QCOMPARE(pbx.stats.answerLatencyCounts, (QMap<qint64, int>{{50, 1}, {700, 1}}));
    QCOMPARE(pbx.stats.answerCodes.value("0"), 2);
}

void TestPbxLink::unansweredRecordTimesOut()
{
    Pbx pbx;
    pbx.link.setAnswerTimeout(1000);
    pbx.link.startRecords({kShortRecord}, 2, 0);
    pbx.exchange(hex(kConnect0107Even), 0);
    QCOMPARE(Pbx::writtenBy(pbx.link.takeDue(999)), QByteArray());
    QCOMPARE(Pbx::writtenBy(pbx.link.takeDue(1000)).toHex(' '),
             hex("16 32303130 3031 3031 02 30214A58 03 01").toHex(' '));
    QCOMPARE(pbx.stats.recordTimeouts, 1);
    // The late answer to the first record matches nothing any more.
    pbx.exchange(hex("16 34303035 3031 3030 30 30"), 1100);
    QCOMPARE(pbx.stats.answerUnmatched, 1);
}

void TestPbxLink::answersAreChecked_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("answered");
    QTest::addColumn<int>("wrongDevice");
    QTest::addColumn<int>("unmatched");

    QTest::newRow("code 0") << hex("16 34303035 3031 3030 30 30") << "0" << 1 << 0 << 0;
    QTest::newRow("code 1") << hex("16 34303035 3031 3030 31 31") << "1" << 1 << 0 << 0;
    QTest::newRow("device 00 for a record to 01") << hex("16 34303035 3030 3030 30 31") << "0" << 1 << 1 << 0;
    QTest::newRow("sequence 01 while 00 awaits") << hex("16 34303035 3031 3031 30 31") << "0" << 0 << 0 << 1;
}

void TestPbxLink::answersAreChecked()
{
    QFETCH(QByteArray, answer);
    QFETCH(QString, code);
    Pbx pbx;
    pbx.link.sendRecord(kShortRecord);
    pbx.exchange(hex(kConnect0107Even));
    pbx.exchange(answer, 10);
    QCOMPARE(pbx.stats.answerCodes, (QMap<QString, int>{{code, 1}}));
    QTEST(pbx.stats.recordsAnswered, "answered");
    QTEST(pbx.stats.answerWrongDevice, "wrongDevice");
    QTEST(pbx.stats.answerUnmatched, "unmatched");
}

using LatencyCounts = QMap<qint64, int>;

void TestPbxLink::latencySummary_data()
{
    QTest::addColumn<LatencyCounts>("counts");
    QTest::addColumn<QJsonObject>("summary");
    QTest::newRow("none") << LatencyCounts{} << QJsonObject{{"count", 0}};
    QTest::newRow("one") << LatencyCounts{{5, 1}}
                         << QJsonObject{{"count", 1}, {"min", 5}, {"median", 5}, {"max", 5}};
    QTest::newRow("even count: the middle two averaged")
        << LatencyCounts{{1, 1}, {2, 1}, {10, 2}}
        << QJsonObject{{"count", 4}, {"min", 1}, {"median", 6}, {"max", 10}};
    QTest::newRow("the middle inside a repeated time")
        << LatencyCounts{{1, 2}, {9, 1}} << QJsonObject{{"count", 3}, {"min", 1}, {"median", 1}, {"max", 9}};
}

void TestPbxLink::latencySummary()
{
    QFETCH(LatencyCounts, counts);
    SimStats stats;
    stats.answerLatencyCounts = counts;
    QTEST(stats.toJson(LampBoard())["answer_latency_ms"].toObject(), "summary");
}

void TestPbxLink::faultsShapeTheNextFrame_data()
{
    QTest::addColumn<FrameFault::Type>("fault");
    QTest::addColumn<int>("value");
    QTest::addColumn<QList<QByteArray>>("writes");
    QTest::addColumn<QList<qint64>>("dues");

    using T = FrameFault::Type;
    const QByteArray answer = hex(kResponse0107Code0Even);
    QTest::newRow("corrupt check byte")
        << T::CorruptCheckByte << 0 << QList<QByteArray>{hex("16 33303035 3031 3037 30 31")}
        << QList<qint64>{0};
    QTest::newRow("wrong sequence, fitting check byte")
        << T::WrongSequence << 0 << QList<QByteArray>{hex("16 33303035 3031 3537 30 35")} << QList<qint64>{0};
    QTest::newRow("split over two writes 200 ms apart")
        << T::Split << 200 << QList<QByteArray>{hex("16 33303035"), hex("3031 3037 30 30")}
        << QList<qint64>{0, 200};
    QTest::newRow("late by 300 ms") << T::Late << 300 << QList<QByteArray>{answer} << QList<qint64>{300};
    QTest::newRow("answer and a record in one write")
        << T::Coalesce << 2 << QList<QByteArray>{answer + hex(kRecord0100Even)} << QList<qint64>{0};
    QTest::newRow("a release request behind")
        << T::ReleaseBehind << 0 << QList<QByteArray>{answer + hex("16 36303034 3031 3030 03")}
        << QList<qint64>{0};
    QTest::newRow("CR LF first") << T::Junk << 0 << QList<QByteArray>{hex("0D 0A"), answer}
                                 << QList<qint64>{0, 0};
    // The reset carries no bytes, and nothing follows it.
    QTest::newRow("first half, then RST")
        << T::CutByReset << 0 << QList<QByteArray>{hex("16 33303035"), QByteArray()} << QList<qint64>{0, 0};
}

void TestPbxLink::faultsShapeTheNextFrame()
{
    QFETCH(FrameFault::Type, fault);
    QFETCH(int, value);
    QFETCH(QList<QByteArray>, writes);
    QFETCH(QList<qint64>, dues);

    Pbx pbx;
    pbx.link.startRecords({kShortRecord}, 0, 0);
    pbx.link.addFaultToNextFrame({fault, value});
    pbx.link.receive(hex(kConnect0107Even), 0);
    QList<LinkAction> actions;
    while (const auto due = pbx.link.nextDue())
        actions += pbx.link.takeDue(*due);
    QList<QByteArray> written;
    QList<qint64> at;
    for (const LinkAction& action : actions) {
        written.append(action.bytes);
        at.append(action.due);
    }
    QCOMPARE(written, writes);
    QCOMPARE(at, dues);
}

void TestPbxLink::mutedHealthChecksGoUnanswered()
{
    Pbx pbx;
    pbx.exchange(hex(kConnect0107Even));
    pbx.link.muteHealthChecks(1, 1);
    const QByteArray healthChecks = hex("16 35303036 3031 3039 3030 0B") +
                                    hex("16 35303036 3031 3130 3030 03") +
                                    hex("16 35303036 3031 3131 3030 02");
    QCOMPARE(pbx.exchange(healthChecks).toHex(' '),
             (hex("16 33303035 3031 3039 30 3E") + hex("16 33303035 3031 3131 30 37")).toHex(' '));
}

void TestPbxLink::resetReplacesTheAnswer()
{
    Pbx pbx;
    pbx.link.resetAfterFrames(2);
    QCOMPARE(pbx.exchange(hex(kConnect0107Even)).toHex(' '), hex(kResponse0107Code0Even).toHex(' '));
    pbx.link.receive(hex("16 35303036 3031 3039 3030 0B"), 5);
    const QList<LinkAction> actions = pbx.link.takeDue(5);
    QCOMPARE(actions.size(), 1);
    QCOMPARE(actions.front().type, LinkAction::Type::Reset);
    // Nothing is read or sent after it on this connection.
    QCOMPARE(pbx.exchange(hex("16 35303036 3031 3039 3030 0B"), 6), QByteArray());
}

void TestPbxLink::releaseRequestFollowsTheAnswer()
{
    Pbx pbx;
    pbx.link.releaseAfterFrames(1);
    QCOMPARE(pbx.exchange(hex(kConnect0107Even)).toHex(' '),
             (hex(kResponse0107Code0Even) + hex("16 36303034 3031 3030 03")).toHex(' '));
}

QTEST_APPLESS_MAIN(TestPbxLink)
#include "tst_pbxsim_link.moc"
