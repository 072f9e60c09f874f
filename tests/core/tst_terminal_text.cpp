// SPDX-License-Identifier: GPL-3.0-or-later
// The terminal's text: control-character filtering, the size cap, the lines callers build, and
// what the terminal shows for the bytes it holds.
#include "display/terminal_buffer.h"
#include "display/terminal_line.h"
#include "display/visible_text.h"

#include <QTest>

using namespace zkn::display;

class TestTerminalText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The cap cuts 4096 characters from the front, only above 16000, and as often as it takes: a
    // long write before does not stay.
    void capCutsFourKilobytesOnlyAboveSixteenThousand()
    {
        for (const auto& [contentSize, cut] :
             {std::pair{16000, 0}, {16001, 4096}, {20000, 4096}, {20097, 8192}, {40000, 24576}}) {
            TerminalBuffer buffer;
            QByteArray content(contentSize, 'x');
            content[cut] = 'F'; // the first character kept after the cut
            buffer.WriteTerminal(content);
            const TerminalEdit edit = buffer.WriteTerminal("!");
            QCOMPARE(edit.cutFront, cut);
            QCOMPARE(buffer.content().size(), contentSize - cut + 1);
            QCOMPARE(buffer.content().front(), 'F');
            QCOMPARE(buffer.content().back(), '!');
        }
    }

    void texts_data();
    void texts()
    {
        QFETCH(QString, actual);
        QTEST(actual, "expected");
    }
};

void TestTerminalText::texts_data()
{
    QTest::addColumn<QString>("actual");
    QTest::addColumn<QString>("expected");
    // clang-format off
    const auto row = [](const char* name, const QString& actual, const QString& expected) {
        QTest::newRow(name) << actual << expected;
    };
    const auto bytes = [](const QByteArray& text) { return QString::fromLatin1(text); };
    // The terminal's text after a write, and what the write logs: backspaces and lone CRs filtered.
    const auto filtered = [](const char* name, const char* before, const char* write, const char* after,
                             const char* logged) {
        TerminalBuffer buffer;
        buffer.WriteTerminal(before);
        const TerminalEdit edit = buffer.WriteTerminal(write);
        QTest::newRow(name) << QString::fromLatin1(buffer.content() + " | " + edit.text)
                            << QString::fromLatin1(QByteArray(after) + " | " + logged);
    };
    filtered("backspace alone deletes the last character", "abc", "\b", "ab", "");
    filtered("backspace alone deletes a CR LF pair", "ab\r\n", "\b", "ab", "");
    filtered("backspace after a lone LF takes two", "ab\n", "\b", "a", "");
    filtered("several leading backspaces delete no more", "abc", "\b\b\bX", "abX", "X");
    filtered("backspace on an empty box", "", "\bA", "A", "A");
    filtered("backspace on a box holding one LF", "\n", "\b", "", "");
    filtered("A B BS C", "> ", "AB\bC", "> AC", "AC");
    filtered("A CR LF BS", "", "A\r\n\b", "A", "A");
    filtered("LF BS at the start of a write", "q", "\n\bZ", "qZ", "Z");
    filtered("LF BS inside a write takes two", "", "ab\n\bc", "ac", "ac");
    filtered("CR, a character, BS: both go", "", "a\rx\bY", "aY", "aY");
    filtered("lone CRs before the first pair go", "", "X\rY\r\n", "XY\r\n", "XY\r\n");
    filtered("a lone CR after the pair stays", "", "X\r\nY\rZ", "X\r\nY\rZ", "X\r\nY\rZ");
    filtered("a lone CR after a pair that begins the write stays", "", "\r\nY\rZ", "\r\nY\rZ", "\r\nY\rZ");
    filtered("a trailing CR goes", "a", "b\r", "ab", "b");
    const char control[] = "\x02J 1\x03\x16\xff";
    filtered("control characters pass", "", control, control, control);
    const auto line = [&](const char* m, QTime at, const char* x) { return bytes(terminalLine(m, at, x)); };
    // The sent and local markers show in the load test's lines; here the other two, and times below 10.
    row("received at 09", line(marker::Received, QTime(9, 5, 7), "x"), " ->:09:05:07: x\r\n");
    row("released at midnight", line(marker::Released, QTime(0, 0, 0), "y"), "-X-:00:00:00: y\r\n");
    row("sent hex, no leading zero", bytes(sentHexTrace("\x16\x0a")), "<- : 16 A \r\n");
    row("received hex, two digits", bytes(receivedHexTrace("\x16\x0a")), " ->: 16 0A \r\n");
    row("hex upper case, high byte", bytes(receivedHexTrace(QByteArray::fromHex("fa00"))), " ->: FA 00 \r\n");
    row("sent hex of a zero byte", bytes(sentHexTrace(QByteArray(1, '\0'))), "<- : 0 \r\n");
    row("dot blanks", bytes(DotBlanks("\x02J 12  3\x03")), "\x02J.12..3\x03");
    // What the terminal shows for the bytes.
    for (const auto& [text, shown] : {std::pair{" ->:12:00:00: \x02J.1\x03\r\n", " ->:12:00:00: ☻J.1♥\n"},
                                      {"a\nb", "a\nb"}, {"a\rb", "a♪b"}, {"\xe4\xdf", "äß"}})
        QTest::addRow("shown \"%s\"", text) << visibleText(text) << QString::fromUtf8(shown);
    row("SYN, NUL, DEL shown", visibleText(QByteArray("\x16\x00\x7f", 3)), "▬∅⌂");
    // What a write adds to the shown text: an LF that completes a CR shown alone takes that CR's place.
    const auto appended = [](const char* content, qsizetype added) {
        const VisibleAppend a = visibleAppend(content, added);
        return QString::number(a.dropLast) + '|' + a.text;
    };
    row("appended: LF after a lone CR, the first character", appended("\r\n", 1), "1|\n");
    row("appended: LF after a CR further on", appended("ab\r\nc", 2), "1|\nc");
    row("appended: LF after another character", appended("a\n", 1), "0|\n");
    row("appended: a CR LF whole", appended("a\r\n", 2), "0|\n");
    row("appended: nothing", appended("a\r", 0), "0|");
    // A selection of shown characters is found in the bytes, where CR LF is one line break.
    row("selection: the whole, to its end", bytes(bytesShownAt("\x02J.1\x03", 0, 5)), "\x02J.1\x03");
    row("selection inside", bytes(bytesShownAt("ABC", 1, 2)), "B");
    row("selection after a CR LF", bytes(bytesShownAt("A\r\nBC", 2, 3)), "B");
    row("selection from the CR LF, to the end", bytes(bytesShownAt("A\r\nBC", 1, 4)), "\nBC");
    row("selection past the end", bytes(bytesShownAt("ABC", 4, 6)), "");
    // clang-format on
}

QTEST_GUILESS_MAIN(TestTerminalText)
#include "tst_terminal_text.moc"
