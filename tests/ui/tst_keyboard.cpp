// The tool from the keyboard alone: every menu command by its access keys, every window's access
// keys and tab order, and the dialogs filled in and closed with keys only.
#include "tool_fixture.h"

#include "display/terminal_line.h"
#include "frm_single.h"
#include "indicator.h"
#include "model/connection_options.h"
#include "model/debug_options.h"
#include "model/load_test_options.h"
#include "pbxsim/record_catalogue.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSignalSpy>

using namespace zkn;
using zkn::test::ToolFixture;

namespace {

// The key that goes with a caption's access key, in an open menu; 0 when it has none.
int accessKey(const QString& caption)
{
    const QKeySequence mnemonic = QKeySequence::mnemonic(caption);
    return mnemonic.isEmpty() ? 0 : mnemonic[0].key();
}

QString captionOf(const QWidget* w)
{
    if (const auto* label = qobject_cast<const QLabel*>(w))
        return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(w))
        return button->text();
    if (const auto* group = qobject_cast<const QGroupBox*>(w))
        return group->title();
    return {};
}

// A widget of `window` itself, not of a window inside it.
QList<QWidget*> widgetsOf(QWidget* window)
{
    QList<QWidget*> own;
    for (QWidget* w : window->findChildren<QWidget*>())
        if (w->window() == window)
            own.append(w);
    return own;
}

bool takesTab(const QWidget* w)
{
    return w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus);
}

// How a test names a widget: its object name, with its place in an option array.
QString nameOf(const QWidget* w)
{
    const QVariant index = w->property("index");
    return index.isValid() ? w->objectName() + QStringLiteral("[%1]").arg(index.toInt()) : w->objectName();
}

// The widgets Tab visits from the first one that takes the focus, until it comes round again.
QList<QWidget*> tabWalk(QWidget* window)
{
    QWidget* first = window->nextInFocusChain();
    while (first != window && !takesTab(first))
        first = first->nextInFocusChain();
    first->setFocus(Qt::TabFocusReason);
    QList<QWidget*> visited;
    while (QWidget* now = QApplication::focusWidget()) {
        if (visited.contains(now) || visited.size() > 100)
            break;
        visited.append(now);
        QTest::keyClick(now, Qt::Key_Tab);
    }
    return visited;
}

// Types over what a box holds, as an operator does: End, Shift+Home, the new text.
void retype(QWidget* box, const QString& text)
{
    QTest::keyClick(box, Qt::Key_End);
    QTest::keyClick(box, Qt::Key_Home, Qt::ShiftModifier);
    QTest::keyClicks(box, text);
}

struct MenuEntry
{
    QString title; // on the menu bar
    QMenu* menu;   // null for a command on the menu bar itself
    QList<QAction*> items;
};

QList<MenuEntry> menuTree(const frmTerminal& window)
{
    QList<MenuEntry> tree;
    for (QAction* entry : window.menuBar()->actions()) {
        QList<QAction*> items;
        if (QMenu* menu = entry->menu())
            for (QAction* item : menu->actions())
                if (!item->isSeparator())
                    items.append(item);
        tree.append({entry->text(), entry->menu(), items});
    }
    return tree;
}

// The windows the menus open, by the command that opens each.
struct WindowOpened
{
    const char* command;
    const char* window;
};

const WindowOpened kWindows[] = {
    {"mnuProperties", "frmProperties"}, {"mnuDisplayProperties", "FrmDebugOptions"},
    {"mnuCMWL", "frmSingle"},           {"mnuConfig", "frmConfig"},
    {"mnuFormat", "FrmBreakDown"},      {"mnuAbout", "frmAbout"},
    {"mnuDebugSerial", "FrmDBSerial"},
};

// A tool with the window up and active; LAN so that the LAN debug options can be opened too
// (the serial buffer window is opened on a serial link).
struct Rig
{
    ToolFixture t;
    QWidget* window = nullptr;

    bool open(const QString& windowName, bool lan = true)
    {
        if (!t.start())
            return false;
        t.app->connection().setConnectionType(lan ? ConnectionType::Lan : ConnectionType::Serial);
        // An OLV PBX: the expansion option is offered too.
        t.app->connection().setKraSelected(false);
        for (const WindowOpened& w : kWindows)
            if (windowName == QLatin1String(w.window))
                t.action(w.command)->trigger();
        window = t.window->findChild<QWidget*>(windowName);
        return window && window->isVisible() && QTest::qWaitForWindowActive(window);
    }

