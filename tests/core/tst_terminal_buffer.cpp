// The terminal's text: control-character filtering, the size cap, and the lines callers build.
#include "display/record_time.h"
#include "display/settings_panel.h"
#include "display/terminal_buffer.h"
#include "display/terminal_line.h"
#include "display/visible_text.h"

#include <QRandomGenerator>
#include <QTest>

using namespace zkn::display;
using zkn::ConnectionType;

class TestTerminalBuffer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void filtering_data();
    void filtering();
    void capCutsFourKilobytesOnlyAboveSixteenThousand_data();
    void capCutsFourKilobytesOnlyAboveSixteenThousand();
    void editsReplayOntoAMirror();
    void lines_data();
    void lines();
    void visibleShapes_data();
    void visibleShapes();
    void bytesShownAt_data();
    void bytesShownAt();
    void settingsPanel_data();
    void settingsPanel();
    void recordTimeHasSeconds_data();
    void recordTimeHasSeconds();
};

void TestTerminalBuffer::filtering_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("write");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QByteArray>("logged");

    QTest::newRow("backspace alone deletes the last character")
        << QByteArray("abc") << QByteArray("\b") << QByteArray("ab") << QByteArray();
    QTest::newRow("backspace alone deletes a CR LF pair")
        << QByteArray("ab\r\n") << QByteArray("\b") << QByteArray("ab") << QByteArray();
    QTest::newRow("backspace after a lone LF takes two")
        << QByteArray("ab\n") << QByteArray("\b") << QByteArray("a") << QByteArray();
    QTest::newRow("several leading backspaces delete no more")
        << QByteArray("abc") << QByteArray("\b\b\bX") << QByteArray("abX") << QByteArray("X");
    QTest::newRow("backspace on an empty box")
        << QByteArray() << QByteArray("\bA") << QByteArray("A") << QByteArray("A");
    QTest::newRow("backspace on a box holding one LF")
        << QByteArray("\n") << QByteArray("\b") << QByteArray() << QByteArray();
    QTest::newRow("A B BS C") << QByteArray("> ") << QByteArray("AB\bC") << QByteArray("> AC")
                              << QByteArray("AC");
    QTest::newRow("A CR LF BS") << QByteArray() << QByteArray("A\r\n\b") << QByteArray("A")
                                << QByteArray("A");
    QTest::newRow("LF BS at the start of a write")
        << QByteArray("q") << QByteArray("\n\bZ") << QByteArray("qZ") << QByteArray("Z");
    QTest::newRow("lone CRs before the first pair go")
        << QByteArray() << QByteArray("X\rY\r\n") << QByteArray("XY\r\n") << QByteArray("XY\r\n");
    QTest::newRow("a lone CR after the pair stays")
        << QByteArray() << QByteArray("X\r\nY\rZ") << QByteArray("X\r\nY\rZ") << QByteArray("X\r\nY\rZ");
    QTest::newRow("a trailing CR goes")
        << QByteArray("a") << QByteArray("b\r") << QByteArray("ab") << QByteArray("b");
    QTest::newRow("control characters pass")
        << QByteArray() << QByteArray("\x02J 1\x03\x16\xff", 7) << QByteArray("\x02J 1\x03\x16\xff", 7)
        << QByteArray("\x02J 1\x03\x16\xff", 7);
}

void TestTerminalBuffer::filtering()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, write);
    TerminalBuffer buffer;
    buffer.WriteTerminal(before);
    const TerminalEdit edit = buffer.WriteTerminal(write);
    QTEST(buffer.content(), "after");
    QTEST(edit.text, "logged");
}

void TestTerminalBuffer::capCutsFourKilobytesOnlyAboveSixteenThousand_data()
{
    QTest::addColumn<int>("contentSize");
    QTest::addColumn<int>("cut");
    QTest::newRow("16000 keeps everything") << 16000 << 0;
    QTest::newRow("16001 cuts to 11905") << 16001 << 4096;
    QTest::newRow("20000 cuts once only") << 20000 << 4096;
}

void TestTerminalBuffer::capCutsFourKilobytesOnlyAboveSixteenThousand()
{
    QFETCH(int, contentSize);
    QFETCH(int, cut);
    TerminalBuffer buffer;
    QByteArray content(contentSize, 'x');
    content[4096] = 'F'; // the first character kept after a cut
    buffer.WriteTerminal(content);

    const TerminalEdit edit = buffer.WriteTerminal("!");
    QCOMPARE(edit.cutFront, cut);
    QCOMPARE(buffer.content().size(), contentSize - cut + 1);
    if (cut)
        QCOMPARE(buffer.content().front(), 'F');
    QCOMPARE(buffer.content().back(), '!');
}

// A view applies each edit to its own copy; whatever is written, the copy stays the buffer's text.
void TestTerminalBuffer::editsReplayOntoAMirror()
{
    const QByteArray alphabet("ab\r\n\b\x02\x03 ", 8);
    QRandomGenerator random(20261206);
    TerminalBuffer buffer;
    QByteArray mirror;
    for (int i = 0; i < 6000; ++i) {
        QByteArray text;
        const int length = random.bounded(12);
        for (int j = 0; j < length; ++j)
            text.append(alphabet[random.bounded(int(alphabet.size()))]);
        const TerminalEdit edit = buffer.WriteTerminal(text);
        mirror.remove(0, edit.cutFront);
        mirror.replace(edit.replaceFrom, edit.replaceLength, edit.text);
        QCOMPARE(mirror, buffer.content());
        QVERIFY(!edit.text.contains('\b'));
    }
    QVERIFY(buffer.content().size() <= TerminalBuffer::kCapacity + 12);
}

