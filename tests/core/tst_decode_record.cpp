// Whole records of every layout decoded into what the breakdown window shows, every box's text
// written out from the field tables; then the records the decoder must refuse.
#include "decode/decode_record.h"
#include "decode_expectations.h"

#include <QTest>

using namespace zkn::decode;
using decode_test::describeAreas;
using decode_test::describeMessages;

Q_DECLARE_METATYPE(zkn::decode::RecordFormat)
Q_DECLARE_METATYPE(zkn::decode::ExpansionBox)

// clang-format off
// Party data, kind first. KRA station FPC TN STN UGN TELN, attendant FPC TN ATTN Blank UGN,
// trunk FPC TN RT TK Blank UGN LGRT.
#define KRA_STATION "0" "001" "002" "12345678" "003" "0123456789012345"
#define KRA_ATTENDANT "1" "011" "012" "07" "BLANK6" "013"
#define KRA_TRUNK "2" "021" "022" "123" "045" "BL" "023" "124"
#define KRA_TRUNK_ANI "3" "031" "032" "133" "046" "bl" "033" "134"
// OLV station TN STN, attendant TN ATTN Blank, trunk TN RT TK; 8 characters, which the 8 digit
// layouts fill to 10 (PAD) or, for the calling party, to 18 (PAD_CALLING).
#define OLV6_STATION "0" "01" "234567"
#define OLV8_STATION "0" "01" "23456789"
#define OLV8_CALLING_STATION "0" "01" "2345678901234567"
#define OLV_ATTENDANT "1" "11" "07" "BLNK"
#define OLV_TRUNK "2" "01" "123" "045"
#define OLV_TRUNK_ANI "3" "31" "133" "046"
#define PAD "xx"
#define PAD_CALLING "yyyyyyyyyy"
// OLV ANI parts: flag, 32 characters, one more, ETX.
#define ANI_PROVIDED "1" "4940123456" "......................" "!" "\x03"
#define ANI_FULL "1" "12345678901234567890123456789012" "9" "\x03"
#define ANI_ABSENT "0" "12345678901234567890123456789012" " " "\x03"
#define ANI_OTHER "2" "12345678901234567890123456789012" " " "\x03"
// clang-format on

