// The record finder of zkn-decode on its own: what counts as a call-information record in a log
// or capture, whole, split over two blocks at every place, and one byte at a time.
#include "record_finder.h"

#include <QTest>

using zkn::decodetool::RecordFinder;

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
    RecordFinder finder([&found](QByteArrayView text) { found.append(text.toByteArray()); });
    for (const QByteArrayView block : blocks)
        finder.feed(block);
    return found;
}

} // namespace

class TestZknDecodeFinder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void findsRecords_data();
    void findsRecords();
};

void TestZknDecodeFinder::findsRecords_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArrayList>("records");

    const QByteArray dotted = record("0!J0104....");
    const QByteArray blank = record("0!J0104    ");
    QTest::newRow("nothing") << QByteArray() << QByteArrayList{};
    QTest::newRow("one bare record") << dotted << QByteArrayList{dotted};
    QTest::newRow("between time stamps and line ends")
        << " ->:12:00:01: " + dotted + "\r\n<->:12:00:02: LINK CONNECTED...\r\n ->:12:00:03: " + blank +
               "\r\n"
        << QByteArrayList{dotted, blank};
    QTest::newRow("back to back") << dotted + blank << QByteArrayList{dotted, blank};
    QTest::newRow("body of the ETX alone") << record("0!J") << QByteArrayList{record("0!J")};
    QTest::newRow("Latin-1 bytes kept")
        << "x" + record("0!J\xe9\xff\x7f") << QByteArrayList{record("0!J\xe9\xff\x7f")};
    QTest::newRow("STX without a later ETX at the end")
        << dotted + "\r\n ->:12:00:04: " + kStx + "0!J0104" << QByteArrayList{dotted};
    QTest::newRow("STX without an ETX before the next record")
        << " ->: " + kStx + "0!J01\r\n ->: " + blank + "\r\n"
        << QByteArrayList{blank};
    QTest::newRow("ETX before STX") << kEtx + "0!J01" + kEtx + " " + dotted << QByteArrayList{dotted};
    QTest::newRow("lamp-control answer skipped")
        << record("0!A") + record("0!A00") + dotted << QByteArrayList{dotted};
    QTest::newRow("third header character not J")
        << record("0!K0104") + record("J 1") + record("0J!") + dotted << QByteArrayList{dotted};
    QTest::newRow("too short for a header") << record("0!") + record("") + kStx + kEtx << QByteArrayList{};
}

void TestZknDecodeFinder::findsRecords()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArrayList, records);

    QCOMPARE(findIn({input}), records);
    for (qsizetype at = 0; at <= input.size(); ++at) {
        const QByteArrayView whole(input);
        QVERIFY2(findIn({whole.first(at), whole.sliced(at)}) == records, qPrintable(QString::number(at)));
    }
    QList<QByteArrayView> bytes;
    for (qsizetype i = 0; i < input.size(); ++i)
        bytes.append(QByteArrayView(input).sliced(i, 1));
    QCOMPARE(findIn(bytes), records);
}

QTEST_APPLESS_MAIN(TestZknDecodeFinder)
#include "tst_zkn_decode_finder.moc"
