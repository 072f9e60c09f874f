// The built zkn-decode run as a user runs it: exit statuses, its JSON lines and its text for a
// record written out by hand, the layout chosen by option or by the stored settings, and input
// from files and standard input.
#include "block_reader.h"
#include "decode_process.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using zkn::test::DecodeRun;

namespace {

// A sectioned record as the tool's log shows it, blanks as dots: a station source, the call
// type, an attendant calling party and the ANI.
// clang-format off
QByteArray kraRecord(const QByteArray& callType = "12")
{
    return "\x02" "0!J"
           "01" "34" "0" "001" "002" "2003...." "004" "4940123456......"
           "02" "04" "07" + callType +
           "03" "18" "1" "005" "006" "09" "......" "008"
           "06" "10" "1" "08" "0890123"
           "\x03";
}

// A 6 digit OLV record: station source, call type, attendant calling, trunk called.
const QByteArray kOlvRecord = "\x02" "0!J"
                              "0" "01" "2000.."
                              "01" "12"
                              "1" "01" "01" "...."
                              "2" "01" "012" "045"
                              "\x03";
// clang-format on

QByteArray logLine(const QByteArray& record)
{
    return " ->:12:00:00: " + record + "\r\n";
}

const QString kKraCaption = QStringLiteral("Format Message Information (KRA)");
const QString kOlvCaption = QStringLiteral("Format Message Information (OLV - 6 digit)");

} // namespace

class TestZknDecodeProgram : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void exitStatus_data();
    void exitStatus();
    void jsonOfAKraRecord();
    void readableTextOfTheSameRecord();
    void messagesAreReported();
    void optionOverridesStoredSettings_data();
    void optionOverridesStoredSettings();
    void storedSettingsChooseTheLayout_data();
    void storedSettingsChooseTheLayout();
    void filesAndStandardInputInOrder();
    void unreadableFileLeavesTheOthersDecoded();
    void recordsAcrossReadBlocks_data();
    void recordsAcrossReadBlocks();
    void helpExplainsUse();

private:
    DecodeRun run(const QStringList& arguments, const QByteArray& input = {})
    {
        return zkn::test::runDecode(arguments, input, m_config->path());
    }
    // The settings store as an earlier run of the tool left it.
    void store(const QByteArray& ini)
    {
        QVERIFY(QDir(m_config->path()).mkpath(QStringLiteral("ZKN-Control Tool")));
        QFile file(m_config->filePath(QStringLiteral("ZKN-Control Tool/ZKN-Control Tool.ini")));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(ini), ini.size());
    }
    QString writeFile(const QString& name, const QByteArray& content)
    {
        QFile file(m_files.filePath(name));
        return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() ? file.fileName()
                                                                                        : QString();
    }

    std::unique_ptr<QTemporaryDir> m_config;
    QTemporaryDir m_files;
};

void TestZknDecodeProgram::exitStatus_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("errorNames"); // empty: nothing on standard error

    QTest::newRow("records without a message")
        << QStringList{"--kra"} << logLine(kraRecord()) + logLine(kraRecord("66")) << 0 << QString();
    QTest::newRow("no record at all")
        << QStringList{"--kra"} << QByteArray("<->:12:00:00: LINK CONNECTED...\r\n") << 0 << QString();
    QTest::newRow("a record with an unknown call type")
        << QStringList{"--kra"} << logLine(kraRecord()) + logLine(kraRecord("99")) << 1 << QString();
    QTest::newRow("unknown option") << QStringList{"--frobnicate"} << logLine(kraRecord()) << 2
                                    << QStringLiteral("frobnicate");
    QTest::newRow("both layouts") << QStringList{"--kra", "--olv"} << logLine(kraRecord()) << 2
                                  << QStringLiteral("--olv");
    QTest::newRow("missing file") << QStringList{"--kra", "/nonexistent/zkn.log"} << QByteArray() << 2
                                  << QStringLiteral("/nonexistent/zkn.log");
}