namespace {

constexpr auto Kra = RecordFormat::Kra;
constexpr auto Olv = RecordFormat::Olv;

const char kUnchanged[] = "Format Message Information - ZKN-Tool";
const char kKraCaption[] = "Format Message Information (KRA)";
const char kOlv6Caption[] = "Format Message Information (OLV - 6 digit)";
const char kOlv8Caption[] = "Format Message Information (OLV - 8 digit)";
const char kOlv6xCaption[] = "Format Message Information (OLV - 6 digit Expanded)";
const char kOlv8xCaption[] = "Format Message Information (OLV - 8 digit Expanded)";

const char kKraStation[] = "|FPC=001|TN=002|STN=12345678|UGN=003|TELN=0123456789012345";
const char kKraAttendant[] = "|FPC=011|TN=012|ATTN=07|UGN=013|Blank=BLANK6";
const char kKraTrunk[] = "|FPC=021|TN=022|RT=123|UGN=023|Blank=BL|TK=045|LGRT=124";
const char kKraTrunkAni[] = "|FPC=031|TN=032|RT=133|UGN=033|Blank=bl|TK=046|LGRT=134";
const char kOlv6Station[] = "|FPC=|TN=01|STN=234567|UGN=|TELN=";
const char kOlv8Station[] = "|FPC=|TN=01|STN=23456789|UGN=|TELN=";
const char kOlv8CallingStation[] = "|FPC=|TN=01|STN=2345678901234567|UGN=|TELN=";
const char kOlvAttendant[] = "|FPC=|TN=11|ATTN=07|UGN=|Blank=BLNK";
const char kOlvTrunk[] = "|FPC=|TN=01|RT=123|UGN=|Blank=|TK=045|LGRT=";
const char kOlvTrunkAni[] = "|FPC=|TN=31|RT=133|UGN=|Blank=|TK=046|LGRT=";

const QString kNoSource = QStringLiteral("[Source/Destination ]");
const QString kNoCalling = QStringLiteral("[Calling Party ]");
const QString kNoCalled = QStringLiteral("[Called Party ]");
const QString kNoExtended = QStringLiteral("[Extended Calling Party ]");
const QString kNoCallType = QStringLiteral("[Call Type/Loop Number]");
const QString kNoAni = QStringLiteral("[ANI ]");
const QStringList kAllEmpty = {kNoSource, kNoCalling, kNoCalled, kNoExtended, kNoCallType, kNoAni};

QString party(int subFrame, const char* caption, const char* boxes)
{
    return QString::number(subFrame) + QLatin1Char(' ') + QLatin1String(caption) + QLatin1String(boxes);
}

QString callType(const char* loop, const char* text)
{
    return QStringLiteral("Call Type/Loop Number|Loop No.=") + QLatin1String(loop) +
           QStringLiteral("|Call Type=") + QLatin1String(text);
}

QString ani(const char* number)
{
    return QStringLiteral("61 ANI (Provided)|ANI=") + QLatin1String(number);
}

QByteArray record(const QByteArray& body)
{
    return QByteArray("\x02") + "0!J" + body;
}

void addColumns()
{
    QTest::addColumn<RecordFormat>("format");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<ExpansionBox>("expansion");
    QTest::addColumn<QStringList>("areas");
    QTest::addColumn<QStringList>("messages");
}

void row(const char* name, RecordFormat format, const QByteArray& text, const char* caption,
         ExpansionBox expansion, const QStringList& areas, const QStringList& messages = {})
{
    QTest::newRow(name) << format << text << QString::fromLatin1(caption) << expansion << areas << messages;
}

void checkDecode()
{
    QFETCH(RecordFormat, format);
    QFETCH(QByteArray, text);
    const Breakdown breakdown = DecodeRecord(text, format);
    QVERIFY(breakdown.windowCleared);
    QTEST(breakdown.caption, "caption");
    QTEST(breakdown.expansion, "expansion");
    QTEST(describeAreas(breakdown), "areas");
    QTEST(describeMessages(breakdown), "messages");
    for (const zkn::Operator::Message& message : breakdown.messages) {
        QCOMPARE(message.icon, zkn::Operator::Icon::Critical);
        QCOMPARE(message.buttons, zkn::Operator::Buttons::Ok);
    }
}

} // namespace

class TestDecodeRecord : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void kraRecords_data();
    void kraRecords() { checkDecode(); }
    void olvRecords_data();
    void olvRecords() { checkDecode(); }
    void refusedRecords_data();
    void refusedRecords() { checkDecode(); }
    void lampAnswersLeaveTheWindowAlone_data();
    void lampAnswersLeaveTheWindowAlone();
};

