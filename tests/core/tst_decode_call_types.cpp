// The call-type table: every known code's text, and unknown codes reported once per record.
#include "decode/decode_record.h"
#include "decode_expectations.h"

#include <QTest>

using namespace zkn::decode;

namespace {

// A plain 6 digit record around the four-character call-type part; stations in every party.
QByteArray olvRecord(const QByteArray& callTypePart)
{
    return QByteArray("\x02") + "0!J" + "001234567" + callTypePart + "001234567" + "001234567" + "\x03";
}

} // namespace

class TestDecodeCallTypes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void knownCodes_data();
    void knownCodes();
    void unknownCodes_data();
    void unknownCodes();
    void unknownCodeInAKraRecord();
};

void TestDecodeCallTypes::knownCodes_data()
{
    QTest::addColumn<QByteArray>("part");
    QTest::addColumn<QString>("expected");
    const char* const texts[] = {
        "10    Automatic Recall",
        "11    Attendant Camp-On",
        "12    Call Forwarding-Don't Answer",
        "13    Call Forwarding-Busy Line",
        "14    Call Forwarding-All Calls",
        "15    Operator Call",
        "16    House phone",
        "17    Off-Hook Alarm",
        "20    Intercept Call to the Attendant",
        "21    Call Transfer-Attendant",
        "22    Recall from a Series Call",
        "23    Series Call Re-entry",
        "24    Tandem Transferring/Hold Entry",
        "26    Inter-Posistion Transfer",
        "27    CAS Incomming Call",
        "30    LDN Call",
        "36    Call Returned from Hold",
        "39    Stop Sending MW Control Data",
        "40    Call Forwarding-Don't Answer",
        "41    Call Forwarding-Busy Line",
        "42    Call Forwarding-All Calls",
        "43    Direct Call to UCD-Pilot",
        "44    STA/TRK via ATT",
        "45    Transfer to UCD Pilot Station",
        "66    Start Sending MW Control Data",
    };
    // The code is the text's first two characters; the loop number is shown as received.
    for (const char* text : texts) {
        const QByteArray code = QByteArray(text, 2);
        QTest::newRow(text) << "07" + code << QString::fromLatin1(text);
    }
    QTest::newRow("loop of dots") << QByteArray("..24") << "24    Tandem Transferring/Hold Entry";
}

void TestDecodeCallTypes::knownCodes()
{
    QFETCH(QByteArray, part);
    QFETCH(QString, expected);
    const Breakdown breakdown = DecodeRecord(olvRecord(part), RecordFormat::Olv);
    QCOMPARE(decode_test::describe(breakdown.area(Area::CallType)),
             "Call Type/Loop Number|Loop No.=" + QString::fromLatin1(part.left(2)) +
                 "|Call Type=" + expected);
    QVERIFY(breakdown.messages.isEmpty());
}

void TestDecodeCallTypes::unknownCodes_data()
{
    QTest::addColumn<QByteArray>("part");
    for (const char* part : {"0718", "0719", "0725", "07  ", "07..", "0700", "0709", "0728", "0746", "0765",
                             "0767", "0799", "07x4", "071."})
        QTest::newRow(part) << QByteArray(part);
}

void TestDecodeCallTypes::unknownCodes()
{
    QFETCH(QByteArray, part);
    const Breakdown breakdown = DecodeRecord(olvRecord(part), RecordFormat::Olv);
    QCOMPARE(decode_test::describe(breakdown.area(Area::CallType)),
             "Call Type/Loop Number|Loop No.=07|Call Type=ERROR... Unknown Call Type!");
    QCOMPARE(decode_test::describeMessages(breakdown), QStringList{"ERROR: Unknown Call Type"});
    // The rest of the record is still decoded.
    QCOMPARE(breakdown.area(Area::CalledParty).subFrame, 40);
}

void TestDecodeCallTypes::unknownCodeInAKraRecord()
{
    const QByteArray text = QByteArray("\x02") + "0!J" + "0204" + "0519" + "\x03"; // section 02, length 04
    const Breakdown breakdown = DecodeRecord(text, RecordFormat::Kra);
    QCOMPARE(decode_test::describe(breakdown.area(Area::CallType)),
             "Call Type/Loop Number|Loop No.=05|Call Type=ERROR... Unknown Call Type!");
    QCOMPARE(decode_test::describeMessages(breakdown), QStringList{"ERROR: Unknown Call Type"});
}

QTEST_APPLESS_MAIN(TestDecodeCallTypes)
#include "tst_decode_call_types.moc"