void TestTerminalBuffer::lines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("expected");
    const QTime t(14, 3, 59);
    QTest::newRow("released") << terminalLine(marker::Released, t, "LINK RELEASED...")
                              << QByteArray("-X-:14:03:59: LINK RELEASED...\r\n");
    QTest::newRow("received before ten o'clock")
        << terminalLine(marker::Received, QTime(9, 5, 7), "WARNING!:  ** LINK WAS RESET BY PBX **")
        << QByteArray(" ->:09:05:07: WARNING!:  ** LINK WAS RESET BY PBX **\r\n");
    QTest::newRow("sent") << terminalLine(marker::Sent, t, "x") << QByteArray("<- :14:03:59: x\r\n");
    QTest::newRow("local") << terminalLine(marker::Local, QTime(0, 0, 0), "y")
                           << QByteArray("<->:00:00:00: y\r\n");
    QTest::newRow("sent hex, no leading zero") << sentHexTrace("\x16\x0a") << QByteArray("<- : 16 A \r\n");
    QTest::newRow("received hex, two digits")
        << receivedHexTrace("\x16\x0a") << QByteArray(" ->: 16 0A \r\n");
    QTest::newRow("hex upper case, high byte")
        << receivedHexTrace(QByteArray::fromHex("fa00")) << QByteArray(" ->: FA 00 \r\n");
    QTest::newRow("sent hex of a zero byte")
        << sentHexTrace(QByteArray(1, '\0')) << QByteArray("<- : 0 \r\n");
    QTest::newRow("dot blanks") << DotBlanks("\x02J 12  3\x03") << QByteArray("\x02J.12..3\x03");
}

void TestTerminalBuffer::lines()
{
    QFETCH(QByteArray, line);
    QTEST(line, "expected");
}

void TestTerminalBuffer::visibleShapes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");
    QTest::newRow("record") << QByteArray(" ->:12:00:00: \x02J.1\x03\r\n")
                            << QStringLiteral(" ->:12:00:00: ☻J.1♥\n");
    QTest::newRow("lone LF breaks too") << QByteArray("a\nb") << QStringLiteral("a\nb");
    QTest::newRow("lone CR is a note") << QByteArray("a\rb") << QStringLiteral("a♪b");
    QTest::newRow("SYN, NUL, DEL") << QByteArray("\x16\x00\x7f", 3) << QStringLiteral("▬∅⌂");
    QTest::newRow("Latin-1") << QByteArray("\xe4\xdf") << QStringLiteral("äß");
}

void TestTerminalBuffer::visibleShapes()
{
    QFETCH(QByteArray, bytes);
    QTEST(visibleText(bytes), "shown");
}

// A selection of shown characters is found in the bytes, where CR LF is one line break.
void TestTerminalBuffer::bytesShownAt_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("the whole, to its end")
        << QByteArray("\x02J.1\x03") << 0 << 5 << QByteArray("\x02J.1\x03");
    QTest::newRow("inside") << QByteArray("ABC") << 1 << 2 << QByteArray("B");
    QTest::newRow("after a CR LF") << QByteArray("A\r\nBC") << 2 << 3 << QByteArray("B");
    QTest::newRow("from the CR LF, to the end") << QByteArray("A\r\nBC") << 1 << 4 << QByteArray("\nBC");
    QTest::newRow("past the end") << QByteArray("ABC") << 4 << 6 << QByteArray();
}

void TestTerminalBuffer::bytesShownAt()
{
    QFETCH(QByteArray, content);
    QFETCH(int, from);
    QFETCH(int, to);
    QTEST(zkn::display::bytesShownAt(content, from, to), "bytes");
}

void TestTerminalBuffer::settingsPanel_data()
{
    QTest::addColumn<ConnectionType>("type");
    QTest::addColumn<QString>("expected");
    QTest::newRow("LAN") << ConnectionType::Lan << "Host:  10.1.2.3      Device:  1      Parity:  Odd";
    QTest::newRow("Serial") << ConnectionType::Serial << "Settings: 9600,n,8,1";
}

void TestTerminalBuffer::settingsPanel()
{
    QFETCH(ConnectionType, type);
    const ConnectionSummary summary{type, QStringLiteral("10.1.2.3"), QStringLiteral("1"),
                                    QStringLiteral("Odd"), QStringLiteral("9600,n,8,1")};
    QTEST(settingsPanelText(summary), "expected");
}

void TestTerminalBuffer::recordTimeHasSeconds_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("expected");
    QTest::newRow("en_US") << "en_US"
                           << "12/6/26 2:03:59 PM";
    QTest::newRow("de_DE") << "de_DE"
                           << "06.12.26 14:03:59";
    QTest::newRow("ja_JP") << "ja_JP"
                           << "2026/12/06 14時03分59秒";
}

void TestTerminalBuffer::recordTimeHasSeconds()
{
    QFETCH(QString, locale);
    const QDateTime when(QDate(2026, 12, 6), QTime(14, 3, 59));
    QTEST(recordTimeText(when, QLocale(locale)), "expected");
}

QTEST_APPLESS_MAIN(TestTerminalBuffer)
#include "tst_terminal_buffer.moc"
