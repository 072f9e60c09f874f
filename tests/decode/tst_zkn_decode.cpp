// zkn-decode run as a user runs it: its text and JSON lines for records written out by hand, the
// layout chosen by option or by the stored settings, its exit statuses, and input from files and
// standard input read in blocks.
#include "block_reader.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

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
        // Its settings store lies in a folder of its own, so the developer's settings never count.
        QTemporaryDir config;
        QVERIFY(QDir(config.path()).mkpath("ZKN-Control Tool"));
        QFile file(config.filePath("ZKN-Control Tool/ZKN-Control Tool.ini"));
        QVERIFY(ini.isEmpty() || (file.open(QIODevice::WriteOnly) && file.write(ini) == ini.size()));
        file.close();
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", config.path());
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(ZKN_DECODE_PATH), arguments.split(' '));
        process.write(input);
        process.closeWriteChannel();
        QVERIFY(process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit);
        QTEST(process.exitCode(), "exitCode");
        const QByteArray stdOut = process.readAllStandardOutput();
        const QByteArray stdErr = process.readAllStandardError();
        QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.contains(out), stdOut.constData());
        QVERIFY2(err.isEmpty() ? stdErr.isEmpty() : stdErr.contains(err), stdErr.constData());
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
    row("no record at all", {}, "--kra", "<->:12:00:00: LINK UP\r\n", 0, {});
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
}
// clang-format on

QTEST_GUILESS_MAIN(TestZknDecode)
#include "tst_zkn_decode.moc"
