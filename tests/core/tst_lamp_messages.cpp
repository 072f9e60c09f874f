// Lamp-control messages byte for byte, in both forms, and the text frames that carry them. Every
// expected message is written out by hand.
#include "lamp/lamp_control_message.h"
#include "lamp/lamp_form.h"
#include "lamp/single_station_message.h"
#include "link/frame_builder.h"

#include <QTest>

using namespace zkn;
using namespace zkn::lamp;

Q_DECLARE_METATYPE(zkn::lamp::LampFunction)
Q_DECLARE_METATYPE(zkn::lamp::LampForm)
Q_DECLARE_METATYPE(zkn::ConnectionType)
Q_DECLARE_METATYPE(zkn::link::Parity)

namespace {

// STX, the text, ETX.
QByteArray framed(const QByteArray& text)
{
    return '\x02' + text + '\x03';
}

QByteArray blanks(int count)
{
    return QByteArray(count, ' ');
}

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

} // namespace

class TestLampMessages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void forms_data();
    void forms();
    void lampControlMessages_data();
    void lampControlMessages();
    void singleStationMessages_data();
    void singleStationMessages();
    void lampFrames_data();
    void lampFrames();
};

void TestLampMessages::forms_data()
{
    QTest::addColumn<LampForm>("chosen");
    QTest::addColumn<LampForm>("expected");
    QTest::newRow("LampControl, OLV PBX") << lampControlForm(false) << LampForm::FixedField;
    QTest::newRow("LampControl, KRA PBX") << lampControlForm(true) << LampForm::Tagged;
    QTest::newRow("dialog, serial") << singleStationForm(ConnectionType::Serial) << LampForm::FixedField;
    QTest::newRow("dialog, LAN") << singleStationForm(ConnectionType::Lan) << LampForm::Tagged;
}

void TestLampMessages::forms()
{
    QFETCH(LampForm, chosen);
    QTEST(chosen, "expected");
}

void TestLampMessages::lampControlMessages_data()
{
    QTest::addColumn<int>("station");
    QTest::addColumn<LampFunction>("function");
    QTest::addColumn<bool>("kra");
    QTest::addColumn<bool>("expansion");
    QTest::addColumn<QByteArray>("message");

    // Fixed fields: the one station fills an area of 12, or 26 with the expansion option.
    QTest::newRow("OLV, VMM on 1000, 18 characters")
        << 1000 << LampFunction::VmmOn << false << false << framed("0!A21000" + blanks(8));
    QTest::newRow("OLV, expansion, 32 characters")
        << 1000 << LampFunction::VmmOn << false << true << framed("0!A21000" + blanks(22));
    QTest::newRow("OLV, VMM off 0") << 0 << LampFunction::VmmOff << false << false
                                    << framed("0!A60" + blanks(11));
    QTest::newRow("OLV, MW on, ten digits")
        << 2147483647 << LampFunction::MwOn << false << false << framed("0!A12147483647" + blanks(2));
    QTest::newRow("OLV, MW off, the longest whole number")
        << int(-2147483648LL) << LampFunction::MwOff << false << false << framed("0!A5-2147483648 ");
    QTest::newRow("OLV, expansion, ten digits")
        << 1234567890 << LampFunction::VmmOff << false << true << framed("0!A61234567890" + blanks(16));
    // Tagged: no second station, so no field "03"; the expansion option does not apply.
    QTest::newRow("KRA, VMM off 1000")
        << 1000 << LampFunction::VmmOff << true << false << framed("0!A0101602041000");
    QTest::newRow("KRA, VMM on 1000, expansion")
        << 1000 << LampFunction::VmmOn << true << true << framed("0!A0101202041000");
    QTest::newRow("KRA, one digit") << 7 << LampFunction::VmmOn << true << false
                                    << framed("0!A010120201"
                                              "7");
    QTest::newRow("KRA, ten digits") << 2147483647 << LampFunction::MwOn << true << false
                                     << framed("0!A010110210"
                                               "2147483647");
    QTest::newRow("KRA, the longest whole number")
        << int(-2147483648LL) << LampFunction::MwOff << true << false << framed("0!A010150211-2147483648");
}