// clang-format off
void TestDecodeRecord::kraRecords_data()
{
    using E = ExpansionBox;
    addColumns();
    row("station, attendant, trunk, trunk/ANI, call type, ANI", Kra,
        record("01" "34" KRA_STATION "02" "04" "0724" "03" "18" KRA_ATTENDANT "04" "21" KRA_TRUNK
               "05" "21" KRA_TRUNK_ANI "06" "13" "1" "11" "4940123456" "\x03"), kKraCaption, E::Unchanged,
        {party(10, "Source/Destination (Station)", kKraStation),
         party(31, "Calling Party (Attendant)", kKraAttendant),
         party(42, "Called Party (Trunk)", kKraTrunk),
         party(53, "Extended Calling Party (Trunk/ANI)", kKraTrunkAni),
         callType("07", "24    Tandem Transferring/Hold Entry"), ani("4940123456")});
    row("attendant, trunk, trunk/ANI, station, section 07 skipped, call type last", Kra,
        record("01" "18" KRA_ATTENDANT "07" "02" "xx" "03" "21" KRA_TRUNK "04" "21" KRA_TRUNK_ANI
               "05" "34" KRA_STATION "02" "04" "1240" "\x03"), kKraCaption, E::Unchanged,
        {party(11, "Source/Destination (Attendant)", kKraAttendant),
         party(32, "Calling Party (Trunk)", kKraTrunk),
         party(43, "Called Party (Trunk/ANI)", kKraTrunkAni),
         party(50, "Extended Calling Party (Station)", kKraStation),
         callType("12", "40    Call Forwarding-Don't Answer"), kNoAni});
    row("trunk, trunk/ANI, station, attendant, ANI not provided, in any order", Kra,
        record("06" "03" "0" "11" "05" "18" KRA_ATTENDANT "04" "34" KRA_STATION "03" "21" KRA_TRUNK_ANI
               "01" "21" KRA_TRUNK "02" "04" "0512" "\x03"), kKraCaption, E::Unchanged,
        {party(12, "Source/Destination (Trunk)", kKraTrunk),
         party(33, "Calling Party (Trunk/ANI)", kKraTrunkAni),
         party(40, "Called Party (Station)", kKraStation),
         party(51, "Extended Calling Party (Attendant)", kKraAttendant),
         callType("05", "12    Call Forwarding-Don't Answer"), kNoAni});
    row("trunk/ANI, station, attendant, trunk, short ANI", Kra,
        record("01" "21" KRA_TRUNK_ANI "02" "04" "0366" "03" "34" KRA_STATION "04" "18" KRA_ATTENDANT
               "05" "21" KRA_TRUNK "06" "10" "1" "08" "0890123" "\x03"), kKraCaption, E::Unchanged,
        {party(13, "Source/Destination (Trunk/ANI)", kKraTrunkAni),
         party(30, "Calling Party (Station)", kKraStation),
         party(41, "Called Party (Attendant)", kKraAttendant),
         party(52, "Extended Calling Party (Trunk)", kKraTrunk),
         callType("03", "66    Start Sending MW Control Data"), ani("0890123")});
    row("trunk shorter than 20 characters", Kra,
        record("01" "20" "2" "021" "022" "123" "045" "BL" "023" "12" "\x03"), kKraCaption, E::Unchanged,
        {party(12, "Source/Destination (Trunk)", "|FPC=021|TN=022|RT=123|UGN=023|Blank=BL|TK=045|LGRT=12"),
         kNoCalling, kNoCalled, kNoExtended, kNoCallType, kNoAni});
    row("party section without data", Kra, record("03" "00" "\x03"), kKraCaption, E::Unchanged,
        {kNoSource, party(30, "Calling Party (Station)", "|FPC=|TN=|STN=|UGN=|TELN="), kNoCalled, kNoExtended,
         kNoCallType, kNoAni});
    row("second part of an area replaces the first", Kra,
        record("03" "34" KRA_STATION "03" "18" KRA_ATTENDANT "\x03"), kKraCaption, E::Unchanged,
        {kNoSource, party(31, "Calling Party (Attendant)", kKraAttendant), kNoCalled, kNoExtended,
         kNoCallType, kNoAni});
    row("ANI count 1 gives no digits", Kra, record("06" "03" "1" "01" "\x03"), kKraCaption, E::Unchanged,
        {kNoSource, kNoCalling, kNoCalled, kNoExtended, kNoCallType, ani("")});
    row("ANI shorter than its count", Kra, record("06" "05" "1" "09" "12" "\x03"), kKraCaption, E::Unchanged,
        {kNoSource, kNoCalling, kNoCalled, kNoExtended, kNoCallType, ani("12")});
    row("ANI not provided, count no number", Kra, record("06" "03" "0" "xx" "\x03"), kKraCaption,
        E::Unchanged, kAllEmpty);
}
// clang-format on

