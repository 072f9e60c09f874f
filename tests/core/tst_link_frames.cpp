// Link frames byte for byte. Every expected frame is written out by hand as hex.
#include "link/frame_builder.h"
#include "link/frame_reader.h"
#include "link/frame_sync.h"
#include "link/parity.h"
#include "link/sequence_counter.h"

#include <QTest>

using namespace zkn::link;

Q_DECLARE_METATYPE(zkn::link::Parity)

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

// 31 bytes: STX, 28 x 'A', 'B', ETX.
QByteArray message31()
{
    return QByteArray(1, '\x02') + QByteArray(28, 'A') + "B" + QByteArray(1, '\x03');
}

} // namespace

class TestLinkFrames : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void builtFrames_data();
    void builtFrames();
    void sequenceRunsToNinetyNineThenWraps();
    void computeParityOfShortTexts_data();
    void computeParityOfShortTexts();
    void checkParity_data();
    void checkParity();
    void parityFromText_data();
    void parityFromText();
    void twoDigitField_data();
    void twoDigitField();
    void readFrameHeader_data();
    void readFrameHeader();
    void responseText_data();
    void responseText();
    void soundFrameInsideABrokenFragment_data();
    void soundFrameInsideABrokenFragment();
};

void TestLinkFrames::builtFrames_data()
{
    QTest::addColumn<QByteArray>("built");
    QTest::addColumn<QByteArray>("expected");

    const auto E = Parity::Even;
    const auto O = Parity::Odd;
    QTest::newRow("health check 01/07 even")
        << buildStatusFrame("1", 7, E) << hex("16 35303036 3031 3037 3030 05");
    QTest::newRow("health check 01/07 odd")
        << buildStatusFrame("1", 7, O) << hex("16 35303036 3031 3037 3030 FA");
    QTest::newRow("connect request 00/00 even")
        << buildStatusFrame("0", 0, E) << hex("16 35303036 3030 3030 3030 03");
    QTest::newRow("release 01/08 even") << buildReleaseFrame("1", 8, E) << hex("16 36303034 3031 3038 0B");
    QTest::newRow("release 01/08 odd") << buildReleaseFrame("1", 8, O) << hex("16 36303034 3031 3038 F4");
    QTest::newRow("release 00/99 odd") << buildReleaseFrame("0", 99, O) << hex("16 36303034 3030 3939 FD");
    // The answer's length field counts device, sequence and the one-digit code: five bytes.
    QTest::newRow("answer 01/07 normal even")
        << buildRecordAnswer("01", "07", AnswerCode::Normal, E) << hex("16 34303035 3031 3037 30 37");
    QTest::newRow("answer 01/07 normal odd")
        << buildRecordAnswer("01", "07", AnswerCode::Normal, O) << hex("16 34303035 3031 3037 30 C8");
    QTest::newRow("answer 01/07 parity error odd")
        << buildRecordAnswer("01", "07", AnswerCode::ParityError, O) << hex("16 34303035 3031 3037 31 C9");
    QTest::newRow("answer copies a non-numeric device field")
        << buildRecordAnswer("A7", "01", AnswerCode::InvalidText, E) << hex("16 34303035 4137 3031 33 45");
    QTest::newRow("answer pads a one-digit sequence")
        << buildRecordAnswer("01", "7 ", AnswerCode::Normal, E) << hex("16 34303035 3031 3037 30 37");
    QTest::newRow("text frame, 31-byte message, length 035 even")
        << buildTextFrame("1", 7, message31(), E)
        << hex("16 31303335 3031 3037 02 41414141414141414141414141414141414141414141414141414141 42 03 42");
    // A tagged lamp message, VMM off for station 1000: 18 bytes, so the length reads "022".
    QTest::newRow("text frame, 18-byte message, length 022 odd")
        << buildTextFrame("1", 7, hex("02 302141 3031 3031 36 3032 3034 31303030 03"), O)
        << hex("16 31303232 3031 3037 02 302141 3031 3031 36 3032 3034 31303030 03 98");
    QTest::newRow("text frame, 31-byte message, odd")
        << buildTextFrame("1", 7, message31(), O)
        << hex("16 31303335 3031 3037 02 41414141414141414141414141414141414141414141414141414141 42 03 BD");
}

void TestLinkFrames::builtFrames()
{
    QFETCH(QByteArray, built);
    QFETCH(QByteArray, expected);
    QCOMPARE(built.toHex(' '), expected.toHex(' '));
}

void TestLinkFrames::sequenceRunsToNinetyNineThenWraps()
{
    SequenceCounter counter;
    QCOMPARE(counter.NextSequence(), 0);
    for (int i = 1; i <= 99; ++i)
        QCOMPARE(counter.NextSequence(), i);
    // The hundred-and-first frame after start-up carries "00" again.
    QCOMPARE(counter.NextSequence(), 0);
    QCOMPARE(counter.NextSequence(), 1);
}