void TestLampMessages::lampControlMessages()
{
    QFETCH(int, station);
    QFETCH(LampFunction, function);
    QFETCH(bool, kra);
    QFETCH(bool, expansion);
    QTEST(lampControlMessage(station, function, kra, expansion), "message");
}

void TestLampMessages::singleStationMessages_data()
{
    QTest::addColumn<ConnectionType>("type");
    QTest::addColumn<LampFunction>("function");
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("to");
    QTest::addColumn<bool>("expansion");
    QTest::addColumn<QByteArray>("message"); // empty: none is built

    const auto S = ConnectionType::Serial;
    const auto L = ConnectionType::Lan;
    const auto mwOn = LampFunction::MwOn;
    const auto vmmOff = LampFunction::VmmOff;

    // Serial: the two boxes in fields of 6, or 8 + 8 + 10 blanks.
    QTest::newRow("serial, 1000 alone, second box one blank")
        << S << mwOn << QByteArray("1000") << QByteArray(" ") << false << framed("0!A11000" + blanks(8));
    QTest::newRow("serial, 1000 alone, second box empty")
        << S << mwOn << QByteArray("1000") << QByteArray() << false << framed("0!A11000" + blanks(8));
    QTest::newRow("serial, range 1000 to 1010, VMM off, expansion")
        << S << vmmOff << QByteArray("1000") << QByteArray("1010") << true
        << framed("0!A6"
                  "1000    "
                  "1010    " +
                  blanks(10));
    QTest::newRow("serial, range, MW off")
        << S << LampFunction::MwOff << QByteArray("1000") << QByteArray("1010") << false
        << framed("0!A5"
                  "1000  "
                  "1010  ");
    QTest::newRow("serial, VMM on, # and *")
        << S << LampFunction::VmmOn << QByteArray("#12*") << QByteArray() << false
        << framed("0!A2"
                  "#12*  "
                  "      ");
    QTest::newRow("serial, both empty")
        << S << mwOn << QByteArray() << QByteArray() << false << framed("0!A1" + blanks(12));
    QTest::newRow("serial, both empty, expansion")
        << S << mwOn << QByteArray() << QByteArray() << true << framed("0!A1" + blanks(26));
    // Every width a box may hold, beside a full second field.
    QTest::newRow("serial, width 1") << S << mwOn << QByteArray("1") << QByteArray("654321") << false
                                     << framed("0!A1"
                                               "1     "
                                               "654321");
    QTest::newRow("serial, width 2") << S << mwOn << QByteArray("12") << QByteArray("654321") << false
                                     << framed("0!A1"
                                               "12    "
                                               "654321");
    QTest::newRow("serial, width 3") << S << mwOn << QByteArray("123") << QByteArray("654321") << false
                                     << framed("0!A1"
                                               "123   "
                                               "654321");
    QTest::newRow("serial, width 4") << S << mwOn << QByteArray("1234") << QByteArray("654321") << false
                                     << framed("0!A1"
                                               "1234  "
                                               "654321");
    QTest::newRow("serial, width 5") << S << mwOn << QByteArray("12345") << QByteArray("654321") << false
                                     << framed("0!A1"
                                               "12345 "
                                               "654321");
    QTest::newRow("serial, width 6") << S << mwOn << QByteArray("123456") << QByteArray("654321") << false
                                     << framed("0!A1"
                                               "123456"
                                               "654321");
    QTest::newRow("serial, expansion, width 1")
        << S << mwOn << QByteArray("1") << QByteArray("87654321") << true
        << framed("0!A1"
                  "1       "
                  "87654321" +
                  blanks(10));
    QTest::newRow("serial, expansion, width 6")
        << S << mwOn << QByteArray("123456") << QByteArray("87654321") << true
        << framed("0!A1"
                  "123456  "
                  "87654321" +
                  blanks(10));
    QTest::newRow("serial, expansion, width 7")
        << S << mwOn << QByteArray("1234567") << QByteArray("87654321") << true
        << framed("0!A1"
                  "1234567 "
                  "87654321" +
                  blanks(10));
    QTest::newRow("serial, expansion, width 8")
        << S << mwOn << QByteArray("12345678") << QByteArray("87654321") << true
        << framed("0!A1"
                  "12345678"
                  "87654321" +
                  blanks(10));
    // A station longer than its field is refused, in either box.
    QTest::newRow("serial, first of 7 in a field of 6")
        << S << mwOn << QByteArray("1234567") << QByteArray() << false << QByteArray();
    QTest::newRow("serial, second of 8 in a field of 6")
        << S << mwOn << QByteArray("1000") << QByteArray("12345678") << false << QByteArray();
    QTest::newRow("serial, first of 9 in a field of 8")
        << S << mwOn << QByteArray("123456789") << QByteArray() << true << QByteArray();
    QTest::newRow("serial, second of 9 in a field of 8")
        << S << mwOn << QByteArray("1000") << QByteArray("123456789") << true << QByteArray();

    // LAN: tagged, the texts as they stand, no field widths.
    QTest::newRow("LAN, range 1000 to 1010, MW off")
        << L << LampFunction::MwOff << QByteArray("1000") << QByteArray("1010") << false
        << framed("0!A0101502041000"
                  "03041010");
    QTest::newRow("LAN, second box one blank: no 03")
        << L << LampFunction::MwOff << QByteArray("1000") << QByteArray(" ") << false
        << framed("0!A0101502041000");
    QTest::newRow("LAN, second box empty: no 03") << L << LampFunction::VmmOn << QByteArray("1000")
                                                  << QByteArray() << false << framed("0!A0101202041000");
    QTest::newRow("LAN, second box two blanks is a station")
        << L << LampFunction::VmmOn << QByteArray("1000") << QByteArray("  ") << false
        << framed("0!A010120204100003"
                  "02  ");
    QTest::newRow("LAN, first box empty") << L << vmmOff << QByteArray() << QByteArray() << false
                                          << framed("0!A01016"
                                                    "0200");
    QTest::newRow("LAN, first box one blank") << L << vmmOff << QByteArray(" ") << QByteArray() << false
                                              << framed("0!A01016"
                                                        "0201 ");
    QTest::newRow("LAN, eight digits without expansion")
        << L << mwOn << QByteArray("12345678") << QByteArray("1") << false
        << framed("0!A01011"
                  "020812345678"
                  "03011");
    QTest::newRow("LAN, # and *, expansion") << L << mwOn << QByteArray("#12*") << QByteArray("*9") << true
                                             << framed("0!A01011"
                                                       "0204#12*"
                                                       "0302*9");
}

