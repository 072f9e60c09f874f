// The tool's own widgets on their own: the terminal box, the operator's real dialogs, the
// transmission's cancel window, where watched windows appear, and the icon.
#include "app_icon.h"
#include "display/visible_text.h"
#include "frm_cancel_send.h"
#include "frm_splash.h"
#include "terminal_view.h"
#include "tool_fixture.h"
#include "widget_operator.h"
#include "window_placement.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QRandomGenerator>
#include <QScreen>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextLayout>

using namespace zkn;

Q_DECLARE_METATYPE(zkn::Operator::Buttons)
Q_DECLARE_METATYPE(zkn::Operator::Answer)

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

QDialog* dialogUp()
{
    return qobject_cast<QDialog*>(QApplication::activeModalWidget());
}

} // namespace

class TestWidgets : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void terminalShowsPiecesLikeTheirContent_data();
    void terminalShowsPiecesLikeTheirContent();
    void terminalShowsRandomPiecesLikeTheirContent_data();
    void terminalShowsRandomPiecesLikeTheirContent();
    void terminalBreaksLinesBetweenWords_data();
    void terminalBreaksLinesBetweenWords();
    void terminalDoubleClickGivesTheBytesAsReceived_data();
    void terminalDoubleClickGivesTheBytesAsReceived();
    void boxesShowOverTheSplash_data();
    void boxesShowOverTheSplash();
    void logChoiceMayNameANewFile_data();
    void logChoiceMayNameANewFile();
    void shownBoxAnswersWhenClosed_data();
    void shownBoxAnswersWhenClosed();
    void everyWayOutOfATransmissionCancels_data();
    void everyWayOutOfATransmissionCancels();
    void watchedWindowBesideOnTheSideWithRoom_data();
    void watchedWindowBesideOnTheSideWithRoom();
    void dialogCentredOverOnlyTheFirstTime();
    void iconHasEverySizeAsItsOwnPicture_data();
    void iconHasEverySizeAsItsOwnPicture();
    void mainWindowShowsTheApplicationIcon();
};

void TestWidgets::terminalShowsPiecesLikeTheirContent_data()
{
    QTest::addColumn<QByteArrayList>("pieces");
    QTest::newRow("kept CR, then LF") << QByteArrayList{"A\r\nB\r", "\nC"};
    QTest::newRow("kept CR, then CR LF") << QByteArrayList{"A\r\nB\r", "\r\nC"};
    QTest::newRow("kept CR, then LF alone") << QByteArrayList{"A\r\nB\r", "\n"};
    QTest::newRow("CR LF split, then a backspace") << QByteArrayList{"A\r\nB\r", "\n", "\x08"};
    QTest::newRow("LF first") << QByteArrayList{"\n", "A\r\n"};
    QTest::newRow("lone CR dropped, then LF") << QByteArrayList{"A\r", "\nB"};
}

void TestWidgets::terminalShowsPiecesLikeTheirContent()
{
    QFETCH(QByteArrayList, pieces);
    TerminalView view;
    for (const QByteArray& piece : pieces) {
        view.WriteTerminal(piece);
        QVERIFY2(showsItsContent(view), piece.toHex(' ').constData());
    }
}

void TestWidgets::terminalShowsRandomPiecesLikeTheirContent_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("rounds");
    QTest::addColumn<int>("bytesPerRound");
    QTest::addColumn<int>("maxPiece");
    QTest::newRow("short sessions, small pieces") << 1u << 30 << 300 << 6;
    QTest::newRow("short sessions, larger pieces") << 2u << 20 << 600 << 24;
    // Filled to just below the cut in one write, then in pieces past it.
    QTest::newRow("a session past the cut") << 3u << 1 << display::TerminalBuffer::kCapacity + 1000 << 64;
}