    // Records of both layouts, so the breakdown window has its decoded sub-frames.
    void receiveRecords()
    {
        for (const bool kra : {true, false}) {
            t.app->connection().setRecordFormatKra(kra);
            const auto layout = kra ? pbxsim::RecordLayout::Kra : pbxsim::RecordLayout::Olv6;
            t.window->recordArrived(display::DotBlanks(pbxsim::catalogueTexts(layout).value(0)), true,
                                    QDateTime::currentDateTime());
        }
    }

    template <typename T> T* in(const char* name) const { return window->findChild<T*>(QLatin1String(name)); }
};

} // namespace

class TestKeyboard : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void menusFromTheKeyboard();
    void windowAccessKeysAreUniqueAndLead_data();
    void windowAccessKeysAreUniqueAndLead();
    void tabVisitsEveryInputInReadingOrder_data();
    void tabVisitsEveryInputInReadingOrder();
    void boxesAndPicturesAreNamed_data();
    void boxesAndPicturesAreNamed();
    void indicatorsTellTheirState();
    void propertiesFromTheKeyboard_data();
    void propertiesFromTheKeyboard();
    void debugOptionsFromTheKeyboard();
    void loadTestConfigurationFromTheKeyboard_data();
    void loadTestConfigurationFromTheKeyboard();
    void lampControlFromTheKeyboard_data();
    void lampControlFromTheKeyboard();
    void keysCloseTheWindowsOnlyLookedAt_data();
    void keysCloseTheWindowsOnlyLookedAt();
    void breakdownKeysHoldAndClose();
};

// Every menu title and item has one access key, none shared on the menu bar (with the main
// window's own captions) or within a menu. Alt with the title's key opens its menu (or runs a
// command on the menu bar); the item's key in the open menu runs the item, once. The commands'
// own work is kept out of the test: only the key's way to the command is checked here.
void TestKeyboard::menusFromTheKeyboard()
{
    ToolFixture t;
    QVERIFY(t.start());
    QVERIFY(QTest::qWaitForWindowActive(t.window.get()));
    const QList<MenuEntry> tree = menuTree(*t.window);
    QVERIFY(tree.size() >= 6);
    const auto checkUnique = [](const QStringList& captions, const QString& where) {
        QHash<int, QString> owner;
        for (const QString& caption : captions) {
            const int key = accessKey(caption);
            QVERIFY2(!owner.contains(key), qPrintable(where + QStringLiteral(": ") + owner.value(key) +
                                                      QStringLiteral(" and ") + caption));
            owner.insert(key, caption);
        }
    };
    QStringList barKeys;
    for (const QWidget* w : widgetsOf(t.window.get()))
        if (accessKey(captionOf(w)) != 0)
            barKeys.append(captionOf(w));
    for (qsizetype entry = 0; entry < tree.size(); ++entry) {
        const MenuEntry& e = tree[entry];
        QVERIFY2(accessKey(e.title) != 0, qPrintable(e.title));
        barKeys.append(e.title);
        QStringList items;
        for (QAction* item : e.items) {
            QVERIFY2(accessKey(item->text()) != 0, qPrintable(e.title + QLatin1Char('/') + item->text()));
            items.append(item->text());
        }
        checkUnique(items, e.title);
        QList<QAction*> commands = e.items;
        if (!e.menu)
            commands = {t.window->menuBar()->actions()[entry]};
        for (QAction* command : std::as_const(commands)) {
            if (!command->isEnabled())
                continue; // disabled at start-up: its access key is checked for uniqueness only
            QObject::disconnect(command, nullptr, t.window.get(), nullptr);
            const QSignalSpy triggered(command, &QAction::triggered);
            QTest::keyClick(t.window.get(), Qt::Key(accessKey(e.title)), Qt::AltModifier);
            if (e.menu) {
                QVERIFY(QTest::qWaitFor([&] { return QApplication::activePopupWidget() == e.menu; }, 2000));
                QTest::keyClick(e.menu, Qt::Key(accessKey(command->text())));
                QVERIFY(!e.menu->isVisible());
            }
            QVERIFY2(triggered.size() == 1, qPrintable(e.title + QLatin1Char('/') + command->text()));
        }
    }
    checkUnique(barKeys, QStringLiteral("menu bar"));
}

