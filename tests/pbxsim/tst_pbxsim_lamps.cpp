// Lamp-control messages as the PBX reads them, and the lamps they switch.
#include "pbxsim/lamp_board.h"
#include "pbxsim/lamp_message.h"

#include <QTest>

using namespace zkn::pbxsim;

namespace {

QByteArray message(const QByteArray& inner)
{
    return "\x02" + inner + "\x03";
}

} // namespace

class TestLampMessage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parses_data();
    void parses();
    void rejects_data();
    void rejects();
    void rangesSwitchEveryStation();
    void refusedRangesChangeNothing_data();
    void refusedRangesChangeNothing();
};

void TestLampMessage::parses_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("tagged");
    QTest::addColumn<char>("function");
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");

    QTest::newRow("fixed, VMM on 1000, 8 blanks")
        << message("0!A21000        ") << false << '2' << QByteArray("1000") << QByteArray();
    QTest::newRow("fixed, ten-digit station")
        << message("0!A51234567890  ") << false << '5' << QByteArray("1234567890") << QByteArray();
    QTest::newRow("fixed, two stations in halves")
        << message("0!A11000  1010  ") << false << '1' << QByteArray("1000") << QByteArray("1010");
    QTest::newRow("fixed, two six-digit stations")
        << message("0!A6100000100099") << false << '6' << QByteArray("100000") << QByteArray("100099");
    QTest::newRow("fixed wide, one station") << message("0!A2" + QByteArray("1000").leftJustified(26))
                                             << false << '2' << QByteArray("1000") << QByteArray();
    QTest::newRow("fixed wide, two stations and 10 blanks")
        << message("0!A1"
                   "12345678"
                   "12345699" +
                   QByteArray(10, ' '))
        << false << '1' << QByteArray("12345678") << QByteArray("12345699");
    QTest::newRow("tagged, VMM on 1000")
        << message("0!A0101202041000") << true << '2' << QByteArray("1000") << QByteArray();
    QTest::newRow("tagged, VMM off 1000")
        << message("0!A0101602041000") << true << '6' << QByteArray("1000") << QByteArray();
    QTest::newRow("tagged, with second station")
        << message("0!A010120204100003041010") << true << '2' << QByteArray("1000") << QByteArray("1010");
    QTest::newRow("tagged, fields in another order")
        << message("0!A0204100001012") << true << '2' << QByteArray("1000") << QByteArray();
}

void TestLampMessage::parses()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, tagged);
    QFETCH(char, function);
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);

    const auto command = parseLampMessage(text);
    QVERIFY(command);
    QCOMPARE(command->form == LampCommand::Form::Tagged, tagged);
    QCOMPARE(static_cast<char>(command->function), function);
    QCOMPARE(command->firstStation, first);
    QCOMPARE(command->secondStation, second);
}

void TestLampMessage::rejects_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("function 3") << message("0!A31000        ");
    QTest::newRow("17 characters") << message("0!A21000       ");
    QTest::newRow("no ETX") << QByteArray("\x02"
                                          "0!A21000        ");
    QTest::newRow("other prefix") << message("0!B21000        ");
    QTest::newRow("fixed, no station") << message("0!A2            ");
    QTest::newRow("fixed, letters") << message("0!A210A0        ");
    QTest::newRow("fixed, only the second half") << message("0!A2      1010  ");
    QTest::newRow("fixed wide, text in the last 10") << message("0!A1"
                                                                "12345678"
                                                                "12345699"
                                                                "1         ");
    QTest::newRow("tagged, unknown tag 04") << message("0!A01012020410000401X");
    QTest::newRow("tagged, value runs past ETX") << message("0!A010120205100");
    QTest::newRow("tagged, empty first station") << message("0!A010120200");
    QTest::newRow("tagged, no station field") << message("0!A01012");
    QTest::newRow("tagged, function twice") << message("0!A01012010160204");
    QTest::newRow("tagged, two-character function") << message("0!A0102220204100");
    QTest::newRow("tagged, letters in the length") << message("0!A01012020X1000");
}

void TestLampMessage::rejects()
{
    QFETCH(QByteArray, text);
    QVERIFY(!parseLampMessage(text));
}

void TestLampMessage::rangesSwitchEveryStation()
{
    LampBoard board;
    QVERIFY(board.apply({LampCommand::Form::Tagged, LampFunction::MwOn, "0998", "1001"}));
    QVERIFY(board.apply({LampCommand::Form::Tagged, LampFunction::VmmOn, "1000", ""}));
    QVERIFY(board.apply({LampCommand::Form::Tagged, LampFunction::MwOff, "0999", "0999"}));

    QCOMPARE(board.stations().keys(), (QList<QByteArray>{"0998", "0999", "1000", "1001"}));
    QCOMPARE(board.state("0998"), (LampState{true, false}));
    QCOMPARE(board.state("0999"), (LampState{false, false}));
    QCOMPARE(board.state("1000"), (LampState{true, true}));
    QCOMPARE(board.state("1002"), (LampState{false, false}));
}

void TestLampMessage::refusedRangesChangeNothing_data()
{
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");
    QTest::newRow("end before start") << QByteArray("1010") << QByteArray("1000");
    QTest::newRow("10001 stations") << QByteArray("10000") << QByteArray("20000");
    QTest::newRow("beyond 64 bits") << QByteArray("1") << QByteArray("123456789012345678901234");
}

void TestLampMessage::refusedRangesChangeNothing()
{
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    LampBoard board;
    QVERIFY(!board.apply({LampCommand::Form::Tagged, LampFunction::MwOn, first, second}));
    QVERIFY(board.stations().isEmpty());
}

QTEST_APPLESS_MAIN(TestLampMessage)
#include "tst_pbxsim_lamps.moc"