void TestZknDecodeProgram::exitStatus()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(QString, errorNames);

    const DecodeRun result = run(arguments, input);
    QVERIFY(result.finished);
    QTEST(result.exitCode, "exitCode");
    if (errorNames.isEmpty()) {
        QCOMPARE(result.err, QByteArray());
    } else {
        QVERIFY2(result.err.contains(errorNames.toUtf8()), result.err.constData());
        QCOMPARE(result.out, QByteArray());
    }
}

void TestZknDecodeProgram::jsonOfAKraRecord()
{
    const DecodeRun result =
        run({"--kra", "--json"}, "<->:11:59:59: LINK CONNECTED...\r\n" + logLine(kraRecord()));
    QCOMPARE(result.exitCode, 0);
    // Control characters escaped as JSON requires them.
    QVERIFY(result.out.startsWith(R"({"record":"\u00020!J01340)"));
    QVERIFY(result.out.contains(R"(0890123\u0003")"));

    const QJsonObject expected{
        {"record", QString::fromLatin1(kraRecord())},
        {"caption", kKraCaption},
        {"areas",
         QJsonObject{
             {"source", QJsonObject{{"frame", 10},
                                    {"caption", "Source/Destination (Station)"},
                                    {"boxes", QJsonObject({{"FPC", "001"},
                                                           {"TN", "002"},
                                                           {"STN", "2003...."},
                                                           {"UGN", "004"},
                                                           {"TELN", "4940123456......"}})}}},
             {"calling", QJsonObject{{"frame", 31},
                                     {"caption", "Calling Party (Attendant)"},
                                     {"boxes", QJsonObject({{"FPC", "005"},
                                                            {"TN", "006"},
                                                            {"ATTN", "09"},
                                                            {"UGN", "008"},
                                                            {"Blank", "......"}})}}},
             {"called", QJsonValue::Null},
             {"extended", QJsonValue::Null},
             {"callType",
              QJsonObject{{"frame", "FrmCallType"},
                          {"caption", "Call Type/Loop Number"},
                          {"boxes", QJsonObject({{"Loop No.", "07"},
                                                 {"Call Type", "12    Call Forwarding-Don't Answer"}})}}},
             {"ani", QJsonObject{{"frame", 61},
                                 {"caption", "ANI (Provided)"},
                                 {"boxes", QJsonObject({{"ANI", "0890123"}})}}},
         }},
        {"messages", QJsonArray()},
    };
    QCOMPARE(result.jsonLines(), QList<QJsonObject>{expected});
}

void TestZknDecodeProgram::readableTextOfTheSameRecord()
{
    const DecodeRun result = run({"--kra"}, logLine(kraRecord()) + logLine(kraRecord("66")));
    QCOMPARE(result.exitCode, 0);
    const QByteArray first = "Record 1: Format Message Information (KRA)\n"
                             "Source/Destination (Station)  FPC: 001\n"
                             "Source/Destination (Station)  TN: 002\n"
                             "Source/Destination (Station)  STN: 2003....\n"
                             "Source/Destination (Station)  UGN: 004\n"
                             "Source/Destination (Station)  TELN: 4940123456......\n"
                             "Calling Party (Attendant)  FPC: 005\n"
                             "Calling Party (Attendant)  TN: 006\n"
                             "Calling Party (Attendant)  ATTN: 09\n"
                             "Calling Party (Attendant)  UGN: 008\n"
                             "Calling Party (Attendant)  Blank: ......\n"
                             "Call Type/Loop Number  Loop No.: 07\n"
                             "Call Type/Loop Number  Call Type: 12    Call Forwarding-Don't Answer\n"
                             "ANI (Provided)  ANI: 0890123\n"
                             "\n";
    QVERIFY2(result.out.startsWith(first), result.out.constData());
    QVERIFY(result.out.mid(first.size()).startsWith("Record 2: Format Message Information (KRA)\n"));
}

void TestZknDecodeProgram::messagesAreReported()
{
    const QByteArray input = logLine(kraRecord("99"));
    const DecodeRun json = run({"--kra", "--json"}, input);
    QCOMPARE(json.exitCode, 1);
    const QList<QJsonObject> lines = json.jsonLines();
    QCOMPARE(lines.size(), 1);
    const QJsonObject message{{"title", "ERROR"}, {"text", "Unknown Call Type"}};
    QCOMPARE(lines[0]["messages"].toArray(), QJsonArray{message});
    QCOMPARE(lines[0]["areas"]["callType"]["boxes"]["Call Type"].toString(),
             QStringLiteral("ERROR... Unknown Call Type!"));

    const DecodeRun readable = run({"--kra"}, input);
    QCOMPARE(readable.exitCode, 1);
    QVERIFY2(readable.out.endsWith("ANI (Provided)  ANI: 0890123\nMessage  ERROR: Unknown Call Type\n\n"),
             readable.out.constData());
}

void TestZknDecodeProgram::optionOverridesStoredSettings_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("option");
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("messages");

    const QByteArray storedOlv = "[Properties]\nCType=Serial\nPBXType=False\n";
    const QByteArray storedLan = "[Properties]\nCType=LAN\nPBXType=False\n";
    QTest::newRow("--kra over a stored OLV choice")
        << storedOlv << QStringLiteral("--kra") << kraRecord() << kKraCaption << QStringList();
    QTest::newRow("--olv over a stored LAN link")
        << storedLan << QStringLiteral("--olv") << kOlvRecord << kOlvCaption << QStringList();
    // The OLV layouts know no body of that length: the caption stays, the window says why.
    QTest::newRow("--olv on a sectioned record")
        << storedLan << QStringLiteral("--olv") << kraRecord() << "Format Message Information - ZKN-Tool"
        << QStringList{"Unknown or Corrupt ZKN Format! "};
}

void TestZknDecodeProgram::optionOverridesStoredSettings()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, option);
    QFETCH(QByteArray, record);
    QFETCH(QStringList, messages);

    store(ini);
    const DecodeRun result = run({option, "--json"}, logLine(record));
    QCOMPARE(result.exitCode, messages.isEmpty() ? 0 : 1);
    const QList<QJsonObject> lines = result.jsonLines();
    QCOMPARE(lines.size(), 1);
    QTEST(lines[0]["caption"].toString(), "caption");
    QStringList texts;
    for (const QJsonValue message : lines[0]["messages"].toArray())
        texts.append(message["text"].toString());
    QCOMPARE(texts, messages);
}