void TestKeyboard::windowAccessKeysAreUniqueAndLead_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("records");
    for (const WindowOpened& w : kWindows)
        QTest::newRow(w.window) << QString::fromLatin1(w.window) << false;
    QTest::newRow("FrmBreakDown with records") << QStringLiteral("FrmBreakDown") << true;
}

// Within a window no two captions share an access key, and a label's access key leads somewhere:
// to the box beside it.
void TestKeyboard::windowAccessKeysAreUniqueAndLead()
{
    QFETCH(QString, window);
    QFETCH(bool, records);
    Rig r;
    QVERIFY(r.open(window, window != QLatin1String("FrmDBSerial")));
    if (records)
        r.receiveRecords();
    QHash<int, QString> owner;
    for (const QWidget* w : widgetsOf(r.window)) {
        const QString caption = captionOf(w);
        const int key = accessKey(caption);
        if (key == 0)
            continue;
        QVERIFY2(!owner.contains(key), qPrintable(owner.value(key) + QStringLiteral(" and ") + caption));
        owner.insert(key, caption);
        if (const auto* label = qobject_cast<const QLabel*>(w))
            QVERIFY2(label->buddy(), qPrintable(caption + QStringLiteral(" has no buddy")));
    }
}

void TestKeyboard::tabVisitsEveryInputInReadingOrder_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("lan");
    QTest::addColumn<bool>("records");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("properties, LAN") << "frmProperties" << true << false
                                     << QStringList{"cboType",  "txtHost", "cboLANParity",
                                                    "cboDevID", "cmdOK",   "cmdCancel"};
    QTest::newRow("properties, serial")
        << "frmProperties" << false << false
        << QStringList{"cboType",  "cboPort",    "OptOLV",     "cboDataBits", "cboParity", "cboStopBits",
                       "cboSpeed", "optFlow[0]", "optEcho[0]", "cmdOK",       "cmdCancel"};
    QTest::newRow("debug options") << "FrmDebugOptions" << true << false
                                   << QStringList{"chkdetail",          "chkdebug",      "chktoggleparity",
                                                  "chkIgnoreparitychk", "chkstophealth", "optNorm",
                                                  "txtHCInterval",      "cmdQuit"};
    QTest::newRow("lamp control") << "frmSingle" << true << false
                                  << QStringList{"txtStn1",     "txtStn2", "OptionMWon", "OptionVMMon",
                                                 "chkIndex246", "cmdSend", "cmdQuit"};
    QTest::newRow("load-test configuration")
        << "frmConfig" << true << false
        << QStringList{"Text1", "Text2", "ChkFile", "txtDelay", "chkIdx246", "cmdOK", "cmdCancel"};
    QTest::newRow("about") << "frmAbout" << true << false << QStringList{"cmdOK", "cmdSysInfo"};
    // Area by area, the sub-frames in front after an OLV record (made after the buttons).
    QTest::newRow("breakdown") << "FrmBreakDown" << true << true
                               << QStringList{"TxtFPC",           "TxtTn",     "TxtStn",      "TxtUGN",
                                              "TxtTel",           "TxtFPC",    "TxtTn",       "TxtAtt",
                                              "TxtUGN",           "TxtBlank",  "TxtFPC",      "TxtTn",
                                              "TxtPhysicalRoute", "TxtUGN",    "TxtBlank",    "TxtTrunk",
                                              "TxtLogicalRoute",  "TxtLoopNo", "TxtCallType", "ChkHold",
                                              "cmdClear",         "cmdClose"};
}