void TestLinkFrames::computeParityOfShortTexts_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<Parity>("parity");
    QTest::addColumn<int>("expected");

    QTest::newRow("SYN + kind even") << hex("16 35") << Parity::Even << 0x35;
    QTest::newRow("SYN + kind odd") << hex("16 35") << Parity::Odd << 0xCA;
    QTest::newRow("bytes XOR to 0 odd") << hex("16 31 31") << Parity::Odd << 0xFF;
    QTest::newRow("bytes XOR to 0 even") << hex("16 31 31") << Parity::Even << 0x00;
    QTest::newRow("SYN alone odd") << hex("16") << Parity::Odd << 0xFF;
    QTest::newRow("high bytes count") << hex("16 FF 80 01") << Parity::Even << 0x7E;
}

void TestLinkFrames::computeParityOfShortTexts()
{
    QFETCH(QByteArray, text);
    QFETCH(Parity, parity);
    QFETCH(int, expected);
    QCOMPARE(int(ComputeParity(text, parity)), expected);
}

void TestLinkFrames::checkParity_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<Parity>("parity");
    QTest::addColumn<bool>("good");

    QTest::newRow("health check even") << hex("16 35303036 3031 3037 3030 05") << Parity::Even << true;
    QTest::newRow("health check odd") << hex("16 35303036 3031 3037 3030 FA") << Parity::Odd << true;
    QTest::newRow("built under the other parity")
        << hex("16 35303036 3031 3037 3030 FA") << Parity::Even << false;
    QTest::newRow("last byte altered") << hex("16 35303036 3031 3037 3030 FB") << Parity::Odd << false;
    QTest::newRow("data byte altered") << hex("16 35303036 3031 3037 3031 FA") << Parity::Odd << false;
    QTest::newRow("SYN and kind, kind as check byte even") << hex("16 35 35") << Parity::Even << true;
    QTest::newRow("SYN and kind, inverted kind odd") << hex("16 35 CA") << Parity::Odd << true;
    QTest::newRow("SYN and kind, even check under odd") << hex("16 35 35") << Parity::Odd << false;
    QTest::newRow("two-byte frame, check over SYN alone") << hex("16 00") << Parity::Even << true;
    QTest::newRow("empty") << QByteArray() << Parity::Even << false;
}

void TestLinkFrames::checkParity()
{
    QFETCH(QByteArray, frame);
    QFETCH(Parity, parity);
    QFETCH(bool, good);
    QCOMPARE(CheckParity(frame, parity), good);
}

void TestLinkFrames::parityFromText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Parity>("parity");
    QTest::newRow("Odd") << "Odd" << Parity::Odd;
    QTest::newRow("Even") << "Even" << Parity::Even;
    QTest::newRow("lower-case odd counts as even") << "odd" << Parity::Even;
    QTest::newRow("empty") << "" << Parity::Even;
}

void TestLinkFrames::parityFromText()
{
    QFETCH(QString, text);
    QFETCH(Parity, parity);
    QCOMPARE(zkn::link::parityFromText(text), parity);
}

void TestLinkFrames::twoDigitField_data()
{
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("two digits") << QByteArray("07") << QByteArray("07");
    QTest::newRow("one digit") << QByteArray("7") << QByteArray("07");
    QTest::newRow("blank before") << QByteArray(" 7") << QByteArray("07");
    QTest::newRow("letters") << QByteArray("AB") << QByteArray("AB");
    QTest::newRow("digit and letter") << QByteArray("1A") << QByteArray("1A");
    QTest::newRow("empty") << QByteArray() << QByteArray();
}

void TestLinkFrames::twoDigitField()
{
    QFETCH(QByteArray, field);
    QFETCH(QByteArray, written);
    QCOMPARE(zkn::link::twoDigitField(field), written);
}

void TestLinkFrames::readFrameHeader_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<char>("kind");
    QTest::addColumn<int>("length");
    QTest::addColumn<QByteArray>("device");
    QTest::addColumn<int>("sequence");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<int>("checkByte");
    QTest::addColumn<bool>("parityGood");
    QTest::addColumn<int>("code");

    const QByteArray okResponse = hex("16 33303035 3031 3037 30 CF");
    QTest::newRow("response code 0, odd")
        << okResponse << '3' << 5 << QByteArray("01") << 7 << okResponse << 0xCF << true << 0;
    QTest::newRow("cut at n + 6, rest left") << okResponse + hex("16 3230") << '3' << 5 << QByteArray("01")
                                             << 7 << okResponse << 0xCF << true << 0;
    QTest::newRow("response code 7") << hex("16 33303035 3031 3132 37 CC") << '3' << 5 << QByteArray("01")
                                     << 12 << hex("16 33303035 3031 3132 37 CC") << 0xCC << true << 7;
    QTest::newRow("shorter than its length") << hex("16 32303330 3031") << '2' << 30 << QByteArray("01") << 0
                                             << hex("16 32303330 3031") << 0x31 << false << 0;
    QTest::newRow("length field not a number: six bytes")
        << hex("16 32 583031 3031 3037") << '2' << 0 << QByteArray("0") << 0 << hex("16 32 583031 30") << 0x30
        << false << 0;
    QTest::newRow("fields never reach into the next frame")
        << hex("16 33 303031 3031 16 33") << '3' << 1 << QByteArray("01") << 0 << hex("16 33 303031 3031")
        << 0x31 << false << 0;
    QTest::newRow("SYN alone") << hex("16") << char(0) << 0 << QByteArray() << 0 << hex("16") << 0x16 << false
                               << 0;
}

