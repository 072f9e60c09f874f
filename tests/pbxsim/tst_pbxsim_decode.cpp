// The simulator's records through the tool's decoder: every one decodes without a message box,
// and the ANI numbers come out whole.
#include "decode/decode_record.h"
#include "pbxsim/record_catalogue.h"

#include <QTest>

using zkn::decode::Area;
using zkn::decode::Breakdown;
using zkn::decode::DecodeRecord;
using zkn::decode::RecordFormat;
using zkn::pbxsim::CatalogueRecord;
using zkn::pbxsim::RecordLayout;

Q_DECLARE_METATYPE(zkn::pbxsim::RecordLayout)

namespace {

Breakdown decode(const CatalogueRecord& record)
{
    return DecodeRecord(record.text,
                        record.layout == RecordLayout::Kra ? RecordFormat::Kra : RecordFormat::Olv);
}

} // namespace

class TestPbxsimDecode : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyRecordDecodes_data();
    void everyRecordDecodes();
    void aniNumbersDecodeWhole();
};

void TestPbxsimDecode::everyRecordDecodes_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    const QMap<RecordLayout, QString> captions = {
        {RecordLayout::Kra, "Format Message Information (KRA)"},
        {RecordLayout::Olv6, "Format Message Information (OLV - 6 digit)"},
        {RecordLayout::Olv8, "Format Message Information (OLV - 8 digit)"},
        {RecordLayout::Olv6Expanded, "Format Message Information (OLV - 6 digit Expanded)"},
        {RecordLayout::Olv8Expanded, "Format Message Information (OLV - 8 digit Expanded)"},
    };
    const QList<CatalogueRecord>& catalogue = zkn::pbxsim::recordCatalogue();
    for (int i = 0; i < catalogue.size(); ++i)
        QTest::newRow(qPrintable(catalogue[i].description)) << i << captions.value(catalogue[i].layout);
}

void TestPbxsimDecode::everyRecordDecodes()
{
    QFETCH(int, index);
    const Breakdown breakdown = decode(zkn::pbxsim::recordCatalogue().at(index));
    QVERIFY2(breakdown.messages.isEmpty(), qPrintable(breakdown.messages.value(0).text));
    QVERIFY(breakdown.windowCleared);
    QTEST(breakdown.caption, "caption");
    QVERIFY(!breakdown.area(Area::SourceDestination).plain);
    QVERIFY(!breakdown.area(Area::CallType).plain);
}

void TestPbxsimDecode::aniNumbersDecodeWhole()
{
    QStringList numbers;
    for (const CatalogueRecord& record : zkn::pbxsim::recordCatalogue()) {
        const Breakdown breakdown = decode(record);
        if (!breakdown.area(Area::Ani).plain)
            numbers.append(breakdown.area(Area::Ani).boxes.value(0).text);
    }
    const QStringList expected = {"4940123456", "0890123", "4940123456" + QString(22, ' '),
                                  "4940987654321" + QString(19, ' ')};
    QCOMPARE(numbers, expected);
}

QTEST_APPLESS_MAIN(TestPbxsimDecode)
#include "tst_pbxsim_decode.moc"