// Tab goes through the window in reading order and reaches every box, button and option that
// takes the focus (Tab enters an option group once; the arrows move within it).
void TestKeyboard::tabVisitsEveryInputInReadingOrder()
{
    QFETCH(QString, window);
    QFETCH(bool, lan);
    QFETCH(bool, records);
    QFETCH(QStringList, order);
    Rig r;
    QVERIFY(r.open(window, lan));
    if (records)
        r.receiveRecords();
    const QList<QWidget*> visited = tabWalk(r.window);
    QStringList names;
    for (const QWidget* w : visited)
        names.append(nameOf(w));
    QCOMPARE(names.join(QLatin1Char(' ')), order.join(QLatin1Char(' ')));
    for (QWidget* w : widgetsOf(r.window)) {
        if (!takesTab(w) || visited.contains(w) || visited.contains(w->focusProxy()))
            continue;
        const auto* option = qobject_cast<const QAbstractButton*>(w);
        const bool groupEntered = option && option->autoExclusive() &&
                                  std::any_of(visited.begin(), visited.end(), [w](const QWidget* v) {
                                      return v->parentWidget() == w->parentWidget();
                                  });
        QVERIFY2(groupEntered, qPrintable(nameOf(w) + QStringLiteral(" is not reached by Tab")));
    }
}

void TestKeyboard::boxesAndPicturesAreNamed_data()
{
    windowAccessKeysAreUniqueAndLead_data();
    QTest::newRow("frmTerminal") << QStringLiteral("frmTerminal") << false;
}

// A screen reader has a name for every box (its label's, through the buddy, or its own) and for
// every picture and indicator.
void TestKeyboard::boxesAndPicturesAreNamed()
{
    QFETCH(QString, window);
    QFETCH(bool, records);
    Rig r;
    if (window == QLatin1String("frmTerminal")) {
        QVERIFY(r.t.start());
        r.window = r.t.window.get();
    } else {
        QVERIFY(r.open(window, window != QLatin1String("FrmDBSerial")));
    }
    if (records)
        r.receiveRecords();
    const QList<QWidget*> widgets = widgetsOf(r.window);
    QSet<const QWidget*> labelled;
    for (const QWidget* w : widgets)
        if (const auto* label = qobject_cast<const QLabel*>(w); label && label->buddy())
            labelled.insert(label->buddy());
    for (const QWidget* w : widgets) {
        const bool box = qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
                         qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QComboBox*>(w);
        const auto* label = qobject_cast<const QLabel*>(w);
        const bool picture = (label && !label->pixmap().isNull()) || qobject_cast<const Indicator*>(w);
        if (!(box || picture) || !w->isVisibleTo(r.window) ||
            qobject_cast<const QComboBox*>(w->parentWidget()) ||
            qobject_cast<const QAbstractSpinBox*>(w->parentWidget()))
            continue;
        // A picture inside an indicator or a picture that alternates is named by its holder.
        if (picture && label && !label->parentWidget()->accessibleName().isEmpty())
            continue;
        QVERIFY2(labelled.contains(w) || !w->accessibleName().isEmpty(),
                 qPrintable(nameOf(w) + QStringLiteral(" has no name")));
    }
}

// The lamps and the plug picture say what they show, and their state as it changes.
void TestKeyboard::indicatorsTellTheirState()
{
    ToolFixture t;
    QVERIFY(t.start());
    const QList<Indicator*> indicators = t.window->findChildren<Indicator*>();
    QCOMPARE(indicators.size(), 4);
    for (Indicator* indicator : indicators) {
        QVERIFY2(!indicator->accessibleName().isEmpty(), qPrintable(indicator->objectName()));
        const QString off = indicator->accessibleDescription();
        indicator->setOn(true);
        const QString on = indicator->accessibleDescription();
        QVERIFY2(!on.isEmpty() && !off.isEmpty() && on != off, qPrintable(indicator->objectName()));
        indicator->setOn(false);
        QCOMPARE(indicator->accessibleDescription(), off);
    }
}

void TestKeyboard::propertiesFromTheKeyboard_data()
{
    QTest::addColumn<QKeySequence>("boxKey");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<Qt::Key>("closingKey");
    QTest::addColumn<QString>("storedKey");
    QTest::addColumn<QString>("stored");
    QTest::newRow("speed, Enter") << QKeySequence(Qt::ALT | Qt::Key_X) << "19200" << Qt::Key_Return
                                  << "Properties/Settings"
                                  << "19200,n,8,1";
    QTest::newRow("speed, Escape") << QKeySequence(Qt::ALT | Qt::Key_X) << "19200" << Qt::Key_Escape
                                   << "Properties/Settings"
                                   << "";
    QTest::newRow("method, Enter") << QKeySequence(Qt::ALT | Qt::Key_M) << "LAN" << Qt::Key_Return
                                   << "Properties/CType"
                                   << "LAN";
    QTest::newRow("method, Escape") << QKeySequence(Qt::ALT | Qt::Key_M) << "LAN" << Qt::Key_Escape
                                    << "Properties/CType"
                                    << "";
}

