// How the fields of a call-information record read as numbers: kinds, lengths, counts, codes.
#include "text/rounded_number.h"

#include <QTest>

#include <limits>

class TestDecodeNumberReading : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundedNumber_data();
    void roundedNumber();
};

void TestDecodeNumberReading::roundedNumber_data()
{
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<int>("expected");
    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("digits") << QByteArray("34") << 34;
    QTest::newRow("leading zero") << QByteArray("07") << 7;
    QTest::newRow("blanks anywhere") << QByteArray(" 1 2 ") << 12;
    QTest::newRow("two blanks") << QByteArray("  ") << 0;
    QTest::newRow("stops at a letter") << QByteArray("12x3") << 12;
    QTest::newRow("letter first") << QByteArray("x12") << 0;
    QTest::newRow("sign is no digit") << QByteArray("-5") << 0;
    QTest::newRow("ETX") << QByteArray("\x03") << 0;
    QTest::newRow("one dot") << QByteArray(".") << 0;
    QTest::newRow("two dots") << QByteArray("..") << 0;
    QTest::newRow("digit then dot") << QByteArray("5.") << 5;
    QTest::newRow("second dot stops") << QByteArray("1.2.9") << 1;
    QTest::newRow("below a half") << QByteArray("2.49") << 2;
    QTest::newRow("above a half") << QByteArray("2.51") << 3;
    QTest::newRow("half to even, down") << QByteArray("2.5") << 2;
    QTest::newRow("half to even, up") << QByteArray("3.5") << 4;
    QTest::newRow("half of nothing") << QByteArray(".5") << 0;
    QTest::newRow("half with zeros") << QByteArray("4.500") << 4;
    QTest::newRow("just above a half") << QByteArray("4.5001") << 5;
    QTest::newRow("six tenths") << QByteArray(".6") << 1;
    QTest::newRow("blanks around the point") << QByteArray("4 . 6") << 5;
    QTest::newRow("too large") << QByteArray("99999999999") << std::numeric_limits<int>::max();
}

void TestDecodeNumberReading::roundedNumber()
{
    QFETCH(QByteArray, field);
    QTEST(zkn::text::roundedNumber(field), "expected");
}

QTEST_APPLESS_MAIN(TestDecodeNumberReading)
#include "tst_decode_number_reading.moc"