void TestZknDecodeProgram::storedSettingsChooseTheLayout_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("caption");

    // Nothing stored reads as a serial link with the KRA format chosen.
    QTest::newRow("nothing stored") << QByteArray() << kKraCaption;
    QTest::newRow("LAN link") << QByteArray("[Properties]\nCType=LAN\nPBXType=False\n") << kKraCaption;
    QTest::newRow("serial link, KRA chosen")
        << QByteArray("[Properties]\nCType=Serial\nPBXType=True\n") << kKraCaption;
    QTest::newRow("serial link, OLV chosen")
        << QByteArray("[Properties]\nCType=Serial\nPBXType=False\n") << kOlvCaption;
    QTest::newRow("only the exact text True chooses KRA")
        << QByteArray("[Properties]\nCType=Serial\nPBXType=true\n") << kOlvCaption;
    QTest::newRow("an empty connection method reads as serial")
        << QByteArray("[Properties]\nCType=\nPBXType=False\n") << kOlvCaption;
}

void TestZknDecodeProgram::storedSettingsChooseTheLayout()
{
    QFETCH(QByteArray, ini);
    if (!ini.isEmpty())
        store(ini);
    const DecodeRun result = run({"--json"}, logLine(kOlvRecord));
    const QList<QJsonObject> lines = result.jsonLines();
    QCOMPARE(lines.size(), 1);
    QTEST(lines[0]["caption"].toString(), "caption");
}