// An access key leads to a box; what is typed there is stored by Enter (OK) and not by Escape.
void TestKeyboard::propertiesFromTheKeyboard()
{
    QFETCH(QKeySequence, boxKey);
    QFETCH(QString, typed);
    QFETCH(Qt::Key, closingKey);
    QFETCH(QString, storedKey);
    QFETCH(QString, stored);
    Rig r;
    QVERIFY(r.open(QStringLiteral("frmProperties"), false));
    QTest::keySequence(r.window, boxKey);
    QWidget* box = QApplication::focusWidget();
    QVERIFY(box);
    retype(box, typed);
    QTest::keyClick(box, closingKey);
    QVERIFY(!r.window->isVisible());
    QCOMPARE(r.t.stored(storedKey), stored);
    QVERIFY(r.t.op.messages.isEmpty());
}

// The switches are live: an access key flips one, and the interval typed counts at once;
// Escape closes the dialog.
void TestKeyboard::debugOptionsFromTheKeyboard()
{
    Rig r;
    QVERIFY(r.open(QStringLiteral("FrmDebugOptions")));
    DebugOptions& debug = r.t.app->debugOptions();
    const bool detail = debug.detail();
    // A button's access key clicks it the way a mouse would, pressed a moment, then released.
    QTest::keyClick(r.window, Qt::Key_D, Qt::AltModifier);
    QTRY_COMPARE(debug.detail(), !detail);
    QTest::keyClick(r.window, Qt::Key_P, Qt::AltModifier);
    QTRY_COMPARE(debug.forcedAnswer(), DebugOptions::ForcedAnswer::ParityError);
    QTest::keyClick(r.window, Qt::Key_I, Qt::AltModifier);
    QWidget* interval = QApplication::focusWidget();
    QCOMPARE(nameOf(interval), QStringLiteral("txtHCInterval"));
    retype(interval, QStringLiteral("42"));
    QCOMPARE(debug.healthCheckInterval(), 42);
    QTest::keyClick(interval, Qt::Key_Escape);
    QVERIFY(!r.window->isVisible());
}

void TestKeyboard::loadTestConfigurationFromTheKeyboard_data()
{
    QTest::addColumn<Qt::Key>("closingKey");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("Enter") << Qt::Key_Return << true;
    QTest::newRow("Escape") << Qt::Key_Escape << false;
}

// Start, End and the delay by their access keys: Enter takes them, Escape leaves the test as it
// was.
void TestKeyboard::loadTestConfigurationFromTheKeyboard()
{
    QFETCH(Qt::Key, closingKey);
    QFETCH(bool, accepted);
    Rig r;
    QVERIFY(r.open(QStringLiteral("frmConfig")));
    const LoadTestOptions& options = r.t.app->loadTestOptions();
    const int delayBefore = options.delayMs();
    for (const auto& [key, text] :
         {std::pair{Qt::Key_S, "2000"}, std::pair{Qt::Key_E, "2010"}, std::pair{Qt::Key_D, "50"}}) {
        QTest::keyClick(r.window, key, Qt::AltModifier);
        QWidget* box = QApplication::focusWidget();
        QVERIFY(box);
        retype(box, QLatin1String(text));
    }
    QTest::keyClick(QApplication::focusWidget(), closingKey);
    QVERIFY2(r.t.op.messages.isEmpty(), qPrintable(r.t.op.messages.value(0).text));
    QVERIFY(!r.window->isVisible());
    QCOMPARE(options.delayMs(), accepted ? 50 : delayBefore);
    QCOMPARE(r.t.stored(QStringLiteral("Properties/StartSTN")),
             accepted ? QStringLiteral("2000") : QString());
    if (accepted) {
        QCOMPARE(options.startStation(), 2000);
        QCOMPARE(options.endStation(), 2010);
    }
}

