// SPDX-License-Identifier: GPL-3.0-or-later
// Records of every layout decoded into what the breakdown window shows, every box's text written
// out from the field tables; the records the decoder refuses; how the fields read as numbers.
#include "decode/decode_record.h"
#include "decode/decoding_boxes.h"
#include "text/numeric_prefix.h"
#include "text/rounded_number.h"

#include <QTest>

#include <limits>

using namespace zkn::decode;

Q_DECLARE_METATYPE(zkn::decode::RecordFormat)

// clang-format off
// Party data, kind first. KRA station FPC TN STN UGN TELN, attendant FPC TN ATTN Blank UGN,
// trunk FPC TN RT TK Blank UGN LGRT.
#define KRA_STATION "0" "001" "002" "12345678" "003" "0123456789012345"
#define KRA_ATTENDANT "1" "011" "012" "07" "BLANK6" "013"
#define KRA_TRUNK "2" "021" "022" "123" "045" "BL" "023" "124"
#define KRA_TRUNK_ANI "3" "031" "032" "133" "046" "bl" "033" "134"
// The same as the data of a section: its length first.
#define K_S "34" KRA_STATION
#define K_A "18" KRA_ATTENDANT
#define K_T "21" KRA_TRUNK
#define K_TA "21" KRA_TRUNK_ANI
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
#define ANI_OTHER "2" "12345678901234567890123456789012" " " "\x03"
// clang-format on

namespace {

using enum RecordFormat;

const char kUnchanged[] = "Format Message Information - ZKN-Tool";
const char kKraCaption[] = "Format Message Information (KRA)";
const char kOlv6Caption[] = "Format Message Information (OLV - 6 digit)";
const char kOlv8Caption[] = "Format Message Information (OLV - 8 digit)";
const char kOlv6xCaption[] = "Format Message Information (OLV - 6 digit Expanded)";
const char kOlv8xCaption[] = "Format Message Information (OLV - 8 digit Expanded)";

const QString kKraS = "|FPC=001|TN=002|STN=12345678|UGN=003|TELN=0123456789012345";
const QString kKraA = "|FPC=011|TN=012|ATTN=07|UGN=013|Blank=BLANK6";
const QString kKraT = "|FPC=021|TN=022|RT=123|UGN=023|Blank=BL|TK=045|LGRT=124";
const QString kKraTA = "|FPC=031|TN=032|RT=133|UGN=033|Blank=bl|TK=046|LGRT=134";
const QString kOlv6S = "|FPC=|TN=01|STN=234567|UGN=|TELN=";
const QString kOlv8S = "|FPC=|TN=01|STN=23456789|UGN=|TELN=";
const QString kOlv16S = "|FPC=|TN=01|STN=2345678901234567|UGN=|TELN=";
const QString kOlvA = "|FPC=|TN=11|ATTN=07|UGN=|Blank=BLNK";
const QString kOlvT = "|FPC=|TN=01|RT=123|UGN=|Blank=|TK=045|LGRT=";
const QString kOlvTA = "|FPC=|TN=31|RT=133|UGN=|Blank=|TK=046|LGRT=";

// The caption of sub-frame 10 x part + kind: the part's name, the kind in brackets.
QString partyCaption(int subFrame)
{
    static const QStringList parts = {
        {}, "Source/Destination", {}, "Calling Party", "Called Party", "Extended Calling Party"};
    static const QStringList kinds = {"Station", "Attendant", "Trunk", "Trunk/ANI"};
    if (subFrame == 0 || subFrame == 61)
        return subFrame ? QStringLiteral("ANI (Provided)") : QStringLiteral("Call Type/Loop Number");
    return parts.value(subFrame / 10) + " (" + kinds.value(subFrame % 10) + ')';
}

// The areas in record order, each with the caption of its plain frame.
// clang-format off
const std::pair<Area, const char*> kAreas[] = {
    {Area::SourceDestination, "Source/Destination "}, {Area::CallingParty, "Calling Party "},
    {Area::CalledParty, "Called Party "}, {Area::ExtendedCallingParty, "Extended Calling Party "},
    {Area::CallType, "Call Type/Loop Number"}, {Area::Ani, "ANI "}};
// clang-format on

const auto record = [](const QByteArray& body) { return QByteArray(1, '\x02') + "0!J" + body; };

const auto callType = [](const char* loop, const char* text) {
    return QString("0|Loop No.=%1|Call Type=%2").arg(loop, text);
};
const auto ani = [](const char* number) { return QStringLiteral("61|ANI=") + number; };

// An area as "<sub-frame>|label=text..."; empty while its plain frame is in front. A caption
// other than its sub-frame's shows in brackets.
QString describe(const AreaView& view, const char* plainCaption)
{
    const QString caption = view.plain ? QLatin1String(plainCaption) : partyCaption(view.subFrame);
    QString text = view.caption == caption ? QString() : '[' + view.caption + ']';
    if (view.plain)
        return text + (view.subFrame || !view.boxes.isEmpty() ? "plain, yet filled" : "");
    text += QString::number(view.subFrame);
    for (const BoxText& box : view.boxes)
        text += QLatin1Char('|') + box.label + QLatin1Char('=') + box.text;
    return text;
}

// caption nullptr: the text is no record, and the window is left as it was.
void row(const char* name, RecordFormat format, const QByteArray& text, const char* caption,
         const QStringList& areas, const QStringList& messages = {})
{
    QTest::newRow(name) << format << text << QString::fromLatin1(caption) << areas << messages;
}

// clang-format off
const char* const kCallTypes[] = {
    "10    Automatic Recall", "11    Attendant Camp-On", "12    Call Forwarding-Don't Answer",
    "13    Call Forwarding-Busy Line", "14    Call Forwarding-All Calls", "15    Operator Call",
    "16    House phone", "17    Off-Hook Alarm", "20    Intercept Call to the Attendant",
    "21    Call Transfer-Attendant", "22    Recall from a Series Call", "23    Series Call Re-entry",
    "24    Tandem Transferring/Hold Entry", "26    Inter-Posistion Transfer", "27    CAS Incomming Call",
    "30    LDN Call", "36    Call Returned from Hold", "39    Stop Sending MW Control Data",
    "40    Call Forwarding-Don't Answer", "41    Call Forwarding-Busy Line", "42    Call Forwarding-All Calls",
    "43    Direct Call to UCD-Pilot", "44    STA/TRK via ATT", "45    Transfer to UCD Pilot Station",
    "66    Start Sending MW Control Data"};
// clang-format on

} // namespace