void TestZknDecodeProgram::filesAndStandardInputInOrder()
{
    const QString first = writeFile("first.log", logLine(kraRecord("10")) + logLine(kraRecord("11")));
    const QString last = writeFile("last.log", logLine(kraRecord("13")));
    QVERIFY(!first.isEmpty() && !last.isEmpty());

    const DecodeRun result = run({"--kra", "--json", first, "-", last}, logLine(kraRecord("12")));
    QCOMPARE(result.exitCode, 0);
    QStringList records;
    for (const QJsonObject& line : result.jsonLines())
        records.append(line["record"].toString());
    const QStringList expected{QString::fromLatin1(kraRecord("10")), QString::fromLatin1(kraRecord("11")),
                               QString::fromLatin1(kraRecord("12")), QString::fromLatin1(kraRecord("13"))};
    QCOMPARE(records, expected);

    // No file named: standard input alone.
    QCOMPARE(run({"--kra", "--json"}, logLine(kraRecord("12"))).jsonLines().size(), 1);
}

void TestZknDecodeProgram::unreadableFileLeavesTheOthersDecoded()
{
    const QString good = writeFile("good.log", logLine(kraRecord()));
    const QString missing = m_files.filePath(QStringLiteral("missing.log"));
    const DecodeRun result = run({"--kra", "--json", missing, good});
    QCOMPARE(result.exitCode, 2);
    QVERIFY2(result.err.contains(missing.toUtf8()), result.err.constData());
    QCOMPARE(result.jsonLines().size(), 1);
}

void TestZknDecodeProgram::recordsAcrossReadBlocks_data()
{
    QTest::addColumn<bool>("fromFile");
    QTest::newRow("file") << true;
    QTest::newRow("standard input") << false;
}

// Records that straddle the first and second block boundary are found whole, and the last block
// (shorter than the others) too.
void TestZknDecodeProgram::recordsAcrossReadBlocks()
{
    QFETCH(bool, fromFile);
    const QByteArrayList records{kraRecord("10"), kraRecord("11"), kraRecord("12"), kraRecord("13")};
    QByteArray input = logLine(records[0]);
    const auto padTo = [&input](qsizetype size) {
        while (input.size() < size)
            input += QByteArray(std::min<qsizetype>(78, size - input.size()), '-') + "\r\n";
        input.truncate(size);
    };
    padTo(zkn::decodetool::kReadBlockSize - 60);
    input += records[1];
    padTo(2 * zkn::decodetool::kReadBlockSize - 1);
    input += records[2] + "\r\n";
    padTo(2 * zkn::decodetool::kReadBlockSize + 5000);
    input += logLine(records[3]);

    const QString file = fromFile ? writeFile("big.log", input) : QStringLiteral("-");
    const DecodeRun result = run({"--kra", "--json", file}, fromFile ? QByteArray() : input);
    QCOMPARE(result.exitCode, 0);
    QByteArrayList found;
    for (const QJsonObject& line : result.jsonLines())
        found.append(line["record"].toString().toLatin1());
    QCOMPARE(found, records);
}

void TestZknDecodeProgram::helpExplainsUse()
{
    const DecodeRun result = run({"--help"});
    QCOMPARE(result.exitCode, 0);
    for (const char* part : {"Usage:", "--kra", "--olv", "--json", "[FILE...]", "Exit status", "Example"})
        QVERIFY2(result.out.contains(part), part);
    QCOMPARE(result.err, QByteArray());
}

// Each test starts from an empty settings store.
void TestZknDecodeProgram::init()
{
    m_config = std::make_unique<QTemporaryDir>();
}

QTEST_GUILESS_MAIN(TestZknDecodeProgram)
#include "tst_zkn_decode_program.moc"