void TestLampMessages::singleStationMessages()
{
    QFETCH(ConnectionType, type);
    QFETCH(LampFunction, function);
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QFETCH(bool, expansion);
    QTEST(singleStationMessage(type, function, from, to, expansion).value_or(QByteArray()), "message");
}

void TestLampMessages::lampFrames_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<zkn::link::Parity>("parity");
    QTest::addColumn<QByteArray>("frame");

    const auto E = zkn::link::Parity::Even;
    const auto O = zkn::link::Parity::Odd;
    // Device "1", SeqLamp 7; the length counts device, sequence and message.
    const QByteArray kra = lampControlMessage(1000, LampFunction::VmmOff, true, false);
    QTest::newRow("KRA, 18 characters, length 022, even")
        << kra << E << hex("16 31 303232 3031 3037 02 302141 3031 3031 36 3032 3034 31303030 03 67");
    QTest::newRow("KRA, 18 characters, length 022, odd")
        << kra << O << hex("16 31 303232 3031 3037 02 302141 3031 3031 36 3032 3034 31303030 03 98");
    QTest::newRow("OLV, 18 characters, length 022, even")
        << lampControlMessage(1000, LampFunction::VmmOn, false, false) << E
        << hex("16 31 303232 3031 3037 02 302141 32 31303030 2020202020202020 03 65");
    QTest::newRow("OLV, expansion, 32 characters, length 036, even")
        << lampControlMessage(1000, LampFunction::VmmOn, false, true) << E
        << hex("16 31 303336 3031 3037 02 302141 32 31303030"
               "20202020202020202020202020202020202020202020 03 60");
}

void TestLampMessages::lampFrames()
{
    QFETCH(QByteArray, message);
    QFETCH(zkn::link::Parity, parity);
    QFETCH(QByteArray, frame);
    QCOMPARE(zkn::link::buildTextFrame("1", 7, message, parity).toHex(' '), frame.toHex(' '));
}

QTEST_APPLESS_MAIN(TestLampMessages)
#include "tst_lamp_messages.moc"
