// The breakdown window in the running tool: shown and hidden by its menu item, filled by received
// records and by a double-click in the terminal, held, cleared and closed.
#include "tool_fixture.h"

#include "display/terminal_line.h"
#include "frm_break_down.h"
#include "frm_single.h"
#include "pbxsim/record_catalogue.h"
#include "terminal_view.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextBlock>

using namespace zkn;
using zkn::test::ToolFixture;

namespace {

QByteArray catalogueRecord(pbxsim::RecordLayout layout, int index = 0)
{
    return display::DotBlanks(pbxsim::catalogueTexts(layout).value(index));
}

// The captions of the six frames in front, in the window's order of areas.
QStringList framesInFront(const FrmBreakDown* window)
{
    QStringList captions;
    for (const QStackedWidget* stack : window->findChildren<QStackedWidget*>())
        captions.append(static_cast<QGroupBox*>(stack->currentWidget())->title());
    return captions;
}

bool allPlain(const FrmBreakDown* window)
{
    for (const QString& caption : framesInFront(window))
        if (caption.contains(QLatin1Char('(')))
            return false;
    return true;
}

struct Rig
{
    ToolFixture t;
    FrmBreakDown* window = nullptr;
    QAction* format = nullptr;

    bool start(bool kra = true)
    {
        if (!t.start())
            return false;
        t.app->connection().setRecordFormatKra(kra);
        window = t.window->breakDownWindow();
        format = t.action("mnuFormat");
        return window && format;
    }
    void receive(const QByteArray& record)
    {
        t.window->recordArrived(record, true, QDateTime::currentDateTime());
    }
    template <typename T> T* in(const char* name) const { return window->findChild<T*>(QLatin1String(name)); }
};

} // namespace

class TestBreakDown : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formatItemShowsAndHides();
    void receivedRecordsFillTheAreasAndClearEmptiesThem();
    void holdKeepsTheRecordButNotTheTime();
    void hiddenWindowDecodesNothing();
    void titleBarCloseUnloadsTheWindow();
    void olvRecordsSetTheExpansionOption();
    void doubleClickDecodesARecordOnly_data();
    void doubleClickDecodesARecordOnly();
};

void TestBreakDown::formatItemShowsAndHides()
{
    Rig r;
    QVERIFY(r.start());
    QVERIFY(!r.window->isVisible());
    r.format->trigger();
    QVERIFY(r.window->isVisible() && r.format->isChecked());
    r.format->trigger();
    QVERIFY(!r.window->isVisible() && !r.format->isChecked());
    r.format->trigger();
    r.in<QPushButton>("cmdClose")->click();
    QVERIFY(!r.window->isVisible());
    QVERIFY(!r.format->isChecked());
    r.format->trigger(); // the next choice shows it again
    QVERIFY(r.window->isVisible());
}

void TestBreakDown::receivedRecordsFillTheAreasAndClearEmptiesThem()
{
    Rig r;
    QVERIFY(r.start());
    r.format->trigger();
    r.receive(catalogueRecord(pbxsim::RecordLayout::Kra));
    QCOMPARE(r.window->windowTitle(), QStringLiteral("Format Message Information (KRA)"));
    QVERIFY(!allPlain(r.window));
    r.in<QPushButton>("cmdClear")->click();
    QVERIFY(allPlain(r.window));
    QCOMPARE(framesInFront(r.window).size(), 6);
    r.receive(catalogueRecord(pbxsim::RecordLayout::Kra, 1));
    QVERIFY(!allPlain(r.window));
    QTest::qWait(0); // boxes a decode raises come after the record's answer
    QVERIFY2(r.t.op.messages.isEmpty(), qPrintable(r.t.op.messages.value(0).text));
}

void TestBreakDown::holdKeepsTheRecordButNotTheTime()
{
    Rig r;
    QVERIFY(r.start());
    r.format->trigger();
    r.receive(catalogueRecord(pbxsim::RecordLayout::Kra));
    const QStringList first = framesInFront(r.window);
    auto* hold = r.in<QCheckBox>("ChkHold");
    hold->click();
    QCOMPARE(hold->text().remove(QLatin1Char('&')), QStringLiteral("Resume"));
    r.in<QLabel>("lblTime")->clear();
    r.in<QPushButton>("cmdClear")->click();
    // Not decoded while held, but its time is shown, to the second, as the locale writes it.
    const QLocale locale;
    QLocale::setDefault(QLocale(QStringLiteral("en_US")));
    r.t.window->recordArrived(catalogueRecord(pbxsim::RecordLayout::Kra, 1), true,
                              QDateTime(QDate(2026, 12, 6), QTime(14, 3, 59)));
    QLocale::setDefault(locale);
    QVERIFY(allPlain(r.window));
    QCOMPARE(r.in<QLabel>("lblTime")->text(), QStringLiteral("12/6/26 2:03:59 PM"));
    hold->click();
    QCOMPARE(hold->text().remove(QLatin1Char('&')), QStringLiteral("Hold"));
    r.receive(catalogueRecord(pbxsim::RecordLayout::Kra));
    QCOMPARE(framesInFront(r.window), first);
}

