// SPDX-License-Identifier: GPL-3.0-or-later
// The tool's own widgets on their own: the terminal box, the operator's real dialogs and the
// transmission's cancel window.
#include "display/visible_text.h"
#include "frm_cancel_send.h"
#include "resync_offer.h"
#include "status_panel.h"
#include "tool_fixture.h"
#include "widget_operator.h"
#include "window_placement.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTextBlock>

using namespace zkn;

Q_DECLARE_METATYPE(zkn::Operator::Buttons)
Q_DECLARE_METATYPE(zkn::Operator::Answer)

namespace {

// Bytes that change how text is shown (line breaks, backspaces, control characters, DEL), with
// plain and 8-bit letters between them.
QByteArray randomBytes(QRandomGenerator& random, int length)
{
    static constexpr char kBytes[] = {'\r', '\n', '\r', '\n', 0x08, 0x02, 0x03, 0x16,   0x00,
                                      0x1B, 0x7F, 'A',  'b',  '7',  ' ',  '.',  '\xE4', '\xFF'};
    QByteArray bytes;
    for (int i = 0; i < length; ++i)
        bytes.append(kBytes[random.bounded(int(sizeof kBytes))]);
    return bytes;
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
    void terminalShowsWhatItHolds_data();
    void terminalShowsWhatItHolds();
    void terminalDoubleClickGivesTheBytesAsReceived_data();
    void terminalDoubleClickGivesTheBytesAsReceived();
    void boxesAnswerWhenClosed_data();
    void boxesAnswerWhenClosed();
    void logChoiceMayNameANewFile_data();
    void logChoiceMayNameANewFile();
    void everyWayOutOfATransmissionCancels_data();
    void everyWayOutOfATransmissionCancels();
    void statusPanelsWholeAtTheDefaultSize_data();
    void statusPanelsWholeAtTheDefaultSize();
    void terminalFollowsOnlyFromTheBottom();
    void mainWindowMakesRoomBeside_data();
    void mainWindowMakesRoomBeside();
};

void TestWidgets::terminalShowsWhatItHolds_data()
{
    QTest::addColumn<QByteArrayList>("pieces");
    QTest::newRow("kept CR, then LF") << QByteArrayList{"A\r\nB\r", "\nC"};
    QTest::newRow("kept CR, then CR LF") << QByteArrayList{"A\r\nB\r", "\r\nC"};
    QTest::newRow("kept CR, then LF alone") << QByteArrayList{"A\r\nB\r", "\n"};
    QTest::newRow("CR LF split, then a backspace") << QByteArrayList{"A\r\nB\r", "\n", "\x08"};
    QTest::newRow("LF first") << QByteArrayList{"\n", "A\r\n"};
    QTest::newRow("lone CR dropped, then LF") << QByteArrayList{"A\r", "\nB"};
    // Sessions of random pieces, small, then larger; the last filled to just below the cut in one
    // write, then past it.
    QRandomGenerator random(1);
    for (int session = 0; session <= 30; ++session) {
        QByteArrayList pieces{
            randomBytes(random, session == 30 ? display::TerminalBuffer::kCapacity - 500 : 0)};
        for (qsizetype written = 0; written < 600; written += pieces.last().size())
            pieces.append(randomBytes(random, random.bounded((session < 20 ? 6 : 40) + 1)));
        QTest::addRow("random session %d", session) << pieces;
    }
}

// However the text was cut into writes, the box shows its content.
void TestWidgets::terminalShowsWhatItHolds()
{
    QFETCH(QByteArrayList, pieces);
    TerminalView view;
    QByteArray written;
    for (const QByteArray& piece : pieces) {
        view.WriteTerminal(piece);
        written += piece;
        QVERIFY2(view.toPlainText() == display::visibleText(view.content()),
                 written.right(80).toHex(' ').constData());
    }
    QVERIFY(view.content().size() < display::TerminalBuffer::kCapacity + 64);
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

void TestWidgets::boxesAnswerWhenClosed_data()
{
    QTest::addColumn<int>("splash"); // 0: none, 1: up, 2: shown and hidden again
    QTest::addColumn<Operator::Buttons>("buttons");
    QTest::addColumn<QMessageBox::StandardButton>("clicked");
    QTest::addColumn<Operator::Answer>("answer");
    QTest::newRow("no splash: over the main window, OK")
        << 0 << Operator::Buttons::Ok << QMessageBox::Ok << Operator::Answer::Ok;
    QTest::newRow("splash up: over the splash, on top, Retry")
        << 1 << Operator::Buttons::RetryCancel << QMessageBox::Retry << Operator::Answer::Retry;
    QTest::newRow("splash gone: over the main window, No")
        << 2 << Operator::Buttons::YesNo << QMessageBox::No << Operator::Answer::No;
}

// The box does not wait: it is up, modal for every window, when show() returns, and its answer
// comes once it is closed; boxes come one at a time. While the splash is up the box goes over it,
// or the splash, kept on top, would hide it.
void TestWidgets::boxesAnswerWhenClosed()
{
    QFETCH(int, splash);
    QFETCH(Operator::Buttons, buttons);
    QFETCH(QMessageBox::StandardButton, clicked);
    QWidget mainWindow; // hidden, as it is during the start-up
    frmSplash splashWindow;
    if (splash > 0) {
        splashWindow.show();
        QVERIFY(QTest::qWaitForWindowExposed(&splashWindow));
    }
    if (splash == 2)
        splashWindow.hide();
    WidgetOperator op(&mainWindow);
    std::optional<Operator::Answer> answer;
    op.show({QStringLiteral("PBX did not respond to Lamp Control."), Operator::Icon::Critical, buttons,
             QStringLiteral("Error")},
            [&answer](Operator::Answer given) { answer = given; });
    auto* box = qobject_cast<QMessageBox*>(dialogUp());
    QVERIFY(box);
    QCOMPARE(box->parentWidget(), splash == 1 ? static_cast<QWidget*>(&splashWindow) : &mainWindow);
    QCOMPARE(box->windowFlags().testFlag(Qt::WindowStaysOnTopHint), splash == 1);
    QCOMPARE(box->windowModality(), Qt::ApplicationModal);
    QCOMPARE(box->windowTitle(), QStringLiteral("Error"));
    QVERIFY(!answer);
    // A second one asked meanwhile waits for the first to be closed.
    op.tell(QStringLiteral("Invalid Record! You Idiot!!"), Operator::Icon::Exclamation);
    QCOMPARE(dialogUp(), box);
    box->button(clicked)->click();
    QVERIFY(test::eventually([&] { return answer.has_value(); }, 2000));
    QTEST(*answer, "answer");
    const auto second = [] { return qobject_cast<QMessageBox*>(dialogUp()); };
    QVERIFY(test::eventually([&] { return second() && second()->text() == "Invalid Record! You Idiot!!"; },
                             2000));
    second()->reject();
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
    // The tool itself asks before it replaces a log.
    QCOMPARE(files->testOption(QFileDialog::DontConfirmOverwrite), !mustExist);
    files->reject();
    QVERIFY(test::eventually([&] { return chosen.has_value(); }, 2000));
    QVERIFY(!*chosen);
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
    QVERIFY(!window.isModal() && window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    if (way == QLatin1String("Cancel button"))
        QTest::mouseClick(test::in<QAbstractButton>(&window, "Command1"), Qt::LeftButton);
    else if (way == QLatin1String("close box"))
        window.close();
    else
        QTest::keyClick(&window, way == QLatin1String("Enter") ? Qt::Key_Return : Qt::Key_Escape);
    QCOMPARE(cancelled.size(), 1);
    QVERIFY(!window.isVisible());
}

void TestWidgets::statusPanelsWholeAtTheDefaultSize_data()
{
    QTest::addColumn<QStringList>(
        "texts");                   // Status, figures (none: hidden), Settings, HealthChk, ConnectTime
    QTest::addColumn<int>("lamps"); // in the ledger's offer; 0: none
    const QString lan = QStringLiteral("Host:  192.168.100.200      Device:  1      Parity:  Even");
    QTest::newRow("LAN, a load test running")
        << QStringList{"Status: Socket Connected", "1606 sent, 1605 ok, 1 ref., 0 unans., 16/35 ms", lan,
                       "HC: 5", "00:12:05"}
        << 0;
    QTest::newRow("LAN, connecting, the ledger's offer shown")
        << QStringList{"Status: Socket Connection Pending...", "", lan, "", ""} << 12;
    QTest::newRow("serial") << QStringList{"Status: Connected", "", "Settings: 115200,e,7,1.5", "",
                                           "00:00:05"}
                            << 0;
}

// Every panel's whole text shows at the window's default size, and in its tool tip under what the
// panel is for.
void TestWidgets::statusPanelsWholeAtTheDefaultSize()
{
    QFETCH(QStringList, texts);
    QFETCH(int, lamps);
    test::ToolFixture t;
    QVERIFY(t.start());
    if (lamps > 0)
        t.window->resyncOffer()->offer(lamps);
    const char* const keys[] = {"Status", "LoadTestFigures", "Settings", "HealthChk", "ConnectTime"};
    for (int i = 0; i < 5; ++i) {
        auto* panel = test::in<StatusPanel>(t.window.get(), keys[i]);
        QVERIFY(panel);
        panel->setPanelText(texts[i]);
        panel->setVisible(i != 1 || !texts[i].isEmpty());
    }
    QVERIFY(QTest::qWaitForWindowExposed(t.window.get()));
    QCoreApplication::processEvents();
    for (int i = 0; i < 5; ++i) {
        const auto* panel = test::in<StatusPanel>(t.window.get(), keys[i]);
        if (!panel->isVisible())
            continue;
        QVERIFY2(panel->width() >= panel->sizeHint().width(),
                 qPrintable(QStringLiteral("%1: %2 of %3")
                                .arg(texts[i])
                                .arg(panel->width())
                                .arg(panel->sizeHint().width())));
        QCOMPARE(panel->toolTip().section(QLatin1Char('\n'), 1),
                 texts[i].trimmed().isEmpty() ? QString() : texts[i]);
    }
}

// At the bottom the view follows every line; scrolled up it stays on the text the operator reads,
// through a cut of the front too, or at the top when that text was cut; typing goes at the end.
void TestWidgets::terminalFollowsOnlyFromTheBottom()
{
    TerminalView view;
    view.resize(400, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QScrollBar* bar = view.verticalScrollBar();
    int written = 0;
    const auto lines = [&](int count) {
        for (int i = 0; i < count; ++i)
            view.WriteTerminal(QByteArray::number(written++).rightJustified(6, '0') +
                               " a line of traffic\r\n");
    };
    const auto topLine = [&] { return view.cursorForPosition(QPoint(0, 0)).block().text(); };
    lines(550);
    QCOMPARE(bar->value(), bar->maximum());

    bar->setValue(bar->maximum() - 20);
    const QString read = topLine();
    lines(10);
    QCOMPARE(topLine(), read);
    QVERIFY(view.textCursor().atEnd());
    lines(90); // the front is cut, the text read is not
    QVERIFY(!view.content().startsWith("000000"));
    QCOMPARE(topLine(), read);

    bar->setValue(0);
    lines(200); // the text at the top is cut
    QCOMPARE(bar->value(), 0);
    QVERIFY(topLine() != read);

    bar->setValue(bar->maximum());
    lines(1);
    QCOMPARE(bar->value(), bar->maximum());
    QVERIFY(topLine().startsWith(QByteArray::number(written - 1).rightJustified(6, '0')) ||
            view.toPlainText().endsWith(QByteArray::number(written - 1).rightJustified(6, '0') +
                                        " a line of traffic\n"));
}

// The main window and the breakdown window side by side, the pair centred; the main window narrowed
// to no less than its least width, and left alone where the two cannot fit. The window manager's
// frame is allowed for: 16 px beside each window, 40 px above.
void TestWidgets::mainWindowMakesRoomBeside_data()
{
    QTest::addColumn<QRect>("free");
    QTest::addColumn<QSize>("beside");
    QTest::addColumn<QRect>("expected"); // null: no room

    const QSize breakdown(480, 680);
    QTest::newRow("a laptop: narrowed") << QRect(0, 0, 1280, 800) << breakdown << QRect(0, 140, 768, 520);
    QTest::newRow("a large screen: kept, the pair centred")
        << QRect(0, 0, 1920, 1200) << breakdown << QRect(224, 140, 960, 520);
    QTest::newRow("a second screen with a panel: within it")
        << QRect(1920, 32, 1600, 868) << breakdown << QRect(1920 + 64, 140, 960, 520);
    QTest::newRow("narrowed to the least width exactly")
        << QRect(0, 0, 1212, 800) << breakdown << QRect(0, 140, 700, 520);
    QTest::newRow("a pixel too narrow: left alone") << QRect(0, 0, 1211, 800) << breakdown << QRect();
    QTest::newRow("the window fits just in height")
        << QRect(0, 0, 1280, 720) << breakdown << QRect(0, 140, 768, 520);
    QTest::newRow("a pixel too low: left alone") << QRect(0, 0, 1280, 719) << breakdown << QRect();
}

void TestWidgets::mainWindowMakesRoomBeside()
{
    QFETCH(QRect, free);
    QFETCH(QSize, beside);
    QFETCH(QRect, expected);
    const auto place = roomBeside(free, QRect(160, 140, 960, 520), 700, beside);
    QCOMPARE(place.value_or(QRect()), expected);
}

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