void TestLinkFrames::readFrameHeader()
{
    QFETCH(QByteArray, data);
    const FrameHeader h = zkn::link::readFrameHeader(data, Parity::Odd);
    QTEST(h.kind, "kind");
    QTEST(h.length, "length");
    QTEST(h.deviceField, "device");
    QTEST(h.sequence, "sequence");
    QTEST(h.frame, "frame");
    QTEST(int(h.receivedCheckByte), "checkByte");
    QTEST(h.parityGood, "parityGood");
    QTEST(h.responseCode, "code");
}

void TestLinkFrames::responseText_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("0") << 0 << QByteArray("OK");
    QTest::newRow("1") << 1 << QByteArray("** PARITY ERROR **");
    QTest::newRow("2") << 2 << QByteArray("** DEVICE ID NOT DEFINED **");
    QTest::newRow("3") << 3 << QByteArray("** INCORRECT TEXT RECV'd **");
    QTest::newRow("4") << 4 << QByteArray("** DEVICE ALREADY IN USE **");
    QTest::newRow("7") << 7 << QByteArray("** INVALID RESPONSE NUMBER (7)");
}

void TestLinkFrames::responseText()
{
    QFETCH(int, code);
    QTEST(zkn::link::responseText(code), "text");
}

void TestLinkFrames::soundFrameInsideABrokenFragment_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("found"); // -1: none
    // An over-long header (7 bytes) before each kind of sound frame, the last byte its check byte.
    const QByteArray front = hex("16 32 39 39 39 30 31");
    const auto row = [&](const char* name, const char* frame, int found) {
        const QByteArray data = front + hex(frame);
        QTest::newRow(name) << data << int(data.size()) << found;
    };
    row("lamp text", "16 31 30 30 36 30 31 30 32 02 03 FF", 7);
    row("record", "16 32 30 30 37 30 31 30 37 02 4A 03 FF", 7);
    row("response", "16 33 30 30 35 30 31 30 35 30 FF", 7);
    row("record answer", "16 34 30 30 35 30 31 30 37 30 FF", 7);
    row("status frame", "16 35 30 30 36 30 31 30 30 30 30 FF", 7);
    row("release request", "16 36 30 30 34 30 31 30 35 FF", 7);
    row("response of a status frame's length", "16 33 30 30 36 30 31 30 35 30 30 FF", -1);
    row("status frame of a release's length", "16 35 30 30 34 30 31 30 35 FF", -1);
    row("release of a status frame's length", "16 36 30 30 36 30 31 30 30 30 30 FF", -1);
    row("record without its ETX", "16 32 30 30 37 30 31 30 37 02 4A 4B FF", -1);
    row("record without its STX", "16 32 30 30 37 30 31 30 37 4A 4B 03 FF", -1);
    row("response code no digit", "16 33 30 30 35 30 31 30 35 41 FF", -1);
    row("sequence no digits", "16 33 30 30 35 30 31 41 35 30 FF", -1);
    row("kind 7", "16 37 30 30 34 30 31 30 35 FF", -1);
    row("cut short", "16 33 30 30 35 30 31 30 35 30", -1);
    const QByteArray response = hex("16 33 30 30 35 30 31 30 35 30 FF");
    QTest::newRow("beyond the limit") << front + response << int(front.size() + response.size() - 1) << -1;
    // A release request inside a record that starts earlier but ends later: the one ending first.
    const QByteArray release = hex("16 36 30 30 34 30 31 30 35 FF");
    const QByteArray record = hex("16 32 30 31 36 30 31 30 37 02") + release + hex("03 FF");
    QTest::newRow("the frame that ends first")
        << front + record << int(front.size() + record.size()) << int(front.size() + 10);
}

void TestLinkFrames::soundFrameInsideABrokenFragment()
{
    QFETCH(QByteArray, data);
    QFETCH(int, limit);
    QFETCH(int, found);
    QCOMPARE(soundFrameInside(data, limit).value_or(-1), qsizetype(found));
}

QTEST_APPLESS_MAIN(TestLinkFrames)
#include "tst_link_frames.moc"