// clang-format off
void TestDecodeRecord::olvRecords_data()
{
    using E = ExpansionBox;
    addColumns();
    row("6 digit: station, attendant, trunk", Olv, record(OLV6_STATION "0724" OLV_ATTENDANT OLV_TRUNK "\x03"),
        kOlv6Caption, E::Cleared,
        {party(10, "Source/Destination (Station)", kOlv6Station),
         party(31, "Calling Party (Attendant)", kOlvAttendant),
         party(42, "Called Party (Trunk)", kOlvTrunk), kNoExtended,
         callType("07", "24    Tandem Transferring/Hold Entry"), kNoAni});
    row("6 digit: attendant, trunk, trunk/ANI", Olv,
        record(OLV_ATTENDANT "1015" OLV_TRUNK OLV_TRUNK_ANI "\x03"), kOlv6Caption, E::Cleared,
        {party(11, "Source/Destination (Attendant)", kOlvAttendant),
         party(32, "Calling Party (Trunk)", kOlvTrunk),
         party(43, "Called Party (Trunk/ANI)", kOlvTrunkAni), kNoExtended,
         callType("10", "15    Operator Call"), kNoAni});
    row("6 digit: trunk, trunk/ANI, station", Olv, record(OLV_TRUNK "2016" OLV_TRUNK_ANI OLV6_STATION "\x03"),
        kOlv6Caption, E::Cleared,
        {party(12, "Source/Destination (Trunk)", kOlvTrunk),
         party(33, "Calling Party (Trunk/ANI)", kOlvTrunkAni),
         party(40, "Called Party (Station)", kOlv6Station), kNoExtended, callType("20", "16    House phone"),
         kNoAni});
    row("6 digit: trunk/ANI, station, attendant", Olv,
        record(OLV_TRUNK_ANI "3017" OLV6_STATION OLV_ATTENDANT "\x03"), kOlv6Caption, E::Cleared,
        {party(13, "Source/Destination (Trunk/ANI)", kOlvTrunkAni),
         party(30, "Calling Party (Station)", kOlv6Station),
         party(41, "Called Party (Attendant)", kOlvAttendant), kNoExtended,
         callType("30", "17    Off-Hook Alarm"), kNoAni});
    row("6 digit from the serial line, blanks as dots", Olv,
        record("0" "01" "2000.." "0744" "1" "11" "07" "...." "0" "01" "3000.." "\x03"),
        kOlv6Caption, E::Cleared,
        {party(10, "Source/Destination (Station)", "|FPC=|TN=01|STN=2000..|UGN=|TELN="),
         party(31, "Calling Party (Attendant)", "|FPC=|TN=11|ATTN=07|UGN=|Blank=...."),
         party(40, "Called Party (Station)", "|FPC=|TN=01|STN=3000..|UGN=|TELN="), kNoExtended,
         callType("07", "44    STA/TRK via ATT"), kNoAni});
    row("8 digit: station, attendant, trunk", Olv,
        record(OLV8_STATION "0720" OLV_ATTENDANT PAD_CALLING OLV_TRUNK PAD "\x03"), kOlv8Caption, E::Checked,
        {party(10, "Source/Destination (Station)", kOlv8Station),
         party(31, "Calling Party (Attendant)", kOlvAttendant),
         party(42, "Called Party (Trunk)", kOlvTrunk), kNoExtended,
         callType("07", "20    Intercept Call to the Attendant"), kNoAni});
    row("8 digit: attendant, trunk, trunk/ANI", Olv,
        record(OLV_ATTENDANT PAD "0721" OLV_TRUNK PAD_CALLING OLV_TRUNK_ANI PAD "\x03"),
        kOlv8Caption, E::Checked,
        {party(11, "Source/Destination (Attendant)", kOlvAttendant),
         party(32, "Calling Party (Trunk)", kOlvTrunk),
         party(43, "Called Party (Trunk/ANI)", kOlvTrunkAni), kNoExtended,
         callType("07", "21    Call Transfer-Attendant"), kNoAni});
    row("8 digit: trunk, trunk/ANI, station of 8", Olv,
        record(OLV_TRUNK PAD "0722" OLV_TRUNK_ANI PAD_CALLING OLV8_STATION "\x03"), kOlv8Caption, E::Checked,
        {party(12, "Source/Destination (Trunk)", kOlvTrunk),
         party(33, "Calling Party (Trunk/ANI)", kOlvTrunkAni),
         party(40, "Called Party (Station)", kOlv8Station), kNoExtended,
         callType("07", "22    Recall from a Series Call"), kNoAni});
    row("8 digit: trunk/ANI, station of 16, attendant", Olv,
        record(OLV_TRUNK_ANI PAD "0723" OLV8_CALLING_STATION OLV_ATTENDANT PAD "\x03"),
        kOlv8Caption, E::Checked,
        {party(13, "Source/Destination (Trunk/ANI)", kOlvTrunkAni),
         party(30, "Calling Party (Station)", kOlv8CallingStation),
         party(41, "Called Party (Attendant)", kOlvAttendant),
         kNoExtended, callType("07", "23    Series Call Re-entry"), kNoAni});
    row("6 digit expanded: station, attendant, trunk, trunk/ANI, ANI", Olv,
        record(OLV6_STATION "0726" OLV_ATTENDANT OLV_TRUNK "#" OLV_TRUNK_ANI ANI_PROVIDED), kOlv6xCaption,
        E::Cleared,
        {party(10, "Source/Destination (Station)", kOlv6Station),
         party(31, "Calling Party (Attendant)", kOlvAttendant),
         party(42, "Called Party (Trunk)", kOlvTrunk),
         party(53, "Extended Calling Party (Trunk/ANI)", kOlvTrunkAni),
         callType("07", "26    Inter-Posistion Transfer"), ani("4940123456......................")});
    row("6 digit expanded: attendant, trunk, trunk/ANI, station, no ANI", Olv,
        record(OLV_ATTENDANT "0727" OLV_TRUNK OLV_TRUNK_ANI "\x03" OLV6_STATION ANI_ABSENT), kOlv6xCaption,
        E::Cleared,
        {party(11, "Source/Destination (Attendant)", kOlvAttendant),
         party(32, "Calling Party (Trunk)", kOlvTrunk),
         party(43, "Called Party (Trunk/ANI)", kOlvTrunkAni),
         party(50, "Extended Calling Party (Station)", kOlv6Station),
         callType("07", "27    CAS Incomming Call"), kNoAni});
    row("6 digit expanded: trunk, trunk/ANI, station, attendant, 32 digits", Olv,
        record(OLV_TRUNK "0730" OLV_TRUNK_ANI OLV6_STATION " " OLV_ATTENDANT ANI_FULL),
        kOlv6xCaption, E::Cleared,
        {party(12, "Source/Destination (Trunk)", kOlvTrunk),
         party(33, "Calling Party (Trunk/ANI)", kOlvTrunkAni),
         party(40, "Called Party (Station)", kOlv6Station),
         party(51, "Extended Calling Party (Attendant)", kOlvAttendant), callType("07", "30    LDN Call"),
         ani("12345678901234567890123456789012")});
    row("6 digit expanded: trunk/ANI, station, attendant, trunk, ANI flag 2", Olv,
        record(OLV_TRUNK_ANI "0736" OLV6_STATION OLV_ATTENDANT "0" OLV_TRUNK ANI_OTHER),
        kOlv6xCaption, E::Cleared,
        {party(13, "Source/Destination (Trunk/ANI)", kOlvTrunkAni),
         party(30, "Calling Party (Station)", kOlv6Station),
         party(41, "Called Party (Attendant)", kOlvAttendant),
         party(52, "Extended Calling Party (Trunk)", kOlvTrunk),
         callType("07", "36    Call Returned from Hold"), kNoAni});
    row("8 digit expanded: station, attendant, trunk, trunk/ANI, ANI", Olv,
        record(OLV8_STATION "0739" OLV_ATTENDANT PAD_CALLING OLV_TRUNK PAD
               "#" OLV_TRUNK_ANI PAD ANI_PROVIDED),
        kOlv8xCaption, E::Checked,
        {party(10, "Source/Destination (Station)", kOlv8Station),
         party(31, "Calling Party (Attendant)", kOlvAttendant),
         party(42, "Called Party (Trunk)", kOlvTrunk),
         party(53, "Extended Calling Party (Trunk/ANI)", kOlvTrunkAni),
         callType("07", "39    Stop Sending MW Control Data"), ani("4940123456......................")});
    row("8 digit expanded: attendant, trunk, trunk/ANI, station, no ANI", Olv,
        record(OLV_ATTENDANT PAD "0741" OLV_TRUNK PAD_CALLING OLV_TRUNK_ANI PAD "#" OLV8_STATION ANI_ABSENT),
        kOlv8xCaption, E::Checked,
        {party(11, "Source/Destination (Attendant)", kOlvAttendant),
         party(32, "Calling Party (Trunk)", kOlvTrunk),
         party(43, "Called Party (Trunk/ANI)", kOlvTrunkAni),
         party(50, "Extended Calling Party (Station)", kOlv8Station),
         callType("07", "41    Call Forwarding-Busy Line"), kNoAni});
    row("8 digit expanded: trunk, trunk/ANI, station, attendant, 32 digits", Olv,
        record(OLV_TRUNK PAD "0742" OLV_TRUNK_ANI PAD_CALLING OLV8_STATION "#" OLV_ATTENDANT PAD ANI_FULL),
        kOlv8xCaption, E::Checked,
        {party(12, "Source/Destination (Trunk)", kOlvTrunk),
         party(33, "Calling Party (Trunk/ANI)", kOlvTrunkAni),
         party(40, "Called Party (Station)", kOlv8Station),
         party(51, "Extended Calling Party (Attendant)", kOlvAttendant),
         callType("07", "42    Call Forwarding-All Calls"), ani("12345678901234567890123456789012")});
    row("8 digit expanded: trunk/ANI, station of 16, attendant, trunk, ANI flag 2", Olv,
        record(OLV_TRUNK_ANI PAD "0743" OLV8_CALLING_STATION OLV_ATTENDANT PAD "#" OLV_TRUNK PAD ANI_OTHER),
        kOlv8xCaption, E::Checked,
        {party(13, "Source/Destination (Trunk/ANI)", kOlvTrunkAni),
         party(30, "Calling Party (Station)", kOlv8CallingStation),
         party(41, "Called Party (Attendant)", kOlvAttendant),
         party(52, "Extended Calling Party (Trunk)", kOlvTrunk),
         callType("07", "43    Direct Call to UCD-Pilot"), kNoAni});
}
// clang-format on

