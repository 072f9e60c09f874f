// zkn-decode. Its record finder in-process: what counts as a record in a log or capture, however
// the reads cut it. Then the built program run as a user runs it: its text and JSON lines for
// records written out by hand, the layout chosen by option or by the stored settings, its exit
// statuses, and input from a terminal log, a capture and standard input.
#include "block_reader.h"
#include "record_finder.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray kStx(1, '\x02');
const QByteArray kEtx(1, '\x03');

QByteArray record(const QByteArray& afterStx)
{
    return kStx + afterStx + kEtx;
}

QByteArrayList findIn(const QList<QByteArrayView>& blocks)
{
    QByteArrayList found;
    zkn::decodetool::RecordFinder finder([&found](QByteArrayView text) { found.append(text.toByteArray()); });
    for (const QByteArrayView block : blocks)
        finder.feed(block);
    return found;
}

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
const QByteArray kOlvRecord = "\x02" "0!J" "0" "01" "2000.." "01" "12" "1" "01" "01" "...." "2" "01" "012" "045" "\x03";
// clang-format on

// A line of the tool's terminal log.
QByteArray logLine(const QByteArray& record)
{
    return " ->:12:00:00: " + record + "\r\n";
}

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Its settings store lies in a directory of its own, so the developer's settings never count.
Run run(const QStringList& arguments, const QByteArray& input, const QByteArray& ini = {})
{
    QTemporaryDir config;
    if (!ini.isEmpty() && QDir(config.path()).mkpath("ZKN-Control Tool")) {
        QFile file(config.filePath("ZKN-Control Tool/ZKN-Control Tool.ini"));
        if (!file.open(QIODevice::WriteOnly) || file.write(ini) != ini.size())
            return {};
    }
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", config.path());
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(ZKN_DECODE_PATH), arguments);
    if (!process.waitForStarted())
        return {};
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

// The record of each JSON line.
QByteArrayList records(const Run& run)
{
    QByteArrayList found;
    for (const QByteArray& line : run.out.split('\n')) {
        if (!line.isEmpty())
            found.append(QJsonDocument::fromJson(line)["record"].toString().toLatin1());
    }
    return found;
}

} // namespace

class TestZknDecode : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void findsRecords_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArrayList>("records");

        const QByteArray dotted = record("0!J0104....");
        const QByteArray blank = record("0!J0104    ");
        QTest::newRow("between time stamps and line ends")
            << " ->:12:00:01: " + dotted + "\r\n<->:12:00:02: LINK CONNECTED...\r\n ->:12:00:03: " + blank +
                   "\r\n"
            << QByteArrayList{dotted, blank};
        QTest::newRow("back to back, Latin-1 kept")
            << "x" + dotted + record("0!J\xe9\xff\x7f") << QByteArrayList{dotted, record("0!J\xe9\xff\x7f")};
        // An STX that another STX follows before any ETX starts nothing; one still open at the end neither.
        QTest::newRow("stray STX and ETX")
            << " ->: " + kStx + "0!J01\r\n ->: " + blank + kEtx + "0!J01" + kEtx + dotted + kStx + "0!J0104"
            << QByteArrayList{blank, dotted};
        QTest::newRow("headers of other messages, and too short for one")
            << record("0!A00") + record("0!K0104") + record("J 1") + record("0J!") + record("0!") +
                   record("") + kStx + kEtx + record("0!J")
            << QByteArrayList{record("0!J")};
    }

    // Whole, split in two at every place, and one byte at a time: the same records.
    void findsRecords()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArrayList, records);

        QCOMPARE(findIn({input}), records);
        const QByteArrayView whole(input);
        for (qsizetype at = 0; at <= input.size(); ++at)
            QVERIFY2(findIn({whole.first(at), whole.sliced(at)}) == records, qPrintable(QString::number(at)));
        QList<QByteArrayView> bytes;
        for (qsizetype i = 0; i < input.size(); ++i)
            bytes.append(whole.sliced(i, 1));
        QCOMPARE(findIn(bytes), records);
    }

    void runs_data();

    void runs()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, arguments);
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);

        const Run result = run(arguments.split(' '), input, ini);
        QTEST(result.exitCode, "exitCode");
        QVERIFY2(out.isEmpty() ? result.out.isEmpty() : result.out.contains(out), result.out.constData());
        QVERIFY2(err.isEmpty() ? result.err.isEmpty() : result.err.contains(err), result.err.constData());
    }

    // Files and standard input in the order named. A capture holds records with their blanks and any
    // bytes, which come back in JSON byte for byte; a big log is read in blocks.
    void inputsInOrder()
    {
        QTemporaryDir files;
        const QByteArrayList logged{kraRecord("10"), kraRecord("11"), kraRecord("12"), kraRecord("13")};
        // The second straddles the end of the first block, the third begins on the last byte of the second.
        QByteArray log = logLine(logged[0]);
        log += QByteArray(zkn::decodetool::kReadBlockSize - 60 - log.size(), '-') + logged[1];
        log += QByteArray(2 * zkn::decodetool::kReadBlockSize - 1 - log.size(), '-') + logged[2];
        log += QByteArray(5000, '-') + logLine(logged[3]);
        QFile big(files.filePath("big.log"));
        QVERIFY(big.open(QIODevice::WriteOnly) && big.write(log) == log.size());
        big.close();
        const QByteArray bare = kraRecord("15", "\x01\xe9\"\\\x7f\t").replace('.', ' ');
        const QByteArray capture = QByteArray("\x00\xff\x16\x32", 4) + bare + "\x06" + bare;

        QCOMPARE(records(run({"--kra", "--json", big.fileName(), "-", big.fileName()}, capture)),
                 (logged + QByteArrayList{bare, bare} + logged));
        // No file named: standard input alone.
        QCOMPARE(records(run({"--kra", "--json"}, capture)), (QByteArrayList{bare, bare}));
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
    row("text: the message raised, a blank line between records", {}, "--kra", logLine(kraRecord("99")) + kraLog, 1,
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
    row("no record at all", {}, "--kra", "<->:12:00:00: LINK UP\r\n", 0, {});
    // Nothing stored reads as a serial link with the KRA format chosen.
    const QByteArray kra = R"j("caption":"Format Message Information (KRA)")j";
    const QByteArray olv = R"j("caption":"Format Message Information (OLV - 6 digit)")j";
    const QByteArray olvLog = logLine(kOlvRecord);
    row("layout: nothing stored", {}, "--json", olvLog, 1, kra);
    row("layout: serial link, OLV chosen", "[Properties]\nCType=Serial\nPBXType=False\n", "--json", olvLog, 0, olv);
    row("layout: --olv over a stored LAN link", "[Properties]\nCType=LAN\nPBXType=False\n", "--olv --json", olvLog, 0, olv);
    row("unknown option", {}, "--frobnicate", kraLog, 2, {}, "frobnicate");
    row("both layouts", {}, "--kra --olv", kraLog, 2, {}, "--olv");
    row("a missing file, the next still read", {}, "--kra /nonexistent/zkn.log -", kraLog, 2,
        "Record 1: Format Message Information (KRA)\n", "/nonexistent/zkn.log");
    row("help", {}, "--help", {}, 0, "Exit status");
}
// clang-format on

QTEST_GUILESS_MAIN(TestZknDecode)
#include "tst_zkn_decode.moc"