void TestBreakDown::hiddenWindowDecodesNothing()
{
    Rig r;
    QVERIFY(r.start());
    r.receive(catalogueRecord(pbxsim::RecordLayout::Kra));
    QVERIFY(!r.in<QLabel>("lblTime")->text().isEmpty());
    r.format->trigger();
    QVERIFY(allPlain(r.window));
    QCOMPARE(r.window->windowTitle(), QStringLiteral("Format Message Information - ZKN-Tool"));
}

void TestBreakDown::titleBarCloseUnloadsTheWindow()
{
    Rig r;
    QVERIFY(r.start());
    r.format->trigger();
    r.receive(catalogueRecord(pbxsim::RecordLayout::Kra));
    r.in<QCheckBox>("ChkHold")->click();
    r.window->close();
    QVERIFY(!r.format->isChecked());
    r.format->trigger();
    QVERIFY(allPlain(r.window));
    QVERIFY(!r.in<QCheckBox>("ChkHold")->isChecked());
    QCOMPARE(r.window->findChildren<QGroupBox*>().size(), 6); // the plain frames alone
    QCOMPARE(r.window->windowTitle(), QStringLiteral("Format Message Information - ZKN-Tool"));
}

// The 8-digit layouts need the expansion for the lamp messages too; the 6-digit ones do not.
void TestBreakDown::olvRecordsSetTheExpansionOption()
{
    Rig r;
    QVERIFY(r.start(false));
    r.format->trigger();
    ExpansionOption& expansion = r.t.app->expansion();
    r.receive(catalogueRecord(pbxsim::RecordLayout::Olv8));
    QVERIFY(expansion.isEnabled());
    // Stored too, so the lamp dialog, which reads the store as it opens, keeps it.
    QCOMPARE(r.t.stored(QStringLiteral("Debug/ZKNexpansion")), QStringLiteral("1"));
    r.t.action("mnuCMWL")->trigger();
    QVERIFY(QTest::qWaitForWindowActive(r.t.window->singleStationWindow()));
    QVERIFY(
        r.t.window->singleStationWindow()->findChild<QCheckBox*>(QStringLiteral("chkIndex246"))->isChecked());
    r.receive(catalogueRecord(pbxsim::RecordLayout::Olv6Expanded));
    QVERIFY(!expansion.isEnabled());
    QCOMPARE(r.t.stored(QStringLiteral("Debug/ZKNexpansion")), QStringLiteral("0"));
    r.receive(catalogueRecord(pbxsim::RecordLayout::Olv8Expanded));
    QVERIFY(expansion.isEnabled());
    r.in<QCheckBox>("ChkHold")->click();
    r.receive(catalogueRecord(pbxsim::RecordLayout::Olv6));
    QVERIFY(expansion.isEnabled()); // a held window decodes nothing, so changes nothing
}

void TestBreakDown::doubleClickDecodesARecordOnly_data()
{
    QTest::addColumn<bool>("shown");
    QTest::addColumn<bool>("onTheRecord");
    QTest::addColumn<QString>("box"); // "" for none
    QTest::newRow("record, window shown") << true << true << "";
    QTest::newRow("time stamp, window shown") << true << false << "Invalid Record! You Idiot!!";
    QTest::newRow("record, window hidden") << false << true << "";
}

void TestBreakDown::doubleClickDecodesARecordOnly()
{
    QFETCH(bool, shown);
    QFETCH(bool, onTheRecord);
    QFETCH(QString, box);
    Rig r;
    QVERIFY(r.start());
    if (shown)
        r.format->trigger();
    TerminalView* terminal = r.t.window->terminal();
    terminal->WriteTerminal(" ->:14:03:59: " + catalogueRecord(pbxsim::RecordLayout::Kra) + "\r\n");
    // The record starts after the marker, the time and ": "; the time is the third run.
    const QString line = terminal->document()->firstBlock().text();
    const int column = onTheRecord ? int(line.indexOf(QStringLiteral(": ")) + 6) : 6;
    QTextCursor at(terminal->document());
    at.setPosition(column);
    const QPoint point = terminal->cursorRect(at).center();
    QTest::mouseDClick(terminal->viewport(), Qt::LeftButton, {}, point);
    QCOMPARE(r.t.op.messages.isEmpty() ? QString() : r.t.op.messages[0].text, box);
    QCOMPARE(!allPlain(r.window), shown && onTheRecord);
}

QTEST_MAIN(TestBreakDown)
#include "tst_break_down.moc"
