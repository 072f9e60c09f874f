// The terminal box shows its content the same however the text was cut into writes.
#include "display/visible_text.h"
#include "terminal_view.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

using namespace zkn;

namespace {

// Bytes that change how text is shown (line breaks, backspaces, control characters, DEL), with
// plain and 8-bit letters between them.
QByteArray randomPiece(QRandomGenerator& random, int maxLength)
{
    static constexpr char kBytes[] = {'\r', '\n', '\r', '\n', 0x08, 0x02, 0x03, 0x16,   0x00,
                                      0x1B, 0x7F, 'A',  'b',  '7',  ' ',  '.',  '\xE4', '\xFF'};
    QByteArray piece;
    const int length = random.bounded(maxLength + 1);
    for (int i = 0; i < length; ++i)
        piece.append(kBytes[random.bounded(int(sizeof kBytes))]);
    return piece;
}

bool showsItsContent(const TerminalView& view)
{
    return view.toPlainText() == display::visibleText(view.content());
}

} // namespace

class TestTerminalView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void piecesShowLikeTheirContent_data();
    void piecesShowLikeTheirContent();
    void randomPiecesShowLikeTheirContent_data();
    void randomPiecesShowLikeTheirContent();
    void linesBreakBetweenWords_data();
    void linesBreakBetweenWords();
    void doubleClickGivesTheBytesAsReceived_data();
    void doubleClickGivesTheBytesAsReceived();
};

void TestTerminalView::piecesShowLikeTheirContent_data()
{
    QTest::addColumn<QByteArrayList>("pieces");
    QTest::newRow("kept CR, then LF") << QByteArrayList{"A\r\nB\r", "\nC"};
    QTest::newRow("kept CR, then CR LF") << QByteArrayList{"A\r\nB\r", "\r\nC"};
    QTest::newRow("kept CR, then LF alone") << QByteArrayList{"A\r\nB\r", "\n"};
    QTest::newRow("CR LF split, then a backspace") << QByteArrayList{"A\r\nB\r", "\n", "\x08"};
    QTest::newRow("LF first") << QByteArrayList{"\n", "A\r\n"};
    QTest::newRow("lone CR dropped, then LF") << QByteArrayList{"A\r", "\nB"};
}

void TestTerminalView::piecesShowLikeTheirContent()
{
    QFETCH(QByteArrayList, pieces);
    TerminalView view;
    for (const QByteArray& piece : pieces) {
        view.WriteTerminal(piece);
        QVERIFY2(showsItsContent(view), piece.toHex(' ').constData());
    }
}

void TestTerminalView::randomPiecesShowLikeTheirContent_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("rounds");
    QTest::addColumn<int>("bytesPerRound");
    QTest::addColumn<int>("maxPiece");
    QTest::newRow("many short sessions, small pieces") << 1u << 60 << 300 << 6;
    QTest::newRow("many short sessions, larger pieces") << 2u << 40 << 600 << 24;
    QTest::newRow("a long session past the cut") << 3u << 1 << 40000 << 64;
}

void TestTerminalView::randomPiecesShowLikeTheirContent()
{
    QFETCH(quint32, seed);
    QFETCH(int, rounds);
    QFETCH(int, bytesPerRound);
    QFETCH(int, maxPiece);
    QRandomGenerator random(seed);
    for (int round = 0; round < rounds; ++round) {
        TerminalView view;
        QByteArray written;
        while (written.size() < bytesPerRound) {
            const QByteArray piece = randomPiece(random, maxPiece);
            view.WriteTerminal(piece);
            written.append(piece);
            if (!showsItsContent(view))
                QFAIL(qPrintable(QStringLiteral("round %1: written %2")
                                     .arg(round)
                                     .arg(QString::fromLatin1(written.right(80).toHex(' ')))));
        }
        if (bytesPerRound > display::TerminalBuffer::kCapacity)
            QVERIFY(view.content().size() < display::TerminalBuffer::kCapacity + maxPiece);
    }
}

void TestTerminalView::linesBreakBetweenWords_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("betweenWords");
    QTest::newRow("a detail line") << QByteArray("            : Sequence_ID: <13>    Byte_Length: <144>    "
                                                 "Received_Parity: <9Bh>    Calculated_Parity: <9Bh>\r\n")
                                   << true;
    QTest::newRow("a record, one long word") << QByteArray(" ->:14:03:59: \x02"
                                                           "0!J" +
                                                           QByteArray(200, '.') + "\x03\r\n")
                                             << false;
}

// Every line of the layout begins after a blank, unless a word did not fit on a line of its own.
void TestTerminalView::linesBreakBetweenWords()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, betweenWords);
    TerminalView view;
    view.resize(300, 400);
    view.show();
    view.WriteTerminal(line);
    const QTextBlock block = view.document()->firstBlock();
    QTextLayout* layout = block.layout();
    QVERIFY(layout->lineCount() > 1);
    const QString text = block.text();
    for (int i = 1; i < layout->lineCount(); ++i) {
        const int start = layout->lineAt(i).textStart();
        QCOMPARE(text.at(start - 1) == QLatin1Char(' '), betweenWords);
    }
}

void TestTerminalView::doubleClickGivesTheBytesAsReceived_data()
{
    QTest::addColumn<QByteArray>("before"); // lines written before the record's
    QTest::newRow("first line") << QByteArray();
    QTest::newRow("after lines ended by CR LF and by LF") << QByteArray("<->:14:03:58: one\r\ntwo\n");
}

// 0xB6 and 0xA7 are drawn as themselves and are also the shapes of 0x14 and 0x15: the record
// handed on is the bytes received, never the drawing read back.
void TestTerminalView::doubleClickGivesTheBytesAsReceived()
{
    QFETCH(QByteArray, before);
    const QByteArray record("\x02"
                            "12J\xB6\xA7\x14\x15.9\x03");
    TerminalView view;
    view.resize(600, 300);
    view.show();
    view.WriteTerminal(before + " ->:14:03:59: " + record + "\r\nnext\r\n");
    QSignalSpy clicked(&view, &TerminalView::wordDoubleClicked);
    QTextCursor at(view.document()->findBlockByNumber(view.document()->blockCount() - 3));
    at.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 17);
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, view.cursorRect(at).center());
    QCOMPARE(clicked.size(), 1);
    QCOMPARE(clicked[0][0].toByteArray(), record);
}

QTEST_MAIN(TestTerminalView)
#include "tst_terminal_view.moc"