void TestWidgets::terminalShowsRandomPiecesLikeTheirContent()
{
    QFETCH(quint32, seed);
    QFETCH(int, rounds);
    QFETCH(int, bytesPerRound);
    QFETCH(int, maxPiece);
    QRandomGenerator random(seed);
    const bool pastTheCut = bytesPerRound > display::TerminalBuffer::kCapacity;
    for (int round = 0; round < rounds; ++round) {
        TerminalView view;
        QByteArray written;
        while (pastTheCut && written.size() < display::TerminalBuffer::kCapacity - 500)
            written.append(randomPiece(random, maxPiece));
        view.WriteTerminal(written);
        while (written.size() < bytesPerRound) {
            const QByteArray piece = randomPiece(random, maxPiece);
            view.WriteTerminal(piece);
            written.append(piece);
            if (!showsItsContent(view))
                QFAIL(qPrintable(QStringLiteral("round %1: written %2")
                                     .arg(round)
                                     .arg(QString::fromLatin1(written.right(80).toHex(' ')))));
        }
        if (pastTheCut)
            QVERIFY(view.content().size() < display::TerminalBuffer::kCapacity + maxPiece);
    }
}

void TestWidgets::terminalBreaksLinesBetweenWords_data()
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
void TestWidgets::terminalBreaksLinesBetweenWords()
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
    for (int i = 1; i < layout->lineCount(); ++i)
        QCOMPARE(block.text().at(layout->lineAt(i).textStart() - 1) == QLatin1Char(' '), betweenWords);
}

void TestWidgets::terminalDoubleClickGivesTheBytesAsReceived_data()
{
    QTest::addColumn<QByteArray>("before"); // lines written before the record's
    QTest::newRow("first line") << QByteArray();
    QTest::newRow("after lines ended by CR LF and by LF") << QByteArray("<->:14:03:58: one\r\ntwo\n");
}

// 0xB6 and 0xA7 are drawn as themselves and are also the shapes of 0x14 and 0x15: the record
// handed on is the bytes received, never the drawing read back.
void TestWidgets::terminalDoubleClickGivesTheBytesAsReceived()
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

void TestWidgets::boxesShowOverTheSplash_data()
{
    QTest::addColumn<bool>("splashShown");
    QTest::addColumn<bool>("splashHiddenAgain");
    QTest::addColumn<bool>("overSplash");
    QTest::newRow("no splash: over the main window") << false << false << false;
    QTest::newRow("splash up: over the splash, on top") << true << false << true;
    QTest::newRow("splash gone: over the main window") << true << true << false;
}

void TestWidgets::boxesShowOverTheSplash()
{
    QFETCH(bool, splashShown);
    QFETCH(bool, splashHiddenAgain);
    QFETCH(bool, overSplash);
    QWidget mainWindow; // hidden, as it is during the start-up
    QPointer<frmSplash> splash = new frmSplash;
    if (splashShown) {
        splash->show();
        QVERIFY(QTest::qWaitForWindowExposed(splash));
    }
    if (splashHiddenAgain)
        splash->hide();
    WidgetOperator op(&mainWindow);
    op.tell(QStringLiteral("Invalid property value"), Operator::Icon::Exclamation);
    QDialog* box = dialogUp();
    QVERIFY(box);
    QCOMPARE(box->parentWidget(), overSplash ? static_cast<QWidget*>(splash.data()) : &mainWindow);
    QCOMPARE(box->windowFlags().testFlag(Qt::WindowStaysOnTopHint), overSplash);
    box->reject();
    delete splash;
}

void TestWidgets::logChoiceMayNameANewFile_data()
{
    QTest::addColumn<bool>("mustExist");
    QTest::addColumn<QFileDialog::AcceptMode>("acceptMode");
    QTest::addColumn<QFileDialog::FileMode>("fileMode");
    QTest::newRow("a file to read") << true << QFileDialog::AcceptOpen << QFileDialog::ExistingFile;
    QTest::newRow("a log to create or extend") << false << QFileDialog::AcceptSave << QFileDialog::AnyFile;
}