class TestDecodeRecord : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A record's boxes all show; the faults of records decoded while any of them is open are
    // counted, and said in one box once the last of them is closed.
    void decodingBoxesComeOneRecordAtATime()
    {
        zkn::decode::DecodingBoxes boxes;
        const zkn::Operator::Message a{
            QStringLiteral("A"), zkn::Operator::Icon::Critical, {}, QStringLiteral("ERROR")};
        const zkn::Operator::Message b{
            QStringLiteral("B"), zkn::Operator::Icon::Critical, {}, QStringLiteral("ERROR")};
        QVERIFY(boxes.admit({}));
        QVERIFY(boxes.admit({a, b}));
        QVERIFY(!boxes.admit({b}));
        QVERIFY(!boxes.admit({a}));
        QVERIFY(!boxes.closed());
        const std::optional<zkn::Operator::Message> count = boxes.closed();
        QVERIFY(count);
        QCOMPARE(count->text,
                 QStringLiteral("A\r\n\r\n2 more decoding errors came while the box was open; the "
                                "terminal lists them."));
        QCOMPARE(count->title, QStringLiteral("ERROR"));
        QVERIFY(!boxes.admit({b}));
        const std::optional<zkn::Operator::Message> one = boxes.closed();
        QVERIFY(one &&
                one->text.endsWith(QStringLiteral("1 more decoding error came while the box was open; the "
                                                  "terminal lists them.")));
        QVERIFY(!boxes.closed());
        QVERIFY(boxes.admit({a}));
    }

    void records_data();
    void records()
    {
        QFETCH(RecordFormat, format);
        QFETCH(QByteArray, text);
        QFETCH(QString, caption);
        const Breakdown breakdown = DecodeRecord(text, format);
        QCOMPARE(breakdown.windowCleared, !caption.isNull());
        const QString expected = caption.isNull() ? QLatin1String(kUnchanged) : caption;
        QCOMPARE(breakdown.caption, expected);
        // Only the OLV layouts set the expansion box: on for 8 digits, off for 6.
        QCOMPARE(breakdown.expansion, expected.contains("8 digit")   ? ExpansionBox::Checked
                                      : expected.contains("6 digit") ? ExpansionBox::Cleared
                                                                     : ExpansionBox::Unchanged);
        QStringList areas;
        for (const auto& [area, plainCaption] : kAreas)
            areas.append(describe(breakdown.area(area), plainCaption));
        QTEST(areas, "areas");
        // "title: text" up to the text's first line break, each box critical with an OK button.
        QStringList messages;
        for (const zkn::Operator::Message& message : breakdown.messages) {
            messages.append(message.title + QStringLiteral(": ") +
                            message.text.section(QLatin1Char('\r'), 0, 0));
            QCOMPARE(message.icon, zkn::Operator::Icon::Critical);
            QCOMPARE(message.buttons, zkn::Operator::Buttons::Ok);
        }
        QTEST(messages, "messages");
    }
    // Both readings skip blanks and end at the first other non-digit, and both stop at the largest
    // whole number; only the rounded one takes a decimal point, its fraction rounding half to even.
    void numbers_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<int>("rounded");
        QTest::addColumn<int>("leading");
        const int max = std::numeric_limits<int>::max();
        // clang-format off
        const std::tuple<const char*, int, int> cases[] = {
            {"", 0, 0}, {"34", 34, 34}, {"07", 7, 7}, {" 1 2 ", 12, 12}, {"\t1\t2", 0, 12}, {"  ", 0, 0},
            {"12x3", 12, 12}, {"x12", 0, 0}, {"-5", 0, 0}, {"\x03", 0, 0}, {".", 0, 0}, {"..", 0, 0},
            {"5.", 5, 5}, {"1.2.9", 1, 1}, {"1..5", 1, 1}, {"2.49", 2, 2}, {"2.51", 3, 2}, {"2.5", 2, 2},
            {"3.5", 4, 3}, {".5", 0, 0}, {"4.500", 4, 4}, {"4.5001", 5, 4}, {".6", 1, 0}, {"4 . 6", 5, 4},
            {"1952257870", 1952257870, 1952257870}, {"2147483640", 2147483640, 2147483640},
            {"2147483647", max, max}, {"2147483648", max, max}, {"2147483650", max, max},
            {"99999999999", max, max}, {"2147483647.5", max, max}};
        // clang-format on
        for (const auto& [field, rounded, leading] : cases)
            QTest::addRow("\"%s\"", field) << QByteArray(field) << rounded << leading;
    }
    void numbers()
    {
        QFETCH(QByteArray, field);
        QTEST(zkn::text::roundedNumber(field), "rounded");
        QTEST(zkn::text::leadingNumber(field), "leading");
    }
};