// clang-format off
void TestDecodeRecord::refusedRecords_data()
{
    using E = ExpansionBox;
    const QStringList format = {"ERROR: Unknown or Corrupt ZKN Format! "};
    const QStringList sections = {"Error: Error # 9 was generated by ZKN-Control Tool"};
    const QStringList aniCount = {"Error: Error # 5 was generated by ZKN-Control Tool"};
    addColumns();
    row("OLV body of 31", Olv, record(OLV6_STATION "0724" OLV_ATTENDANT OLV_TRUNK), kUnchanged, E::Unchanged,
        kAllEmpty, format);
    row("OLV body of 33", Olv, record(OLV6_STATION "0724" OLV_ATTENDANT OLV_TRUNK "\x03\x03"), kUnchanged,
        E::Unchanged, kAllEmpty, format);
    row("OLV text without a body", Olv, "\x02", kUnchanged, E::Unchanged, kAllEmpty, format);
    row("OLV source kind 4", Olv, record("4" "01234567" "0724" OLV_ATTENDANT OLV_TRUNK "\x03"), kOlv6Caption,
        E::Cleared, kAllEmpty, {"ERROR: Unknown Source ID!"});
    row("OLV calling kind 9", Olv,
        record(OLV8_STATION "0724" "9" "11" "07" "BLNK" PAD_CALLING OLV_TRUNK PAD "\x03"),
        kOlv8Caption, E::Checked,
        {party(10, "Source/Destination (Station)", kOlv8Station), kNoCalling, kNoCalled, kNoExtended,
         callType("07", "24    Tandem Transferring/Hold Entry"), kNoAni},
        {"ERROR: Unknown Calling Party ID!"});
    row("OLV called kind 5 after an unknown call type", Olv,
        record(OLV6_STATION "0718" OLV_ATTENDANT "5" "01123045" "#" OLV_TRUNK_ANI ANI_PROVIDED),
        kOlv6xCaption,
        E::Cleared,
        {party(10, "Source/Destination (Station)", kOlv6Station),
         party(31, "Calling Party (Attendant)", kOlvAttendant),
         kNoCalled, kNoExtended, callType("07", "ERROR... Unknown Call Type!"), kNoAni},
        {"ERROR: Unknown Call Type", "ERROR: Unknown Called Party ID!"});
    row("OLV extended kind 7", Olv,
        record(OLV8_STATION "0724" OLV_ATTENDANT PAD_CALLING OLV_TRUNK PAD
               "#" "7" "31133046" PAD ANI_PROVIDED),
        kOlv8xCaption, E::Checked,
        {party(10, "Source/Destination (Station)", kOlv8Station),
         party(31, "Calling Party (Attendant)", kOlvAttendant),
         party(42, "Called Party (Trunk)", kOlvTrunk), kNoExtended,
         callType("07", "24    Tandem Transferring/Hold Entry"), kNoAni},
        {"ERROR: Unknown Extended Calling Party ID!"});
    row("KRA source kind 4", Kra,
        record("01" "18" "4" "011" "012" "07" "BLANK6" "013" "02" "04" "0724" "\x03"),
        kKraCaption, E::Unchanged, kAllEmpty, {"ERROR: Processing Source Information: ID=4"});
    row("KRA calling kind 5", Kra, record("01" "34" KRA_STATION "03" "02" "5" "x" "02" "04" "0724" "\x03"),
        kKraCaption, E::Unchanged,
        {party(10, "Source/Destination (Station)", kKraStation), kNoCalling, kNoCalled, kNoExtended,
         kNoCallType, kNoAni},
        {"ERROR: Processing Calling Party Information: ID=5"});
    row("KRA called kind 6", Kra, record("02" "04" "0724" "04" "01" "6" "01" "34" KRA_STATION "\x03"),
        kKraCaption, E::Unchanged,
        {kNoSource, kNoCalling, kNoCalled, kNoExtended,
         callType("07", "24    Tandem Transferring/Hold Entry"), kNoAni},
        {"ERROR: Processing Called Party Information: ID=6"});
    row("KRA extended kind 9", Kra, record("05" "01" "9" "\x03"), kKraCaption, E::Unchanged, kAllEmpty,
        {"ERROR: Processing Extended Calling Party Information: ID=9"});
    row("KRA seventh section", Kra,
        record("02" "04" "0724" "02" "04" "0724" "02" "04" "0724" "02" "04" "0724"
               "02" "04" "0724" "02" "04" "0724" "02" "04" "0724" "\x03"),
        kKraCaption, E::Unchanged, kAllEmpty, sections);
    row("KRA body of only the ETX", Kra, record("\x03"), kKraCaption, E::Unchanged, kAllEmpty, sections);
    row("KRA text without a body", Kra, "\x02", kKraCaption, E::Unchanged, kAllEmpty, sections);
    row("KRA section longer than the rest", Kra, record("02" "04" "0724" "03" "34" "0" "001" "\x03"),
        kKraCaption, E::Unchanged, kAllEmpty, sections);
    row("KRA ANI count no number", Kra, record("06" "03" "1" "xx" "02" "04" "0724" "\x03"), kKraCaption,
        E::Unchanged, kAllEmpty, aniCount);
    row("KRA ANI count 00 after the call type", Kra, record("02" "04" "0724" "06" "03" "1" "00" "\x03"),
        kKraCaption, E::Unchanged,
        {kNoSource, kNoCalling, kNoCalled, kNoExtended,
         callType("07", "24    Tandem Transferring/Hold Entry"), kNoAni},
        aniCount);
}
// clang-format on

// clang-format off
void TestDecodeRecord::lampAnswersLeaveTheWindowAlone_data()
{
    QTest::addColumn<RecordFormat>("format");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("KRA") << Kra << QByteArray("\x02" "0!A" "0" "\x03");
    QTest::newRow("OLV, a valid body after it") << Olv
                                                << QByteArray("\x02" "0!A" OLV6_STATION "0724" OLV_ATTENDANT
                                                              OLV_TRUNK "\x03");
}
// clang-format on

void TestDecodeRecord::lampAnswersLeaveTheWindowAlone()
{
    QFETCH(RecordFormat, format);
    QFETCH(QByteArray, text);
    const Breakdown breakdown = DecodeRecord(text, format);
    QVERIFY(!breakdown.windowCleared);
    QCOMPARE(breakdown.caption, QLatin1String(kUnchanged));
    QCOMPARE(describeAreas(breakdown), kAllEmpty);
    QVERIFY(breakdown.messages.isEmpty());
    QCOMPARE(breakdown.expansion, ExpansionBox::Unchanged);
}

QTEST_APPLESS_MAIN(TestDecodeRecord)
#include "tst_decode_record.moc"