void TestWidgets::logChoiceMayNameANewFile()
{
    QFETCH(bool, mustExist);
    QWidget mainWindow;
    WidgetOperator op(&mainWindow);
    std::optional<std::optional<QString>> chosen;
    op.chooseFile({QStringLiteral("Open Communications Log File"),
                   QStringLiteral("Log Files (*.txt *.TXT);;All Files (*)"), QString(), mustExist},
                  [&chosen](const std::optional<QString>& path) { chosen = path; });
    auto* files = qobject_cast<QFileDialog*>(dialogUp());
    QVERIFY(files);
    QTEST(files->acceptMode(), "acceptMode");
    QTEST(files->fileMode(), "fileMode");
    QCOMPARE(files->windowTitle(), QStringLiteral("Open Communications Log File"));
    QCOMPARE(files->nameFilters(),
             (QStringList{QStringLiteral("Log Files (*.txt *.TXT)"), QStringLiteral("All Files (*)")}));
    if (!mustExist)
        QVERIFY2(files->testOption(QFileDialog::DontConfirmOverwrite),
                 "the tool itself asks before it replaces a log");
    files->reject();
    QVERIFY(test::eventually([&] { return chosen.has_value(); }, 2000));
    QVERIFY(!*chosen);
}

void TestWidgets::shownBoxAnswersWhenClosed_data()
{
    QTest::addColumn<Operator::Buttons>("buttons");
    QTest::addColumn<QMessageBox::StandardButton>("clicked");
    QTest::addColumn<Operator::Answer>("answer");
    QTest::newRow("OK") << Operator::Buttons::Ok << QMessageBox::Ok << Operator::Answer::Ok;
    QTest::newRow("Retry") << Operator::Buttons::RetryCancel << QMessageBox::Retry << Operator::Answer::Retry;
    QTest::newRow("No") << Operator::Buttons::YesNo << QMessageBox::No << Operator::Answer::No;
}

// The box does not wait: it is up, modal for every window, when show() returns, and its answer
// comes once it is closed; boxes come one at a time.
void TestWidgets::shownBoxAnswersWhenClosed()
{
    QFETCH(Operator::Buttons, buttons);
    QFETCH(QMessageBox::StandardButton, clicked);
    QWidget mainWindow;
    WidgetOperator op(&mainWindow);
    std::optional<Operator::Answer> answer;
    op.show({QStringLiteral("PBX did not respond to Lamp Control."), Operator::Icon::Critical, buttons,
             QStringLiteral("Error")},
            [&answer](Operator::Answer given) { answer = given; });
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    QVERIFY(box);
    QCOMPARE(box->windowModality(), Qt::ApplicationModal);
    QCOMPARE(box->windowTitle(), QStringLiteral("Error"));
    QVERIFY(!answer);
    // A second one asked meanwhile waits for the first to be closed.
    op.tell(QStringLiteral("Invalid Record! You Idiot!!"), Operator::Icon::Exclamation);
    QCOMPARE(QApplication::activeModalWidget(), box);
    box->button(clicked)->click();
    QVERIFY(test::eventually([&] { return answer.has_value(); }, 2000));
    QTEST(*answer, "answer");
    QMessageBox* second = nullptr;
    QVERIFY(test::eventually(
        [&] {
            second = qobject_cast<QMessageBox*>(dialogUp());
            return second && second->text() == QStringLiteral("Invalid Record! You Idiot!!");
        },
        2000));
    second->reject();
}

void TestWidgets::everyWayOutOfATransmissionCancels_data()
{
    QTest::addColumn<QString>("way");
    for (const char* way : {"Cancel button", "Enter", "Escape", "close box"})
        QTest::newRow(way) << QString::fromLatin1(way);
}