// Rows name the parties in order: S station, A attendant, T trunk, TA trunk with ANI.
// clang-format off
void TestDecodeRecord::records_data()
{
    QTest::addColumn<RecordFormat>("format");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("areas"); // source, calling, called, extended, call type, ANI
    QTest::addColumn<QStringList>("messages");
    // The call-type box for a known code, the loop number as received.
    const auto ct = [](const char* code, const char* loop = "07") {
        for (const char* text : kCallTypes)
            if (qstrncmp(text, code, 2) == 0)
                return callType(loop, text);
        return QString();
    };
    const QString tandem = ct("24");
    const QString aniProvided = ani("4940123456......................");
    const auto kra = [](const char* name, const QByteArray& body, const QStringList& areas,
                        const QStringList& messages = {}) {
        row(name, Kra, record(body), kKraCaption, areas, messages);
    };
    const auto olv = [](const char* name, const char* caption, const QByteArray& body, const QStringList& areas,
                        const QStringList& messages = {}) {
        row(name, Olv, record(body), caption, areas, messages);
    };

    kra("KRA: S A T TA",
        "01" K_S "02" "04" "0724" "03" K_A "04" K_T "05" K_TA "06" "13" "1" "11" "4940123456" "\x03",
        {"10" + kKraS, "31" + kKraA, "42" + kKraT, "53" + kKraTA, tandem, ani("4940123456")});
    kra("KRA: A T TA S, 07 skipped",
        "01" K_A "07" "02" "xx" "03" K_T "04" K_TA "05" K_S "02" "04" "1240" "\x03",
        {"11" + kKraA, "32" + kKraT, "43" + kKraTA, "50" + kKraS, ct("40", "12"), ""});
    kra("KRA: T TA S A, any order",
        "06" "03" "0" "11" "05" K_A "04" K_S "03" K_TA "01" K_T "02" "04" "0512" "\x03",
        {"12" + kKraT, "33" + kKraTA, "40" + kKraS, "51" + kKraA, ct("12", "05"), ""});
    kra("KRA: TA S A T, short ANI",
        "01" K_TA "02" "04" "0366" "03" K_S "04" K_A "05" K_T "06" "10" "1" "08" "0890123" "\x03",
        {"13" + kKraTA, "30" + kKraS, "41" + kKraA, "52" + kKraT, ct("66", "03"), ani("0890123")});
    kra("KRA: trunk of 19", "01" "20" "2" "021" "022" "123" "045" "BL" "023" "12" "\x03",
        {"12|FPC=021|TN=022|RT=123|UGN=023|Blank=BL|TK=045|LGRT=12", "", "", "", "", ""});
    kra("KRA: party section without data", "03" "00" "\x03",
        {"", "30|FPC=|TN=|STN=|UGN=|TELN=", "", "", "", ""});
    kra("KRA: ANI count 1 gives no digits", "06" "03" "1" "01" "\x03", {"", "", "", "", "", ani("")});
    kra("KRA: ANI shorter than its count", "06" "05" "1" "09" "12" "\x03", {"", "", "", "", "", ani("12")});
    kra("KRA: data after the fields",
        "01" "35" KRA_STATION "#" "03" "19" KRA_ATTENDANT "#" "04" "22" KRA_TRUNK "#" "\x03",
        {"10" + kKraS, "31" + kKraA, "42" + kKraT, "", "", ""});
    kra("KRA: call type of 5", "02" "05" "07245" "\x03", {"", "", "", "", tandem, ""});
    kra("KRA: ANI beyond its count", "06" "10" "1" "05" "1234567" "02" "04" "0724" "\x03",
        {"", "", "", "", tandem, ani("1234")});

    olv("6: S A T", kOlv6Caption, OLV6_STATION "0724" OLV_ATTENDANT OLV_TRUNK "\x03",
        {"10" + kOlv6S, "31" + kOlvA, "42" + kOlvT, "", tandem, ""});
    olv("8: T TA S", kOlv8Caption, OLV_TRUNK PAD "0722" OLV_TRUNK_ANI PAD_CALLING OLV8_STATION "\x03",
        {"12" + kOlvT, "33" + kOlvTA, "40" + kOlv8S, "", ct("22"), ""});
    olv("8: TA S16 A", kOlv8Caption, OLV_TRUNK_ANI PAD "0723" OLV8_CALLING_STATION OLV_ATTENDANT PAD "\x03",
        {"13" + kOlvTA, "30" + kOlv16S, "41" + kOlvA, "", ct("23"), ""});
    olv("6x: S A T TA, ANI", kOlv6xCaption,
        OLV6_STATION "0726" OLV_ATTENDANT OLV_TRUNK "#" OLV_TRUNK_ANI ANI_PROVIDED,
        {"10" + kOlv6S, "31" + kOlvA, "42" + kOlvT, "53" + kOlvTA, ct("26"), aniProvided});
    olv("6x: TA S A T, flag 2", kOlv6xCaption,
        OLV_TRUNK_ANI "0736" OLV6_STATION OLV_ATTENDANT "0" OLV_TRUNK ANI_OTHER,
        {"13" + kOlvTA, "30" + kOlv6S, "41" + kOlvA, "52" + kOlvT, ct("36"), ""});
    olv("8x: S A T TA, ANI", kOlv8xCaption,
        OLV8_STATION "0739" OLV_ATTENDANT PAD_CALLING OLV_TRUNK PAD "#" OLV_TRUNK_ANI PAD ANI_PROVIDED,
        {"10" + kOlv8S, "31" + kOlvA, "42" + kOlvT, "53" + kOlvTA, ct("39"), aniProvided});
    olv("8x: TA S16 A T, flag 2", kOlv8xCaption,
        OLV_TRUNK_ANI PAD "0743" OLV8_CALLING_STATION OLV_ATTENDANT PAD "#" OLV_TRUNK PAD ANI_OTHER,
        {"13" + kOlvTA, "30" + kOlv16S, "41" + kOlvA, "52" + kOlvT, ct("43"), ""});

    // Every known call type, its code the text's first two characters; the loop as received.
    for (const char* text : kCallTypes)
        olv(text, kOlv6Caption, OLV6_STATION "07" + QByteArray(text, 2) + OLV6_STATION OLV6_STATION "\x03",
            {"10" + kOlv6S, "30" + kOlv6S, "40" + kOlv6S, "", callType("07", text), ""});
    // An unknown code is told once; the rest of the record is still decoded.
    const QString unknownType = callType("07", "ERROR... Unknown Call Type!");
    for (const char* part : {"0718", "0719", "0725", "07  ", "07..", "0700", "0709", "0728", "0746", "0765",
                             "0767", "0799", "07x4", "071."})
        olv(part, kOlv6Caption, OLV6_STATION + QByteArray(part) + OLV6_STATION OLV6_STATION "\x03",
            {"10" + kOlv6S, "30" + kOlv6S, "40" + kOlv6S, "", unknownType, ""}, {"ERROR: Unknown Call Type"});

    // Refused.
    const QStringList none = {"", "", "", "", "", ""};
    const QStringList format = {"ERROR: Unknown or Corrupt ZKN Format! "};
    const QStringList sections = {"Error: Error # 9 was generated by ZKN-Control Tool"};
    const QStringList aniCount = {"Error: Error # 5 was generated by ZKN-Control Tool"};
    olv("OLV body of 31", kUnchanged, OLV6_STATION "0724" OLV_ATTENDANT OLV_TRUNK, none, format);
    olv("OLV body of 33", kUnchanged, OLV6_STATION "0724" OLV_ATTENDANT OLV_TRUNK "\x03\x03", none, format);
    row("OLV text without a body", Olv, "\x02", kUnchanged, none, format);
    olv("OLV called kind 5, unknown call type", kOlv6xCaption,
        OLV6_STATION "0718" OLV_ATTENDANT "5" "01123045" "#" OLV_TRUNK_ANI ANI_PROVIDED,
        {"10" + kOlv6S, "31" + kOlvA, "", "", unknownType, ""},
        {"ERROR: Unknown Call Type", "ERROR: Unknown Called Party ID!"});
    kra("KRA called kind 6", "02" "04" "0724" "04" "01" "6" "01" K_S "\x03", {"", "", "", "", tandem, ""},
        {"ERROR: Processing Called Party Information: ID=6"});
    kra("KRA seventh section",
        "02" "04" "0724" "02" "04" "0724" "02" "04" "0724" "02" "04" "0724" "02" "04" "0724" "02" "04" "0724"
        "02" "04" "0724" "\x03", none, sections);
    kra("KRA body of only the ETX", "\x03", none, sections);
    row("KRA text without a body", Kra, "\x02", kKraCaption, none, sections);
    kra("KRA section longer than the rest", "02" "04" "0724" "03" "34" "0" "001" "\x03", none, sections);
    kra("KRA ANI count no number", "06" "03" "1" "xx" "02" "04" "0724" "\x03", none, aniCount);

    // A lamp-control answer is no record, whatever follows its header.
    row("KRA lamp answer", Kra, "\x02" "0!A" "0" "\x03", nullptr, none);
}
// clang-format on

QTEST_APPLESS_MAIN(TestDecodeRecord)
#include "tst_decode_record.moc"
