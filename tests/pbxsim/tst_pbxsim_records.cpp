// Every catalogue record against its layout, measured field by field from the layout tables.
#include "pbxsim/record_catalogue.h"

#include <QSet>
#include <QTest>

using namespace zkn::pbxsim;

Q_DECLARE_METATYPE(zkn::pbxsim::RecordLayout)

namespace {

// Characters of a party's data after its kind in the sectioned layout: station, attendant,
// trunk, trunk with ANI.
constexpr int kSectionedPartyWidth[] = {33, 17, 20, 20};

struct FixedLayout
{
    int bodyLength;
    QList<int> kindPositions; // 1-based, within the body
};

FixedLayout fixedLayout(RecordLayout layout)
{
    switch (layout) {
    case RecordLayout::Olv6:
        return {32, {1, 14, 23}};
    case RecordLayout::Olv8:
        return {46, {1, 16, 35}};
    case RecordLayout::Olv6Expanded:
        return {76, {1, 14, 23, 33}};
    case RecordLayout::Olv8Expanded:
        return {92, {1, 16, 35, 47}};
    case RecordLayout::Kra:
        break;
    }
    return {};
}

int kindAt(const QByteArray& text, qsizetype index)
{
    const char c = text.at(index);
    return c >= '0' && c <= '3' ? c - '0' : -1;
}

struct Section
{
    QByteArray id;
    QByteArray data;
};

// Cuts a sectioned body by its length fields; fails the test when they do not add up.
QList<Section> sections(const QByteArray& body)
{
    QList<Section> cut;
    qsizetype at = 0;
    while (at + 4 <= body.size() - 1) {
        const int length = body.mid(at + 2, 2).toInt();
        cut.append({body.mid(at, 2), body.mid(at + 4, length)});
        at += 4 + length;
    }
    if (at != body.size() - 1)
        cut.clear();
    return cut;
}

int expectedSectionLength(const Section& section)
{
    const int id = section.id.toInt();
    if (id == 2)
        return 4;
    if (id == 6)
        return 3 + section.data.mid(1, 2).toInt() - 1;
    const int kind = kindAt(section.data, 0);
    return kind < 0 ? -1 : 1 + kSectionedPartyWidth[kind];
}

} // namespace

class TestRecordCatalogue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void eachRecordHasTheLengthOfItsLayout_data();
    void eachRecordHasTheLengthOfItsLayout();
    void sectionedRecordsCoverEverySectionAndPartyKind();
    void fixedRecordsCoverEveryPartyKind_data();
    void fixedRecordsCoverEveryPartyKind();
};

void TestRecordCatalogue::eachRecordHasTheLengthOfItsLayout_data()
{
    QTest::addColumn<RecordLayout>("layout");
    QTest::addColumn<QByteArray>("text");
    for (const CatalogueRecord& record : recordCatalogue())
        QTest::newRow(qPrintable(record.description)) << record.layout << record.text;
}

void TestRecordCatalogue::eachRecordHasTheLengthOfItsLayout()
{
    QFETCH(RecordLayout, layout);
    QFETCH(QByteArray, text);

    QCOMPARE(text.front(), '\x02');
    QCOMPARE(text.back(), '\x03');
    QCOMPARE(text.mid(1, 3), QByteArray("0!J"));
    // A serial receiver ends a record at its first ETX.
    QVERIFY(!text.mid(1, text.size() - 2).contains('\x02'));
    QVERIFY(!text.mid(1, text.size() - 2).contains('\x03'));

    const QByteArray body = text.mid(4);
    if (layout != RecordLayout::Kra) {
        const FixedLayout fixed = fixedLayout(layout);
        QCOMPARE(text.size(), 4 + fixed.bodyLength);
        for (const int position : fixed.kindPositions)
            QVERIFY2(kindAt(body, position - 1) >= 0, qPrintable(QString::number(position)));
        return;
    }
    const QList<Section> cut = sections(body);
    QVERIFY(!cut.isEmpty() && cut.size() <= 6);
    for (const Section& section : cut) {
        QVERIFY2(section.id >= "01" && section.id <= "06", section.id.constData());
        QCOMPARE(section.data.size(), expectedSectionLength(section));
    }
}

void TestRecordCatalogue::sectionedRecordsCoverEverySectionAndPartyKind()
{
    QSet<QByteArray> ids;
    QSet<QByteArray> partyKinds; // section id + kind, e.g. "032"
    for (const QByteArray& text : catalogueTexts(RecordLayout::Kra)) {
        for (const Section& section : sections(text.mid(4))) {
            ids.insert(section.id);
            if (section.id != "02" && section.id != "06")
                partyKinds.insert(section.id + section.data.left(1));
        }
    }
    QCOMPARE(ids, (QSet<QByteArray>{"01", "02", "03", "04", "05", "06"}));
    for (const char* id : {"01", "03", "04", "05"}) {
        for (const char* kind : {"0", "1", "2", "3"})
            QVERIFY2(partyKinds.contains(QByteArray(id) + kind), id);
    }
}

void TestRecordCatalogue::fixedRecordsCoverEveryPartyKind_data()
{
    QTest::addColumn<RecordLayout>("layout");
    QTest::newRow("olv6") << RecordLayout::Olv6;
    QTest::newRow("olv8") << RecordLayout::Olv8;
    QTest::newRow("olv6x") << RecordLayout::Olv6Expanded;
    QTest::newRow("olv8x") << RecordLayout::Olv8Expanded;
}

void TestRecordCatalogue::fixedRecordsCoverEveryPartyKind()
{
    QFETCH(RecordLayout, layout);
    QSet<int> kinds;
    const QList<QByteArray> texts = catalogueTexts(layout);
    QVERIFY(!texts.isEmpty());
    for (const QByteArray& text : texts) {
        for (const int position : fixedLayout(layout).kindPositions)
            kinds.insert(kindAt(text.mid(4), position - 1));
    }
    QCOMPARE(kinds, (QSet<int>{0, 1, 2, 3}));
}

QTEST_APPLESS_MAIN(TestRecordCatalogue)
#include "tst_pbxsim_records.moc"