void TestKeyboard::lampControlFromTheKeyboard_data()
{
    QTest::addColumn<Qt::Key>("option");
    QTest::addColumn<Qt::Key>("closingKey");
    QTest::addColumn<int>("sends");
    QTest::addColumn<lamp::LampAction>("mw");
    QTest::addColumn<lamp::LampAction>("vmm");
    QTest::newRow("MW on, Enter") << Qt::Key_O << Qt::Key_Return << 1 << lamp::LampAction::On
                                  << lamp::LampAction::NoChange;
    QTest::newRow("VMM off, Enter") << Qt::Key_M << Qt::Key_Return << 1 << lamp::LampAction::NoChange
                                    << lamp::LampAction::Off;
    QTest::newRow("MW off, Escape") << Qt::Key_F << Qt::Key_Escape << 0 << lamp::LampAction::Off
                                    << lamp::LampAction::NoChange;
}

// A station typed in From, a lamp chosen by its access key: Enter sends, Escape closes without
// sending.
void TestKeyboard::lampControlFromTheKeyboard()
{
    QFETCH(Qt::Key, option);
    QFETCH(Qt::Key, closingKey);
    QFETCH(int, sends);
    QFETCH(lamp::LampAction, mw);
    QFETCH(lamp::LampAction, vmm);
    Rig r;
    QVERIFY(r.open(QStringLiteral("frmSingle")));
    QSignalSpy sent(static_cast<frmSingle*>(r.window), &frmSingle::sendRequested);
    QTest::keyClick(r.window, Qt::Key_R, Qt::AltModifier);
    QWidget* from = QApplication::focusWidget();
    QCOMPARE(nameOf(from), QStringLiteral("txtStn1"));
    retype(from, QStringLiteral("3000"));
    QTest::keyClick(r.window, option, Qt::AltModifier);
    QTRY_VERIFY(static_cast<QAbstractButton*>(QApplication::focusWidget())->isChecked());
    QTest::keyClick(QApplication::focusWidget(), closingKey);
    QCOMPARE(sent.size(), sends);
    if (sends == 0) {
        QVERIFY(!r.window->isVisible());
        return;
    }
    const auto request = sent.first().first().value<lamp::SingleStationRequest>();
    QCOMPARE(request.from, QByteArray("3000"));
    QCOMPARE(request.mw, mw);
    QCOMPARE(request.vmm, vmm);
}

void TestKeyboard::keysCloseTheWindowsOnlyLookedAt_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("lan");
    QTest::addColumn<Qt::Key>("key");
    QTest::newRow("about, Escape") << "frmAbout" << true << Qt::Key_Escape;
    QTest::newRow("about, Enter") << "frmAbout" << true << Qt::Key_Return;
    QTest::newRow("serial buffer, Escape") << "FrmDBSerial" << false << Qt::Key_Escape;
    QTest::newRow("breakdown, Escape") << "FrmBreakDown" << true << Qt::Key_Escape;
}

// The windows only looked at close from the keyboard: About by Escape or Enter (its OK), the
// serial buffer and breakdown windows by Escape.
void TestKeyboard::keysCloseTheWindowsOnlyLookedAt()
{
    QFETCH(QString, window);
    QFETCH(bool, lan);
    QFETCH(Qt::Key, key);
    Rig r;
    QVERIFY(r.open(window, lan));
    const QPointer<QWidget> shown = r.window;
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : r.window, key);
    QVERIFY(!shown || !shown->isVisible());
}

// The breakdown window: Alt+H holds, Escape closes it as its Close button does, clearing the
// menu item that shows it, and the records decoded stay.
void TestKeyboard::breakdownKeysHoldAndClose()
{
    Rig r;
    QVERIFY(r.open(QStringLiteral("FrmBreakDown")));
    r.receiveRecords();
    QTest::keyClick(r.window, Qt::Key_H, Qt::AltModifier);
    QTRY_VERIFY(r.in<QAbstractButton>("ChkHold")->isChecked());
    QTest::keyClick(r.window, Qt::Key_Escape);
    QVERIFY(!r.window->isVisible());
    QVERIFY(!r.t.action("mnuFormat")->isChecked());
    QVERIFY(r.in<QAbstractButton>("ChkHold")->isChecked());
}

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