// On top of the main window, which stays usable; every way the operator leaves it is a cancel.
void TestWidgets::everyWayOutOfATransmissionCancels()
{
    QFETCH(QString, way);
    QWidget mainWindow;
    frmCancelSend window(&mainWindow);
    QSignalSpy cancelled(&window, &frmCancelSend::cancelClicked);
    window.showSending(QStringLiteral("/home/op/letter.TXT"));
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(!window.isModal());
    QVERIFY(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    if (way == QLatin1String("Cancel button"))
        QTest::mouseClick(test::in<QAbstractButton>(&window, "Command1"), Qt::LeftButton);
    else if (way == QLatin1String("close box"))
        window.close();
    else
        QTest::keyClick(&window, way == QLatin1String("Enter") ? Qt::Key_Return : Qt::Key_Escape);
    QCOMPARE(cancelled.size(), 1);
    QVERIFY(!window.isVisible());
}

void TestWidgets::watchedWindowBesideOnTheSideWithRoom_data()
{
    QTest::addColumn<bool>("mainOnTheLeft");
    QTest::newRow("room on the right") << true;
    QTest::newRow("room on the left") << false;
}

// Beside the main window on the side with room, kept there while it grows (on the screen), until
// the operator moves it; shown again where it was left.
void TestWidgets::watchedWindowBesideOnTheSideWithRoom()
{
    QFETCH(bool, mainOnTheLeft);
    const QRect free = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget main;
    main.setGeometry(mainOnTheLeft ? free.left() : free.right() + 1 - 300, free.top(), 300, 200);
    main.show();
    QWidget watched(nullptr, Qt::Window);
    watched.resize(200, 100);
    showBeside(&watched, &main);
    QVERIFY(watched.isVisible() && free.contains(watched.geometry()));
    QVERIFY(!watched.frameGeometry().intersects(main.frameGeometry()));
    QCOMPARE(watched.x() > main.x(), mainOnTheLeft);
    if (mainOnTheLeft)
        QCOMPARE(watched.frameGeometry().left(), main.frameGeometry().right() + 1);
    watched.resize(free.width() - 100, 300);
    QVERIFY(free.contains(watched.geometry()));
    const QPoint put = free.topLeft() + QPoint(10, 10);
    watched.move(put);
    watched.resize(200, 100);
    watched.hide();
    showBeside(&watched, &main);
    QCOMPARE(watched.pos(), put);
}

// Properties, the debug options and the serial buffer window: centred when first shown; once moved,
// hidden and shown again where the operator left them.
void TestWidgets::dialogCentredOverOnlyTheFirstTime()
{
    const QRect free = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget main;
    main.setGeometry(free.left() + 100, free.top() + 100, 600, 400);
    main.show();
    QWidget dialog(nullptr, Qt::Window);
    dialog.resize(200, 100);
    showOver(&dialog, &main);
    // Within the width of a window frame.
    QVERIFY((dialog.frameGeometry().center() - main.frameGeometry().center()).manhattanLength() <= 8);
    dialog.move(free.topLeft() + QPoint(20, 30));
    dialog.hide();
    showOver(&dialog, &main);
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.pos(), free.topLeft() + QPoint(20, 30));
}

void TestWidgets::iconHasEverySizeAsItsOwnPicture_data()
{
    QTest::addColumn<int>("size");
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        QTest::addRow("%dx%d", size, size) << size;
}

// Rendered for every size and built in, so the desktop shows the same picture everywhere.
void TestWidgets::iconHasEverySizeAsItsOwnPicture()
{
    QFETCH(int, size);
    const QImage rendered(QStringLiteral(":/icons/%1x%1/zkn-tool.png").arg(size));
    QCOMPARE(rendered.size(), QSize(size, size));
    const QImage shown = applicationIcon().pixmap(QSize(size, size)).toImage();
    // A pixmap keeps its colours premultiplied: compare both that way, not to the last bit lost.
    constexpr auto format = QImage::Format_ARGB32_Premultiplied;
    QCOMPARE(shown.convertToFormat(format), rendered.convertToFormat(format));
}

// The application's icon rather than one of the window's own.
void TestWidgets::mainWindowShowsTheApplicationIcon()
{
    QApplication::setWindowIcon(applicationIcon());
    test::ToolFixture tool;
    QVERIFY(tool.start());
    QCOMPARE(tool.window->windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
}

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
