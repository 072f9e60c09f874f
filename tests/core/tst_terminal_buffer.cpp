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
    void filtering()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, write);
        TerminalBuffer buffer;
        buffer.WriteTerminal(before);
        const TerminalEdit edit = buffer.WriteTerminal(write);
        QTEST(buffer.content(), "after");
        QTEST(edit.text, "logged");
    }

    void capCutsFourKilobytesOnlyAboveSixteenThousand_data()
    {
        QTest::addColumn<int>("contentSize");
        QTest::addColumn<int>("cut");
        QTest::newRow("16000 keeps everything") << 16000 << 0;
        QTest::newRow("16001 cuts to 11905") << 16001 << 4096;
        QTest::newRow("20000 cuts once only") << 20000 << 4096;
    }

    void capCutsFourKilobytesOnlyAboveSixteenThousand()
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
        QCOMPARE(buffer.content().front(), cut ? 'F' : 'x');
        QCOMPARE(buffer.content().back(), '!');
    }

    // A view applies each edit to its own copy; whatever is written, the copy stays the buffer's text.
    void editsReplayOntoAMirror()
    {
        const QByteArray alphabet("ab\r\n\b\x02\x03 ", 8);
        QRandomGenerator random(20261206);
        TerminalBuffer buffer;
        QByteArray mirror;
        for (int i = 0; i < 6000; ++i) {
            QByteArray text;
            for (int length = random.bounded(12); length > 0; --length)
                text.append(alphabet[random.bounded(int(alphabet.size()))]);
            const TerminalEdit edit = buffer.WriteTerminal(text);
            mirror.remove(0, edit.cutFront);
            mirror.replace(edit.replaceFrom, edit.replaceLength, edit.text);
            QCOMPARE(mirror, buffer.content());
            QVERIFY(!edit.text.contains('\b'));
        }
        QVERIFY(buffer.content().size() <= TerminalBuffer::kCapacity + 12);
    }

    void texts_data();
    void texts()
    {
        QFETCH(QString, actual);
        QTEST(actual, "expected");
    }
};

// clang-format off
void TestTerminalBuffer::filtering_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("write");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QByteArray>("logged");
    const auto row = [](const char* name, const char* before, const char* write, const char* after, const char* logged) {
        QTest::newRow(name) << QByteArray(before) << QByteArray(write) << QByteArray(after) << QByteArray(logged);
    };
    row("backspace alone deletes the last character", "abc", "\b", "ab", "");
    row("backspace alone deletes a CR LF pair", "ab\r\n", "\b", "ab", "");
    row("backspace after a lone LF takes two", "ab\n", "\b", "a", "");
    row("several leading backspaces delete no more", "abc", "\b\b\bX", "abX", "X");
    row("backspace on an empty box", "", "\bA", "A", "A");
    row("backspace on a box holding one LF", "\n", "\b", "", "");
    row("A B BS C", "> ", "AB\bC", "> AC", "AC");
    row("A CR LF BS", "", "A\r\n\b", "A", "A");
    row("LF BS at the start of a write", "q", "\n\bZ", "qZ", "Z");
    row("lone CRs before the first pair go", "", "X\rY\r\n", "XY\r\n", "XY\r\n");
    row("a lone CR after the pair stays", "", "X\r\nY\rZ", "X\r\nY\rZ", "X\r\nY\rZ");
    row("a trailing CR goes", "a", "b\r", "ab", "b");
    row("control characters pass", "", "\x02J 1\x03\x16\xff", "\x02J 1\x03\x16\xff", "\x02J 1\x03\x16\xff");
}

void TestTerminalBuffer::texts_data()
{
    QTest::addColumn<QString>("actual");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char* name, const QString& actual, const QString& expected) {
        QTest::newRow(name) << actual << expected;
    };
    const auto bytes = [](const QByteArray& text) { return QString::fromLatin1(text); };
    const QTime t(14, 3, 59);
    row("released", bytes(terminalLine(marker::Released, t, "LINK RELEASED...")), "-X-:14:03:59: LINK RELEASED...\r\n");
    row("received before ten o'clock", bytes(terminalLine(marker::Received, QTime(9, 5, 7), "WARNING!:  ** LINK WAS RESET BY PBX **")),
        " ->:09:05:07: WARNING!:  ** LINK WAS RESET BY PBX **\r\n");
    row("sent", bytes(terminalLine(marker::Sent, t, "x")), "<- :14:03:59: x\r\n");
    row("local", bytes(terminalLine(marker::Local, QTime(0, 0, 0), "y")), "<->:00:00:00: y\r\n");
    row("sent hex, no leading zero", bytes(sentHexTrace("\x16\x0a")), "<- : 16 A \r\n");
    row("received hex, two digits", bytes(receivedHexTrace("\x16\x0a")), " ->: 16 0A \r\n");
    row("hex upper case, high byte", bytes(receivedHexTrace(QByteArray::fromHex("fa00"))), " ->: FA 00 \r\n");
    row("sent hex of a zero byte", bytes(sentHexTrace(QByteArray(1, '\0'))), "<- : 0 \r\n");
    row("dot blanks", bytes(DotBlanks("\x02J 12  3\x03")), "\x02J.12..3\x03");
    // What the terminal shows for the bytes.
    row("record shown", visibleText(" ->:12:00:00: \x02J.1\x03\r\n"), " ->:12:00:00: ☻J.1♥\n");
    row("lone LF breaks too", visibleText("a\nb"), "a\nb");
    row("lone CR is a note", visibleText("a\rb"), "a♪b");
    row("SYN, NUL, DEL", visibleText(QByteArray("\x16\x00\x7f", 3)), "▬∅⌂");
    row("Latin-1", visibleText("\xe4\xdf"), "äß");
    // A selection of shown characters is found in the bytes, where CR LF is one line break.
    row("selection: the whole, to its end", bytes(bytesShownAt("\x02J.1\x03", 0, 5)), "\x02J.1\x03");
    row("selection inside", bytes(bytesShownAt("ABC", 1, 2)), "B");
    row("selection after a CR LF", bytes(bytesShownAt("A\r\nBC", 2, 3)), "B");
    row("selection from the CR LF, to the end", bytes(bytesShownAt("A\r\nBC", 1, 4)), "\nBC");
    row("selection past the end", bytes(bytesShownAt("ABC", 4, 6)), "");
    const ConnectionSummary lan{ConnectionType::Lan, "10.1.2.3", "1", "Odd", "9600,n,8,1"};
    ConnectionSummary serial = lan;
    serial.connectionType = ConnectionType::Serial;
    row("settings panel, LAN", settingsPanelText(lan), "Host:  10.1.2.3      Device:  1      Parity:  Odd");
    row("settings panel, serial", settingsPanelText(serial), "Settings: 9600,n,8,1");
    // The record's time in the locale's short date and long time, with seconds.
    const QDateTime when(QDate(2026, 12, 6), QTime(14, 3, 59));
    row("record time en_US", recordTimeText(when, QLocale("en_US")), "12/6/26 2:03:59 PM");
    row("record time de_DE", recordTimeText(when, QLocale("de_DE")), "06.12.26 14:03:59");
    row("record time ja_JP", recordTimeText(when, QLocale("ja_JP")), "2026/12/06 14時03分59秒");
}
// clang-format on

QTEST_APPLESS_MAIN(TestTerminalBuffer)
#include "tst_terminal_buffer.moc"
