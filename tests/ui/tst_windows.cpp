// The tool's windows without a PBX, driven as the operator drives them: what each window says,
// the keyboard alone, and what each dialog takes, refuses, shows and stores. Most rows are
// scripts of steps on a tool started afresh (see Tool::step()).
#include "tool_fixture.h"

#include "display/terminal_line.h"
#include "frm_break_down.h"
#include "frm_cancel_send.h"
#include "frm_splash.h"
#include "pbxsim/record_catalogue.h"
#include "pty_pair.h"
#include "start_up_options.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTextBlock>
#include <QToolBar>

using namespace zkn;
using namespace zkn::test;
using namespace Qt::StringLiterals;

namespace {

const auto text = [](bool b) { return b ? u"true"_s : u"false"_s; };
const auto before = [](const QString& s, char sep) { return s.section(QLatin1Char(sep), 0, 0); };
const auto after = [](const QString& s, char sep) { return s.section(QLatin1Char(sep), 1); };

QList<QWidget*> widgetsOf(QWidget* window)
{
    QList<QWidget*> own;
    for (QWidget* w : window->findChildren<QWidget*>())
        if (w->window() == window)
            own.append(w);
    return own;
}

QString captionOf(const QObject* o)
{
    if (const auto* label = qobject_cast<const QLabel*>(o))
        return label->pixmap().isNull() ? label->text() : QString();
    if (const auto* button = qobject_cast<const QAbstractButton*>(o)) // a tool button shows its action's
        return qobject_cast<const QToolBar*>(button->parent()) ? QString() : button->text();
    if (const auto* group = qobject_cast<const QGroupBox*>(o))
        return group->title();
    if (const auto* action = qobject_cast<const QAction*>(o)) // a menu's own shows the menu's title
        return action->menu() ? QString() : action->text();
    if (const auto* menu = qobject_cast<const QMenu*>(o))
        return menu->title();
    return {};
}

// The window's title, then every caption of its own (a menu's are its menu bar's window's), sorted.
QStringList captionsOf(QWidget* window)
{
    QStringList captions;
    for (QObject* o : window->findChildren<QObject*>()) {
        auto* owner = qobject_cast<QWidget*>(qobject_cast<QAction*>(o) ? o->parent() : o);
        if (owner && qobject_cast<QMenu*>(owner))
            owner = owner->parentWidget();
        if (owner && owner->window() == window && !captionOf(o).trimmed().isEmpty())
            captions.append(captionOf(o));
    }
    captions.sort();
    return QStringList{window->windowTitle()} + captions;
}

// The key that goes with a caption's access key; 0 when it has none.
int accessKey(const QString& caption)
{
    const QKeySequence mnemonic = QKeySequence::mnemonic(caption);
    return mnemonic.isEmpty() ? 0 : mnemonic[0].key();
}

bool takesTab(const QWidget* w)
{
    return w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus);
}

// A widget's object name, with its place in an option array.
QString nameOf(const QWidget* w)
{
    const QVariant index = w->property("index");
    return index.isValid() ? u"%1[%2]"_s.arg(w->objectName()).arg(index.toInt()) : w->objectName();
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

QByteArray catalogueRecord(const QString& name, int index = 0)
{
    return display::DotBlanks(pbxsim::catalogueTexts(*pbxsim::layoutFromName(name)).value(index));
}

const char* const kIcons[] = {"None", "Information", "Exclamation", "Critical", "Question"};
const char* const kButtons[] = {"Ok", "YesNo", "YesNoCancel", "RetryCancel"};
const char* const kForced[] = {"Normal", "ParityError", "InvalidText"};

// The windows the menus and the tool bar open, by the command that opens each.
const std::pair<const char*, const char*> kOpeners[] = {
    {"frmProperties", "mnuProperties"}, {"FrmDebugOptions", "mnuDisplayProperties"},
    {"frmSingle", "mnuCMWL"},           {"frmConfig", "mnuConfig"},
    {"FrmBreakDown", "mnuFormat"},      {"frmAbout", "mnuAbout"},
    {"FrmDBSerial", "mnuDebugSerial"},  {"frmConfig delay", "DelayValue"},
    {"frmConfig full", "TestConfig"},
};

// Notes how many boxes the operator had been shown when the splash was first painted.
struct SplashPaintWatch : QObject
{
    explicit SplashPaintWatch(const ScriptedOperator& op) : op(op) { qApp->installEventFilter(this); }
    ~SplashPaintWatch() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Paint && widget && !boxesAtFirstPaint &&
            widget->window()->objectName() == "frmSplash"_L1)
            boxesAtFirstPaint = op.messages.size();
        return false;
    }
    const ScriptedOperator& op;
    std::optional<qsizetype> boxesAtFirstPaint;
};

struct Tool : ToolFixture
{
    QPointer<QWidget> current; // the window opened last
    QTemporaryDir files;
    std::optional<PtyPair> pty; // made when a script names one
    std::optional<PtyPair> pty2;
    QList<std::pair<QByteArray, QByteArray>> environment; // as it was before the script changed it
    std::unique_ptr<frmSplash> splash;

    ~Tool()
    {
        for (const auto& [name, value] : environment)
            qputenv(name.constData(), value);
    }

    QWidget* open(const QString& name)
    {
        if (name == "FrmDebug"_L1)
            app->debugOptions().setHexView(true);
        for (const auto& [window, command] : kOpeners)
            if (name == QLatin1String(window))
                action(command)->trigger();
        if (name == "frmSplash"_L1)
            splash = std::make_unique<frmSplash>();
        if (name == "frmCancelSend"_L1)
            (new frmCancelSend(window.get()))->showSending(u"/home/op/letter.TXT"_s);
        current = name == "frmTerminal"_L1 ? window.get()
                  : splash                 ? splash.get()
                                           : find(before(name, ' ').toLatin1());
        // The window the keys go to: active itself (a dialog's isActiveWindow() holds already while
        // its main window is active). Offscreen, a dialog shown again after hide() is not given the
        // activation it asks for.
        const auto active = [this] {
            if (QApplication::activeWindow() != current)
                QApplication::setActiveWindow(current);
            return QApplication::activeWindow() == current;
        };
        if (current && current->isVisible() && !eventually(active, 2000))
            qWarning("%s is not active", qPrintable(name));
        return current;
    }

    // A widget, action or window by object name (an option array's as name[index]) or by
    // accessible name, in the current window first.
    QObject* named(const QString& name) const
    {
        const int index = name.contains(u'[') ? after(name, '[').chopped(1).toInt() : -1;
        for (QObject* root : {static_cast<QObject*>(current), static_cast<QObject*>(window.get())}) {
            if (root && root->objectName() == name)
                return root;
            for (QObject* o : root ? root->findChildren<QObject*>(before(name, '[')) : QList<QObject*>{})
                if (index < 0 || o->property("index").toInt() == index)
                    return o;
            for (QWidget* w : root ? root->findChildren<QWidget*>() : QList<QWidget*>{})
                if (w->accessibleName() == name)
                    return w;
        }
        return nullptr;
    }

    // What a check reads: a stored key (Section/Key), the boxes and file dialogs shown, a file,
    // one of the live options, a widget's value (name) or property (name.property).
    QString observe(const QString& what) const
    {
        const ConnectionOptions& c = app->connection();
        const DebugOptions& d = app->debugOptions();
        const SerialLine& s = app->serial();
        const LoadTestOptions& l = app->loadTestOptions();
        QStringList all;
        if (what.startsWith("file:"_L1)) {
            QFile f(files.filePath(what.mid(5)));
            return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : u"<missing>"_s;
        }
        if (what.contains(u'/'))
            return storedAnything(what) ? stored(what) : u"<none>"_s;
        if (what == "boxes"_L1) {
            for (const Operator::Message& m : op.messages)
                all.append(u"%1/%2/%3: %4"_s.arg(QLatin1String(kIcons[int(m.icon)]),
                                                 QLatin1String(kButtons[int(m.buttons)]), m.title, m.text));
            return all.join(u'\n');
        }
        if (what == "link"_L1)
            return u"%1 %2 %3 %4 %5 %6 %7 %8"_s.arg(
                connectionTypeText(c.connectionType()), c.deviceNumber(), c.lanParity(), c.remoteHost(),
                c.hostField(), c.kraSelected() ? "KRA"_L1 : "OLV"_L1,
                c.recordFormatKra() ? "kra"_L1 : "olv"_L1, c.echo() ? "echo"_L1 : "noecho"_L1);
        if (what == "line"_L1)
            return u"%1 COM%2 %3 %4 %5"_s.arg(s.settings())
                .arg(s.commPort())
                .arg(s.handshaking())
                .arg(s.portName(), s.isOpen() ? "open"_L1 : "closed"_L1);
        if (what == "debug"_L1) {
            for (const auto& [on, name] : {std::pair{d.detail(), "detail"},
                                           {d.hexView(), "hex"},
                                           {d.toggleParity(), "toggle"},
                                           {d.stopHealth(), "stop"},
                                           {d.ignoreParity(), "ignore"}})
                if (on)
                    all.append(QLatin1String(name));
            return (all << QLatin1String(kForced[int(d.forcedAnswer())]) << d.healthCheckIntervalText())
                .join(u' ');
        }
        if (what == "interval"_L1)
            return QString::number(d.healthCheckInterval());
        if (what == "test"_L1)
            return u"%1-%2 %3-%4 %5 %6"_s.arg(l.startStation())
                .arg(l.endStation())
                .arg(l.startText(), l.endText())
                .arg(l.delayMs())
                .arg(l.useFile() ? "file"_L1 : "range"_L1);
        if (what == "expansion"_L1)
            return text(app->expansion().isEnabled());
        if (what == "font"_L1)
            return u"%1 %2 %3"_s.arg(in<QSpinBox>(window.get(), "UpDown1")->value())
                .arg(in<QLabel>(window.get(), "Label3")->text())
                .arg(window->terminal()->font().pointSize());
        if (what == "focus"_L1)
            return QApplication::focusWidget() ? nameOf(QApplication::focusWidget()) : QString();
        if (what == "selected"_L1) {
            const auto* box = qobject_cast<const QLineEdit*>(QApplication::focusWidget());
            return box ? box->selectedText() : QString();
        }
        if (what == "decoded"_L1) { // a decoded sub-frame in front, its caption with "("
            for (const QStackedWidget* stack : window->breakDownWindow()->findChildren<QStackedWidget*>())
                if (static_cast<QGroupBox*>(stack->currentWidget())->title().contains(u'('))
                    return text(true);
            return text(false);
        }
        if (what == "terminal"_L1)
            return QString::fromLatin1(terminal());
        const QObject* o = named(before(what, '.'));
        if (!o && what.endsWith(".visible"_L1))
            return text(false); // deleted as it closed
        if (what.contains(u'.') && o) {
            const QVariant v = o->property(after(what, '.').toLatin1());
            return v.typeId() == QMetaType::Bool ? text(v.toBool()) : v.toString();
        }
        if (const auto* list = qobject_cast<const QComboBox*>(o))
            return list->currentText();
        if (const auto* box = qobject_cast<const QLineEdit*>(o))
            return box->text();
        if (const auto* button = qobject_cast<const QAbstractButton*>(o); button && button->isCheckable())
            return text(button->isChecked());
        if (const auto* a = qobject_cast<const QAction*>(o))
            return text(a->isChecked());
        return o ? o->property("text").toString() : u"<no such widget>"_s;
    }

    // One step of a script:
    //   open:Window, trigger:action, click:button, close[:Window], leave (to the main window)
    //   name=value          sets a box, list, spin box or option ("true" checks it)
    //   key:Alt+X           a key for the widget with the focus
    //   type:text           types over the text of the box with the focus
    //   keys:name:text      types into a box as it stands
    //   set:what=value      a live option changed elsewhere: type, kra, records, expansion,
    //                       forced (back to normal), phase
    //   record:layout[:n]   a record arrives (kra, olv6, olv8, olv6x, olv8x)
    //   dclick:record|stamp a KRA record line written to the terminal, double-clicked
    //   file:name=text, choose:path (empty: cancelled), answer:Yes|No|Cancel, write:terminal text
    //   port:path (the serial port named), serial:path (and opened), env:NAME=value
    //   cmdline:--option... the command line's options carried out
    //   ?what=value         checks what observe() reads; ?what~=text: that it contains the text
    // with <dir> (a folder of the test's), <home>, <app> (this program), <pty> and <pty2> replaced.
    void step(QString s)
    {
        if (s.contains("<pty"_L1) && !pty)
            pty.emplace(), pty2.emplace();
        s.replace("<dir>"_L1, files.path()).replace("<home>"_L1, QDir::homePath());
        s.replace("<app>"_L1, QCoreApplication::applicationFilePath());
        if (pty)
            s.replace("<pty2>"_L1, pty2->devicePath()).replace("<pty>"_L1, pty->devicePath());
        const QString head = before(s, ':');
        const QString arg = after(s, ':');
        const auto is = [&head](const char* h) { return head == QLatin1String(h); };
        if (s.startsWith(u'?')) {
            QString what = before(s.mid(1), '=');
            const QString want = after(s, '=');
            const bool part = what.endsWith(u'~');
            what.remove(u'~');
            const auto holds = [&] { return part ? observe(what).contains(want) : observe(what) == want; };
            QVERIFY2(eventually(holds, 1000), qPrintable(s + u"\n   was: "_s + observe(what)));
        } else if (is("open")) {
            QVERIFY2(open(arg), qPrintable(s));
        } else if (is("trigger")) {
            qobject_cast<QAction*>(named(arg))->trigger();
        } else if (is("click")) {
            auto* button = qobject_cast<QAbstractButton*>(named(arg));
            QVERIFY2(button, qPrintable(s));
            button->click();
        } else if (is("close")) {
            (arg.isEmpty() ? current.data() : qobject_cast<QWidget*>(named(arg)))->close();
        } else if (s == "leave"_L1) {
            window->activateWindow();
            QVERIFY(eventually([this] { return !current->isActiveWindow(); }, 2000));
        } else if (is("key")) {
            QWidget* focus = QApplication::focusWidget();
            QTest::keySequence(focus && focus->window() == current ? focus : current.data(),
                               QKeySequence::fromString(arg));
            // An access key clicks a button the way a mouse would: pressed a moment, then released.
            if (auto* b = qobject_cast<QAbstractButton*>(QApplication::focusWidget()); b && b->isDown())
                QVERIFY(eventually([b] { return !b->isDown(); }, 2000));
        } else if (is("type")) {
            QWidget* box = QApplication::focusWidget();
            QTest::keyClick(box, Qt::Key_End);
            QTest::keyClick(box, Qt::Key_Home, Qt::ShiftModifier);
            QTest::keyClicks(box, arg);
        } else if (is("keys")) {
            auto* box = qobject_cast<QWidget*>(named(before(arg, ':')));
            box->setFocus();
            QTest::keyClicks(box, after(arg, ':'));
        } else if (is("set")) {
            const QString what = before(arg, '=');
            const bool on = after(arg, '=') == "true"_L1;
            if (what == "type"_L1)
                app->connection().setConnectionType(connectionTypeFromText(after(arg, '=')));
            else if (what == "kra"_L1)
                app->connection().setKraSelected(on);
            else if (what == "records"_L1)
                app->connection().setRecordFormatKra(after(arg, '=') == "kra"_L1);
            else if (what == "expansion"_L1)
                app->expansion().setEnabled(on);
            else if (what == "forced"_L1)
                app->debugOptions().setForcedAnswer(DebugOptions::ForcedAnswer::Normal);
            else if (what == "phase"_L1)
                window->showLoadTestPhase(arg.endsWith("Running"_L1)    ? link::LoadTestPhase::Running
                                          : arg.endsWith("Stopping"_L1) ? link::LoadTestPhase::Stopping
                                                                        : link::LoadTestPhase::Idle);
        } else if (is("record")) {
            // At a set time, in a set locale, so the time shown is known.
            const QLocale locale;
            QLocale::setDefault(QLocale(u"en_US"_s));
            window->recordArrived(catalogueRecord(before(arg, ':'), after(arg, ':').toInt()), true,
                                  QDateTime(QDate(2026, 12, 6), QTime(14, 3, 59)));
            QLocale::setDefault(locale);
        } else if (is("dclick")) {
            TerminalView* view = window->terminal();
            view->WriteTerminal(" ->:14:03:59: " + catalogueRecord(u"kra"_s) + "\r\n");
            // The record starts after the marker, the time and ": "; the time is the third run.
            QTextCursor at(view->document()->lastBlock().previous());
            at.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor,
                            arg == "record"_L1 ? int(at.block().text().indexOf(u": "_s)) + 6 : 6);
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, view->cursorRect(at).center());
        } else if (is("file")) {
            QFile f(files.filePath(before(arg, '=')));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(after(arg, '=').toLatin1());
        } else if (is("choose")) {
            op.fileChoices.append(arg.isEmpty() ? std::nullopt : std::optional<QString>(arg));
        } else if (is("answer")) {
            op.answers.append(arg == "Yes"_L1  ? Operator::Answer::Yes
                              : arg == "No"_L1 ? Operator::Answer::No
                                               : Operator::Answer::Cancel);
        } else if (is("write")) {
            window->WriteTerminal(arg.toLatin1());
        } else if (is("port") || is("serial")) {
            app->serial().setPortName(arg);
            QString error;
            QVERIFY(is("port") || app->serial().open(&error) == SerialLine::OpenResult::Opened);
        } else if (is("env")) {
            const QByteArray name = before(arg, '=').toLatin1();
            environment.append({name, qgetenv(name.constData())});
            qputenv(name.constData(), QFile::encodeName(after(arg, '=')));
        } else if (is("cmdline")) {
            auto options = std::get<StartUpOptions>(readCommandLine((u"zkn-tool "_s + arg).split(u' ')));
            options.loadTestPauseMs = 0;
            applyStartUpOptions(options, *window);
        } else {
            const QString value = after(s, '=');
            QObject* o = named(before(s, '='));
            QVERIFY2(o && s.contains(u'='), qPrintable(u"unknown step "_s + s));
            if (auto* list = qobject_cast<QComboBox*>(o))
                list->setCurrentText(value);
            else if (auto* spin = qobject_cast<QSpinBox*>(o))
                spin->setValue(value.toInt());
            else if (auto* button = qobject_cast<QAbstractButton*>(o))
                button->setChecked(value == "true"_L1);
            else if (auto* box = qobject_cast<QLineEdit*>(o)) {
                box->setText(value);
                Q_EMIT box->editingFinished();
            } else
                o->setProperty("text", value);
        }
    }

    // The row's script, its steps separated by " | "; the "stored:Section/Key=text" steps it
    // begins with are stored before the start-up.
    void run()
    {
        QFETCH(QString, script);
        QStringList steps = script.split(u" | "_s);
        QList<std::pair<QString, QString>> values;
        while (!steps.isEmpty() && steps.first().startsWith("stored:"_L1))
            values.append({before(steps.first().mid(7), '='), after(steps.takeFirst(), '=')});
        storeBefore(values);
        const SplashPaintWatch watch(op);
        QVERIFY(start());
        QVERIFY2(watch.boxesAtFirstPaint == 0, "a box came before the splash was painted");
        current = window.get();
        for (const QString& s : std::as_const(steps)) {
            step(s);
            if (QTest::currentTestFailed())
                return;
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall); // boxes that come after the work
        // Boxes the script does not check must not come.
        if (!script.contains("?boxes"_L1))
            QVERIFY2(op.messages.isEmpty(), qPrintable(observe(u"boxes"_s)));
        QVERIFY2(op.unexpected.isEmpty(), qPrintable(op.unexpected.join(u'\n')));
    }
};

} // namespace

class TestWindows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startUp_data();
    void startUp() { Tool().run(); }
    void mainWindow_data();
    void mainWindow() { Tool().run(); }
    void properties_data();
    void properties() { Tool().run(); }
    void debugOptions_data();
    void debugOptions() { Tool().run(); }
    void loadTestConfiguration_data();
    void loadTestConfiguration() { Tool().run(); }
    void lampControl_data();
    void lampControl() { Tool().run(); }
    void breakdown_data();
    void breakdown() { Tool().run(); }
    void menusFromTheKeyboard();
    void everyWindowFromTheKeyboard_data();
    void everyWindowFromTheKeyboard();
};

void TestWindows::startUp_data()
{
    QTest::addColumn<QString>("script");
    QTest::newRow("nothing stored: every default; the font size step is stored")
        << "?link=Serial 0 Odd 0.0.0.0 0.0.0.0 KRA kra noecho | ?line=9600,n,8,1 COM1 0  closed | "
           "?debug=detail Normal 5 | ?font=3 9 9 | ?test=1000-1000 1000-1000 300 range | "
           "?mnuDisplayProperties.enabled=false | ?mnuDebugSerial.enabled=true | UpDown1=1 | ?font=1 5 5 | "
           "?Properties/FontSize=1 | UpDown1=0 | ?font=1 5 5";
    // A stored Hex of 1 does not reopen the LAN debug window.
    const QString stored =
        u"stored:Properties/DevID=1 | stored:Properties/RemoteHost=10.1.2.3 | "
        "stored:Properties/Settings=19200,e,7,2 | stored:Properties/CommPort=4 | "
        "stored:Properties/Handshaking=1 | stored:Properties/Echo=True | "
        "stored:Properties/FontSize=5 | stored:Debug/Hex=1 | stored:Debug/Detail=0 | "
        "stored:Debug/RespPtyErr=True | stored:Debug/HCinterval=12 | stored:Debug/IgnorePty=1 | "
        "stored:Debug/TogglePty=1 | "
        "stored:Properties/CType=%1 | stored:Properties/PBXType=%2 | "
        "?link=%1 1 Odd 10.1.2.3 10.1.2.3 %3 echo | ?mnuDisplayProperties.enabled=%4 | "
        "?line=19200,e,7,2 COM4 1  closed | ?debug=toggle ignore ParityError 12 | ?font=5 14 14 | "
        "?FrmDebug.visible=false | open:frmProperties | ?cboSpeed=19200 | ?cboParity=Even | "
        "?cboDataBits=7 | ?cboStopBits=2 | ?cboPort=COM4 | ?optFlow[1]=true | ?optEcho[1]=true"_s;
    QTest::newRow("LAN with OLV stored still takes KRA records")
        << stored.arg("LAN", "False", "OLV kra", "true");
    QTest::newRow("serial with OLV") << stored.arg("Serial", "False", "OLV olv", "false");
    // A refused port setting keeps the remaining values at their defaults.
    QTest::newRow("refused port settings: the tool comes up all the same")
        << "stored:Properties/Settings=9600,x,8,1 | stored:Properties/CType=LAN | "
           "?boxes=Exclamation/Ok/: Invalid property value | ?line=9600,n,8,1 COM1 0  closed | "
           "?link~=0.0.0.0 0.0.0.0 KRA kra noecho | ?frmTerminal.visible=true";
    // A bad port number is skipped; a refused handshaking value still ends the reading with its box.
    const QString port = u"stored:Properties/CommPort=%1 | stored:Properties/CType=LAN | "
                         "stored:Properties/DevID=1 | stored:Properties/RemoteHost=10.1.2.3 | "
                         "stored:Properties/FontSize=5 | stored:Properties/Handshaking=%2 | "
                         "?line=9600,n,8,1 COM1 %3  closed | open:frmProperties | ?cboPort=COM1 | %4"_s;
    QTest::newRow("port 17") << port.arg("17", "", "0",
                                         "?link=LAN 1 Odd 10.1.2.3 10.1.2.3 KRA kra noecho | ?font=5 14 14");
    QTest::newRow("port 17 with refused handshaking")
        << port.arg("17", "7", "0",
                    "?boxes=Exclamation/Ok/: Invalid property value | "
                    "?link~=0.0.0.0 0.0.0.0 KRA kra noecho | ?font=3 9 9");
}

void TestWindows::mainWindow_data()
{
    QTest::addColumn<QString>("script");
    const QString replace = u"?boxes~=Question/YesNoCancel/: Replace existing file - <dir>/"_s;
    const QString title = u"?frmTerminal.windowTitle=ZKN-Control Tool"_s;
    // No: the old content stays and the traffic follows it; Yes: the file starts empty; a new
    // file is made without a question.
    QTest::newRow("log: open, replace or append, close")
        << u"file:log.txt=old\r\n | choose:<dir>/log.txt | answer:No | trigger:OpenLogFile | %1log.txt? | "
           "%2 - log.txt | ?mnuOpenLog.enabled=false | ?OpenLogFile.enabled=false | "
           "?mnuCloseLog.enabled=true | ?CloseLogFile.enabled=true | write:<->:12:00:00: A\bB\r\n | "
           "trigger:mnuCloseLog | %2 | ?mnuOpenLog.enabled=true | ?CloseLogFile.enabled=false | "
           "write:not logged\r\n | ?file:log.txt=old\r\n<->:12:00:00: B\r\n | choose:<dir>/log.txt | "
           "answer:Yes | trigger:mnuOpenLog | write:new\r\n | trigger:CloseLogFile | ?file:log.txt=new\r\n | "
           "choose:<dir>/new.txt | trigger:mnuOpenLog | write:\x02J.1\x03\r\n | "
           "?file:new.txt=\x02J.1\x03\r\n | ?boxes~=log.txt?\nQuestion/YesNoCancel/: Replace"_s.arg(replace,
                                                                                                    title);
    // A cancelled file dialog changes nothing.
    QTest::newRow("log: Cancel at the question goes back to the file dialog")
        << u"file:first.txt=keep\r\n | choose:<dir>/first.txt | choose:<dir>/second.txt | answer:Cancel | "
           "trigger:mnuOpenLog | %1first.txt? | %2 - second.txt | ?file:first.txt=keep\r\n | "
           "trigger:mnuCloseLog | choose: | trigger:mnuOpenLog | %2"_s.arg(replace, title);
    const QString exit = u"Question/YesNo/ZKN-Control Tool: Do you really want to exit ZKN-Tool?"_s;
    QTest::newRow("exit: No keeps it running, and so does No at the close box")
        << u"answer:No | trigger:mnuFileExit | ?boxes=%1 | answer:No | close:frmTerminal | ?boxes=%1\n%1 | "
           "?frmTerminal.visible=true"_s.arg(exit);
    QTest::newRow("about: no system information")
        << "env:PATH=<dir> | open:frmAbout | click:cmdSysInfo | "
           "?boxes=None/Ok/: System Information Is Unavailable At This Time | ?frmAbout.visible=true | "
           "click:cmdOK | ?frmAbout.visible=false";
    QTest::newRow("Escape closes the windows only looked at")
        << "open:frmAbout | key:Escape | ?frmAbout.visible=false | open:FrmDBSerial | key:Escape | "
           "?FrmDBSerial.visible=false";
    // A link that never stands starts no test, and the terminal says so.
    QTest::newRow("command line: no test without the link")
        << "set:type=LAN | cmdline:--connect --load-test | ?boxes~=Critical/Ok/IP-Error!: | "
           "?terminal~=: Load test not started: the link is not up\r\n | ?mnuStop.enabled=false";
}

void TestWindows::properties_data()
{
    QTest::addColumn<QString>("script");
    QTest::newRow("OK stores what the port uses")
        << "open:frmProperties | cboDevID=1 | cboLANParity=Even | txtHost=010.1.002.3 | ?txtHost=10.1.2.3 | "
           "cboPort=COM3 | cboSpeed= 19200  | cboParity=Even | cboDataBits=7 | cboStopBits=2 | "
           "optFlow[2]=true | optEcho[1]=true | OptOLV=true | click:cmdOK | ?frmProperties.visible=false | "
           "?Properties/DevID=1 | ?Properties/CType=Serial | ?Properties/LANParity=Even | "
           "?Properties/RemoteHost=10.1.2.3 | ?Properties/Settings=19200,e,7,2 | ?Properties/CommPort=3 | "
           "?Properties/PortName= | ?Properties/Handshaking=2 | ?Properties/Echo=True | "
           "?Properties/PBXType=False | ?link=Serial 1 Even 10.1.2.3 10.1.2.3 OLV olv echo";
    QTest::newRow("OK on LAN always selects KRA")
        << "open:frmProperties | OptOLV=true | cboType=LAN | click:cmdOK | ?Properties/PBXType=True | "
           "?Properties/CType=LAN | ?OptKRA=true | ?link=LAN 0 Odd 0.0.0.0 0.0.0.0 KRA kra noecho";
    // The echo choice applies before the port is asked.
    QTest::newRow("1.5 stop bits refused on Linux")
        << "open:frmProperties | optEcho[1]=true | cboStopBits=1.5 | click:cmdOK | ?boxes=Exclamation/Ok/: "
           "Invalid property value: serial ports here cannot use 1.5 stop bits | ?frmProperties.visible=true "
           "| "
           "?cboStopBits=1.5 | ?line=9600,n,8,1 COM1 0  closed | "
           "?link=Serial 0 Odd 0.0.0.0 0.0.0.0 KRA kra echo | ?Properties/Settings=<none>";
    for (const char* port : {"COM17", "<app>"})
        QTest::addRow("port %s refused", port)
            << u"open:frmProperties | cboPort=%1 | click:cmdOK | ?boxes=Exclamation/Ok/: \"%1\" is not a "
               "serial port: choose COM1 to COM16 or type the path of a serial device, such as /dev/ttyUSB0. "
               "| "
               "?frmProperties.visible=true | ?line=9600,n,8,1 COM1 0  closed | "
               "?Properties/CommPort=<none>"_s.arg(port);
    QTest::newRow("a new port for an open port reopens it")
        << "serial:<pty> | open:frmProperties | cboPort=<pty2> | click:cmdOK | "
           "?line=9600,n,8,1 COM1 0 <pty2> open | ?mnuOpen=true | ?mnuSendText.enabled=true | "
           "?TransmitTextFile.enabled=true | ?Properties/PortName=<pty2>";
    // Closed to change the port, the old one stays closed.
    QTest::newRow("a new port that fails brings the old one back")
        << "serial:<pty> | open:frmProperties | cboPort=/dev/zkn-no-such-port | click:cmdOK | "
           "?boxes~=\"/dev/zkn-no-such-port\" is not a serial port | ?frmProperties.visible=true | "
           "?line=9600,n,8,1 COM1 0 <pty> closed | ?mnuOpen=false | ?Properties/PortName=<none>";
    QTest::newRow("Cancel keeps the edits for the next time")
        << "open:frmProperties | cboSpeed=4800 | click:cmdCancel | ?frmProperties.visible=false | "
           "?line=9600,n,8,1 COM1 0  closed | open:frmProperties | ?cboSpeed=4800 | click:cmdOK | "
           "?line=4800,n,8,1 COM1 0  closed";
    QTest::newRow("the close box discards the edits")
        << "stored:Properties/CType=LAN | stored:Properties/DevID=1 | stored:Properties/LANParity=Even | "
           "stored:Properties/RemoteHost=10.1.2.3 | stored:Properties/PBXType=False | "
           "stored:Properties/Settings=2400,e,7,1 | stored:Properties/CommPort=4 | open:frmProperties | "
           "cboType=Serial | cboDevID=0 | cboLANParity=Odd | txtHost=192.168.7.7 | OptKRA=true | "
           "cboSpeed=4800 | cboPort=COM9 | ?link=Serial 0 Odd 10.1.2.3 192.168.7.7 KRA kra noecho | close | "
           "?link=LAN 1 Even 10.1.2.3 10.1.2.3 OLV kra noecho | ?mnuDisplayProperties.enabled=true | "
           "open:frmProperties | ?cboType=LAN | ?cboDevID=1 | ?cboLANParity=Even | ?txtHost=10.1.2.3 | "
           "?OptOLV=true | ?cboSpeed=2400 | ?cboPort=COM4 | ?Properties/Handshaking=<none>";
    QTest::newRow("the method swaps the debug items before OK")
        << "open:frmProperties | cboType=LAN | ?mnuDisplayProperties.enabled=true | "
           "?mnuDebugSerial.enabled=false | cboType=Serial | ?mnuDisplayProperties.enabled=false | "
           "?mnuDebugSerial.enabled=true | ?Properties/CType=<none>";
    // An access key leads to a box; what is typed there is stored by Enter (OK), not by Escape.
    const QString keys =
        u"open:frmProperties | key:Alt+%1 | type:%2 | key:%3 | ?frmProperties.visible=false | "
        "?Properties/%4"_s;
    QTest::newRow("keys: speed, Enter") << keys.arg("X", "19200", "Return", "Settings=19200,n,8,1");
    QTest::newRow("keys: speed, Escape") << keys.arg("X", "19200", "Escape", "Settings=<none>");
}

void TestWindows::debugOptions_data()
{
    QTest::addColumn<QString>("script");
    QTest::newRow("the parity toggle flips the LAN parity on every click")
        << "stored:Debug/TogglePty=1 | set:type=LAN | open:FrmDebugOptions | ?chktoggleparity=true | "
           "click:chktoggleparity | ?cboLANParity=Even | click:chktoggleparity | ?cboLANParity=Odd | "
           "?chktoggleparity=true";
    QTest::newRow("the HEX box follows the LAN debug window")
        << "set:type=LAN | open:FrmDebugOptions | click:chkdebug | ?FrmDebug.visible=true | close:FrmDebug | "
           "?chkdebug=false | ?debug=detail Normal 5 | click:chkdebug | ?FrmDebug.visible=true";
    // 0 or empty: a check on every tick.
    QTest::newRow("the interval takes whole seconds up to 180")
        << "set:type=LAN | open:FrmDebugOptions | txtHCInterval= | keys:txtHCInterval:1x8a1 | "
           "?txtHCInterval=18 | keys:txtHCInterval:1 | ?txtHCInterval=18 | keys:txtHCInterval:0 | "
           "?txtHCInterval=180 | key:Up | ?txtHCInterval=180 | key:Down | ?txtHCInterval=179 | "
           "?interval=179 | txtHCInterval= | ?interval=0 | key:Down | ?txtHCInterval=1";
    QTest::newRow("Close stores nothing, the close box everything")
        << "set:type=LAN | open:FrmDebugOptions | chkdetail=false | chkIgnoreparitychk=true | "
           "optInvalidTxt=true | txtHCInterval=42 | click:cmdQuit | ?Debug/Detail=<none> | "
           "open:FrmDebugOptions | close | ?Debug/Detail=0 | ?Debug/IgnorePty=1 | ?Debug/RespTextErr=True | "
           "?Debug/RespNorm=False | ?Debug/HCValue=42 | ?Debug/HCinterval=42";
    // The link answers the next record with the forced error and falls back to normal: the exit
    // stores the live options, not the dialog's.
    QTest::newRow("the exit closes the log and stores the live options, the dialog shown again")
        << "choose:<dir>/log.txt | trigger:mnuOpenLog | set:type=LAN | open:FrmDebugOptions | "
           "optParityErr=true | "
           "chkstophealth=true | txtHCInterval=30 | close | ?Debug/RespPtyErr=True | set:forced | "
           "open:FrmDebugOptions | ?optNorm=true | click:cmdQuit | answer:Yes | close:frmTerminal | "
           "?frmTerminal.visible=false | ?frmTerminal.windowTitle=ZKN-Control Tool | "
           "?boxes~=Do you really want to exit ZKN-Tool? | ?Debug/RespNorm=True | ?Debug/RespPtyErr=False | "
           "?Debug/StopHC=1 | ?Debug/HCinterval=30 | ?Debug/HCValue=30";
}

void TestWindows::loadTestConfiguration_data()
{
    QTest::addColumn<QString>("script");
    const QString delayWarning = u"?boxes=Exclamation/Ok/WARNING: Invalid delay value. please enter a value "
                                 "between 1 to 60000 (ms)."_s;
    const QString untouched = u"?test=1000-1000 1000-1000 300 range"_s;
    QTest::newRow("delay only offers only the delay, until opened in full")
        << "open:frmConfig delay | ?Text1.enabled=false | ?Text2.enabled=false | ?ChkFile.enabled=false | "
           "?Frame1.enabled=false | ?txtDelay.enabled=true | ?focus=txtDelay | ?selected=300 | "
           "click:cmdCancel | open:frmConfig | ?Text1.enabled=false | ?ChkFile.enabled=false | "
           "click:cmdCancel | open:frmConfig full | ?Text1.enabled=true | ?Text2.enabled=true | "
           "?ChkFile.enabled=true | ?Frame1.enabled=true";
    // Shown when it is already: only brought forward.
    QTest::newRow("shown again: the delay of the options, the stations as they were")
        << "stored:Properties/StartSTN=4711 | stored:Properties/EndSTN=4720 | "
           "?test=4711-4720 4711-4720 300 range | open:frmConfig | txtDelay=555 | open:frmConfig | "
           "?txtDelay=555 | click:cmdCancel | open:frmConfig | ?txtDelay=300 | ?Text1=4711 | ?Text2=4720";
    // Typed over the selected delay; a warning selects the text again, so the next digit replaces it.
    const QString typed = u"open:frmConfig delay | keys:txtDelay:%1 | ?txtDelay=%2 | %3%4"_s;
    const QString warned = u" | ?focus=txtDelay | "_s + delayWarning;
    QTest::newRow("delay typed: 70000 warns at the fifth digit")
        << typed.arg("70000", "70000", untouched, warned + " | ?selected=70000");
    QTest::newRow("delay typed: 0, then 5 over it") << typed.arg("05", "5", untouched, warned);
    // The arrows beside the box and the arrow keys in it step alike, and never warn.
    const QString stepped = u"open:frmConfig | txtDelay=%1 | click:%2 delay | ?txtDelay=%4 | txtDelay=%1 | "
                            "keys:txtDelay: | key:%3 | ?txtDelay=%4 | "_s +
                            untouched;
    QTest::newRow("delay stepped down") << stepped.arg("300", "Shorter", "Down", "299");
    QTest::newRow("delay stepped up from empty") << stepped.arg("", "Longer", "Up", "1");
    QTest::newRow("delay stepped down from above the top")
        << stepped.arg("70000", "Shorter", "Down", "60000");
    const QString refusedDelay =
        u"stored:Properties/StartSTN=1000 | stored:Properties/EndSTN=1010 | open:%1 | "
        "txtDelay=%2 | click:cmdOK | ?frmConfig.visible=true | ?focus=txtDelay | "
        "?test=1000-1010 1000-1010 300 range | ?mnuStart.enabled=false | "_s +
        delayWarning;
    QTest::newRow("OK refuses the delay empty") << refusedDelay.arg("frmConfig", "");
    QTest::newRow("OK refuses the delay 0, delay only") << refusedDelay.arg("frmConfig delay", "0");
    const QString range = u"open:frmConfig | Text1=%1 | Text2=%2 | txtDelay=800 | %3"_s;
    const QString refusedRange =
        u"click:cmdOK | ?boxes=Exclamation/Ok/: Invalid Sequence! Please, try again. | "
        "?frmConfig.visible=true | ?focus=Text1 | ?test=1000-1000 %1-%2 300 range | "
        "?Properties/StartSTN=<none>"_s;
    for (const auto& [name, start, end] : {std::tuple{"end below start", "1010", "1000"},
                                           {"equal", "1000", "1000"},
                                           {"equal by their leading digits", "12#", "12*"}})
        QTest::addRow("OK refuses the range %s", name) << range.arg(start, end, refusedRange.arg(start, end));
    // With the file the range boxes are not read as a range: they are stored as typed.
    const QString withFile =
        u"ChkFile=true | click:cmdOK | ?frmConfig.visible=false | "
        "?test=1000-1000 %1-%2 800 file | ?Properties/StartSTN=%1 | ?Properties/EndSTN=%2"_s;
    QTest::newRow("OK takes the range end below start with the file")
        << range.arg("1010", "1000", withFile.arg("1010", "1000"));
    const QString taken = u"open:frmConfig | Text1=%1 | Text2=%2 | txtDelay=1234 | key:Return | "
                          "?frmConfig.visible=false | ?test=%3 %1-%2 1234 range | ?Properties/StartSTN=%1 | "
                          "?Properties/EndSTN=%2 | ?mnuStart.enabled=true"_s;
    QTest::newRow("Enter takes a range compared as numbers") << taken.arg("999", "1000", "999-1000");
    QTest::newRow("Enter takes a star before the digits as 0") << taken.arg("*5", "7#", "0-7");
    // Without a sound range, but the range is not asked for.
    QTest::newRow("OK with only the delay offered takes only the delay")
        << "stored:Properties/StartSTN=5 | stored:Properties/EndSTN=1 | open:frmConfig delay | "
           "txtDelay=60000 | click:cmdOK | ?frmConfig.visible=false | ?test=5-1 5-1 60000 range | "
           "?Properties/StartSTN=5 | ?mnuStart.enabled=false";
    QTest::newRow("Cancel changes nothing")
        << "open:frmConfig | Text1=1000 | Text2=1010 | txtDelay=1234 | ChkFile=true | click:cmdCancel | "
           "?frmConfig.visible=false | ?test=1000-1000 1000-1010 300 range | ?Properties/StartSTN=<none>";
    const QString filtered =
        u"open:frmConfig | %1= | keys:%1:%2 | ?%1=%3 | key:Backspace | ?%1=%4 | key:Home | "
        "key:Delete | ?%1=%5"_s;
    QTest::newRow("Text1 takes digits, # and *")
        << filtered.arg("Text1", "1a 2#x*9.", "12#*9", "12#*", "2#*");
    QTest::newRow("txtDelay takes digits") << filtered.arg("txtDelay", "1a2#*3 .", "123", "12", "2");
    // Set elsewhere too: the single-station dialog, a decoded record. As designed until applied.
    QTest::newRow("the expansion option widens, cuts and mirrors the model")
        << "set:kra=false | ?Text1.maxLength=5 | open:frmConfig | ?Text1.maxLength=6 | ?Text2.maxLength=6 | "
           "set:expansion=true | ?chkIdx246=true | ?Text1.maxLength=8 | Text1=12345678 | Text2=87654321 | "
           "click:chkIdx246 | ?expansion=false | ?Text1=123456 | ?Text2=876543 | "
           "?test=1000-1000 123456-876543 300 range | click:chkIdx246 | ?expansion=true | ?Text2.maxLength=8";
    // The store is read as the dialog becomes active and written as it stops being; for KRA the
    // boxes follow only a change of the option.
    const QString expansion =
        u"stored:Debug/ZKNexpansion=%1 | set:kra=%2 | open:frmConfig | ?chkIdx246=%3 | "
        "?expansion=%3 | ?chkIdx246.enabled=%4 | ?Text1.maxLength=%5 | set:expansion=%6 | "
        "leave | ?Debug/ZKNexpansion=%7"_s;
    QTest::newRow("expansion, OLV, stored on")
        << expansion.arg("1", "false", "true", "true", "8", "false", "0");
    QTest::newRow("Use File shows the file in place of the range")
        << "open:frmConfig | ?Frame1.visible=false | ?Text1.visible=true | click:ChkFile | "
           "?Frame1.visible=true | ?Text1.visible=false | ?Text2.visible=false | ?cmdEditFile.visible=true | "
           "click:ChkFile | ?Frame1.visible=false | ?Text1.visible=true";
    // The dialog is not modal: its OK may come while a test sweeps; Start stays off until the test
    // has stopped.
    QTest::newRow("OK while the test sweeps its lamps off")
        << "open:frmConfig | set:phase=Stopping | Text1=1000 | Text2=1010 | click:cmdOK | "
           "?frmConfig.visible=false | ?mnuStart.enabled=false | ?StartLoadTest.enabled=false";
    const QString keys = u"open:frmConfig | key:Alt+S | type:2000 | key:Alt+E | type:2010 | key:Alt+D | "
                         "type:50 | key:%1 | ?frmConfig.visible=false | ?test=%2 2000-2010 %3 range | "
                         "?Properties/StartSTN=%4"_s;
    QTest::newRow("keys: Enter takes the stations and the delay")
        << keys.arg("Return", "2000-2010", "50", "2000");
    QTest::newRow("keys: Escape leaves the test as it was")
        << keys.arg("Escape", "1000-1000", "300", "<none>");
}

void TestWindows::lampControl_data()
{
    QTest::addColumn<QString>("script");
    QTest::newRow("the stations of the last run; Quit stores them")
        << "stored:Properties/StnA=4711 | stored:Properties/StnB=  | open:frmSingle | ?txtStn1=4711 | "
           "?txtStn2=  | txtStn1=2000 | txtStn2= | click:cmdQuit | ?frmSingle.visible=false | "
           "?Properties/StnA=2000 | ?Properties/StnB=";
    QTest::newRow("the two groups exclude each other")
        << "open:frmSingle | ?OptionMWnone=true | ?OptionVMMnone=true | click:OptionMWon | "
           "click:OptionVMMoff | ?OptionMWnone=true | click:OptionMWoff | ?OptionVMMnone=true | "
           "?OptionMWoff=true";
    QTest::newRow("the stations take digits, # and * only")
        << "open:frmSingle | txtStn1= | keys:txtStn1:1a 2#x*9. | ?txtStn1=12#*9 | key:Backspace | "
           "?txtStn1=12#*";
    QTest::newRow("Send without an option asks for one")
        << "open:frmSingle | click:cmdSend | ?boxes=Information/Ok/: Please select an option. | "
           "?frmSingle.visible=true";
    QTest::newRow("Send without the link stores the stations and hides")
        << "set:type=LAN | open:frmSingle | txtStn1=3000 | txtStn2=3005 | click:OptionVMMoff | "
           "click:cmdSend | ?boxes~=: PBX does not respond, check Host Name or IP address! | "
           "?frmSingle.visible=false | ?Properties/StnA=3000 | ?Properties/StnB=3005 | ?terminal=";
    // A station typed in From, a lamp chosen by its access key: Enter sends, Escape closes.
    const QString keys = u"set:type=LAN | open:frmSingle | key:Alt+R | ?focus=txtStn1 | type:3000 | "
                         "key:Alt+%1 | ?%2=true | key:%3 | ?frmSingle.visible=false%4"_s;
    const QString sent = u" | ?boxes~=PBX does not respond | ?Properties/StnA=3000"_s;
    QTest::newRow("keys: MW on, Enter") << keys.arg("O", "OptionMWon", "Return", sent);
    QTest::newRow("keys: MW off, Escape") << keys.arg("F", "OptionMWoff", "Escape", "");
}

void TestWindows::breakdown_data()
{
    QTest::addColumn<QString>("script");
    const QString plain = u"?FrmBreakDown.windowTitle=Format Message Information - ZKN-Tool"_s;
    QTest::newRow("Format shows and hides it; Close clears the item")
        << "?FrmBreakDown.visible=false | trigger:mnuFormat | ?FrmBreakDown.visible=true | ?mnuFormat=true | "
           "trigger:mnuFormat | ?FrmBreakDown.visible=false | ?mnuFormat=false | open:FrmBreakDown | "
           "click:cmdClose | ?FrmBreakDown.visible=false | ?mnuFormat=false | trigger:mnuFormat | "
           "?FrmBreakDown.visible=true";
    QTest::newRow("records fill the areas, Clear empties them")
        << "open:FrmBreakDown | record:kra | ?FrmBreakDown.windowTitle=Format Message Information (KRA) | "
           "?decoded=true | click:cmdClear | ?decoded=false | record:kra:1 | ?decoded=true";
    // Not decoded while held, but its time is shown, to the second, as the locale writes it.
    QTest::newRow("Hold keeps the record but not its time")
        << "open:FrmBreakDown | record:kra | click:ChkHold | ?ChkHold.text=&Resume | lblTime= | "
           "click:cmdClear | record:kra:1 | ?decoded=false | ?lblTime=12/6/26 2:03:59 PM | click:ChkHold | "
           "?ChkHold.text=&Hold | record:kra | ?decoded=true";
    QTest::newRow("hidden, it decodes nothing")
        << "record:kra | ?lblTime=12/6/26 2:03:59 PM | open:FrmBreakDown | ?decoded=false | " + plain;
    QTest::newRow("the title bar's close unloads it")
        << "open:FrmBreakDown | record:kra | click:ChkHold | close | ?mnuFormat=false | open:FrmBreakDown | "
           "?decoded=false | ?ChkHold=false | " +
               plain;
    // The 8-digit layouts need the expansion for the lamp messages too, so it is stored for the
    // lamp dialog, which reads the store as it opens; a held window decodes nothing.
    QTest::newRow("OLV records set the expansion option")
        << "set:records=olv | open:FrmBreakDown | record:olv8 | ?expansion=true | ?Debug/ZKNexpansion=1 | "
           "open:frmSingle | ?chkIndex246=true | record:olv6x | ?expansion=false | ?Debug/ZKNexpansion=0 | "
           "record:olv8x | ?expansion=true | click:ChkHold | record:olv6 | ?expansion=true";
    QTest::newRow("double-click decodes a record, only with the window shown")
        << "dclick:record | ?decoded=false | open:FrmBreakDown | dclick:stamp | "
           "?boxes=Exclamation/Ok/: Invalid Record! You Idiot!! | ?decoded=false | dclick:record | "
           "?decoded=true";
    // Escape does what Close does; the records decoded stay.
    QTest::newRow("keys: Alt+H holds, Escape closes")
        << "open:FrmBreakDown | record:kra | key:Alt+H | ?ChkHold=true | key:Escape | "
           "?FrmBreakDown.visible=false | ?mnuFormat=false | ?ChkHold=true | ?decoded=true";
}

// Every menu title and item has one access key, none shared on the menu bar (with the main
// window's own captions) or within a menu. Alt with the title's key opens its menu (or runs a
// command on the menu bar); the item's key in the open menu runs the item, once. The commands'
// own work is kept out of the test: only the key's way to the command is checked here.
void TestWindows::menusFromTheKeyboard()
{
    Tool t;
    QVERIFY(t.start());
    const auto checkUnique = [](const QStringList& captions, const QString& where) {
        QHash<int, QString> owner;
        for (const QString& caption : captions) {
            const int key = accessKey(caption);
            QVERIFY2(key != 0 && !owner.contains(key),
                     qPrintable(where + u": "_s + owner.value(key) + u" and "_s + caption));
            owner.insert(key, caption);
        }
    };
    QStringList barKeys;
    for (const QWidget* w : widgetsOf(t.window.get()))
        if (accessKey(captionOf(w)) != 0)
            barKeys.append(captionOf(w));
    const QList<QAction*> bar = t.window->menuBar()->actions();
    QVERIFY(bar.size() >= 6);
    for (QAction* entry : bar) {
        QMenu* menu = entry->menu();
        barKeys.append(entry->text());
        QList<QAction*> commands;
        QStringList items;
        for (QAction* item : menu ? menu->actions() : QList<QAction*>{entry})
            if (!item->isSeparator())
                commands.append(item), items.append(item->text());
        checkUnique(items, entry->text());
        for (QAction* command : std::as_const(commands)) {
            if (!command->isEnabled())
                continue; // disabled at start-up: its access key is checked for uniqueness only
            QObject::disconnect(command, nullptr, t.window.get(), nullptr);
            const QSignalSpy triggered(command, &QAction::triggered);
            QTest::keyClick(t.window.get(), Qt::Key(accessKey(entry->text())), Qt::AltModifier);
            if (menu) {
                QVERIFY(eventually([&] { return QApplication::activePopupWidget() == menu; }, 2000));
                QTest::keyClick(menu, Qt::Key(accessKey(command->text())));
                QVERIFY(!menu->isVisible());
            }
            QVERIFY2(triggered.size() == 1, qPrintable(entry->text() + u'/' + command->text()));
        }
    }
    checkUnique(barKeys, u"menu bar"_s);
}

void TestWindows::everyWindowFromTheKeyboard_data()
{
    QTest::addColumn<QString>("script");       // opens the window
    QTest::addColumn<QString>("captions");     // its title, then its captions in any order
    QTest::addColumn<QString>("order");        // Tab's; none for a window Tab is not checked in
    const QString olv = u"set:kra=false | "_s; // the expansion option is offered too
    const QString lan = u"set:type=LAN | "_s + olv;
    QTest::newRow("main window")
        << "open:frmTerminal"
        << "ZKN-Control Tool | &File | &Open Log File... | &Close Log File | &Transmit Text File... | E&xit "
           "| "
           "&Connection | Port &Open | &Properties... | &Load-Test | &Configure | &Start | S&top | "
           "Lam&p-Test | "
           "&Options | &Debug-LAN | Debug-&Serial | &Format | &Help | &About | Tools | Open Log File... | "
           "Close Log File | Properties... | Transmit Text File... | Configure MWL Test... | Start Sending "
           "Messages... | Stop Sending Messages | Lamp Control... | Modify Inter-Message Delay | 300 | (ms) "
           "| TX | "
           "RX | DSR | Font si&ze | 9 | Status: | Settings:"
        << "";
    QTest::newRow("properties, LAN")
        << lan + "open:frmProperties"
        << "Connection Properties |  Connection &Method: | &IP Address: | Parit&y Type: | &Device ID: | ZKN "
           "- "
           "Format &Type | OLV | KRA | &Flow Control | None | Xon/Xoff | RTS | Xon/RTS | &Echo | Off | On | "
           "&Port: "
           "| Connection Preferences | Data &Bits: | Pa&rity: | &Stop Bits: | Ma&ximum Speed | OK | Cancel"
        << "cboType txtHost cboLANParity cboDevID cmdOK cmdCancel";
    QTest::newRow("properties, serial") << olv + "open:frmProperties" << QString()
                                        << "cboType cboPort OptOLV cboDataBits cboParity cboStopBits "
                                           "cboSpeed optFlow[0] optEcho[0] cmdOK cmdCancel";
    QTest::newRow("debug options")
        << lan + "open:FrmDebugOptions"
        << "Debug Options | Show &detailed messages | Show debug &HEX view | &Toggle "
           "Tx parity (ODD/EVEN | Don't perform &Rx Parity check | &Stop health check "
           "signal | Force Client Response Message | &Normal | &Parity Error | "
           "In&valid Text | Health Check &Interval (Sec.) | &Close"
        << "chkdetail chkdebug chktoggleparity chkIgnoreparitychk chkstophealth optNorm txtHCInterval "
           "cmdQuit";
    QTest::newRow("LAN debug") << "open:FrmDebug"
                               << "ZKN-Control Tool - LAN Debug"
                               << "";
    QTest::newRow("serial buffer") << "open:FrmDBSerial"
                                   << "ZKN-Tool - RS-232C Buffer Size (bytes) | 0 | 2048 | 4096"
                                   << "";
    QTest::newRow("lamp control")
        << lan + "open:frmSingle"
        << "ZKN-Control Tool - Lamp Control | Message Waiting Lamp Control | Enter a single station or a "
           "range "
           "of stations, select the lamp to control and click 'Send' to activate lamp:\n\nNOTE: The PRQ2000 "
           "does "
           "not support range control. | F&rom: | &To: | MW | Lamp &On | Lamp O&ff | No &Change | VMM | Lamp "
           "O&n "
           "| La&mp Off | No Chan&ge | ZKN &Expansion Enabled (Index 246 bit-3) | &Send | &Quit"
        << "txtStn1 txtStn2 OptionMWon OptionVMMon chkIndex246 cmdSend cmdQuit";
    QTest::newRow("load-test configuration")
        << lan + "open:frmConfig"
        << "Lamp Test Configuration | Enter load test extension range or click EDIT FILE to enter random "
           "extensions.  Adjust Inter-message delay value (milli-seconds) to desired value.\n\nNOTE:  The "
           "START "
           "extention must be less than the END extension. | &Start: | &End: | Edit &File | &Delay(ms): | "
           "&Use "
           "File | ZKN E&xpansion Enabled (Index 246 bit-3) | OK | Cancel"
        << "Text1 Text2 ChkFile txtDelay chkIdx246 cmdOK cmdCancel";
    QTest::newRow("about")
        << "open:frmAbout"
        << u"About ZKN-Control Tool | ZKN-Tool | Version 2.1.102 | Message Waiting Lamp (MWL) "
           "Control Tool: Features Inter-Message Delay Control, Message Logging, Text file "
           "XMIT. Supports both TCP/IP and Serial Connections. Both OLV and KRA message formats "
           "are supported.\n\nBuilt with Qt "_s +
               QLatin1String(qVersion()) + " for Linux. | OK | &System Info..."
        << "cmdOK cmdSysInfo";
    QTest::newRow("breakdown, empty")
        << "open:FrmBreakDown"
        << "Format Message Information - ZKN-Tool | Source/Destination  | Called Party  | "
           "Calling Party  | Extended Calling Party  | Call Type/Loop Number | ANI  | Last "
           "Record: | &Hold | &Clear | Cl&ose"
        << "";
    // Area by area, the sub-frames in front after an OLV record (made after the buttons).
    QTest::newRow("breakdown, records of both layouts")
        << lan + "open:FrmBreakDown | record:kra | set:records=olv | record:olv6" << QString()
        << "TxtFPC TxtTn TxtStn TxtUGN TxtTel TxtFPC TxtTn TxtAtt TxtUGN TxtBlank TxtFPC TxtTn "
           "TxtPhysicalRoute TxtUGN TxtBlank TxtTrunk TxtLogicalRoute TxtLoopNo TxtCallType ChkHold cmdClear "
           "cmdClose";
    QTest::newRow("splash")
        << "open:frmSplash"
        << "ZKN-Control Tool | ZKN-Tool | Message-centre link test and control | Version "
           "2.1.102 | Linux | Press any key or click to continue | ZKN-Control Tool for Linux"
        << "";
    QTest::newRow("text file transmission")
        << "open:frmCancelSend"
        << "ZKN-Tool | Transmitting Text File - /home/op/letter.TXT | Cancel"
        << "";
}

// Every window's title and captions are the tool's own texts. Within a window no two captions share an access
// key, and a label's leads to the box beside it. Tab goes through the window in reading order and reaches
// every input that takes the focus (an option group once; the arrows move within it).
void TestWindows::everyWindowFromTheKeyboard()
{
    QFETCH(QString, script);
    QFETCH(QString, captions);
    QFETCH(QString, order);
    Tool t;
    QVERIFY(t.start());
    t.current = t.window.get();
    for (const QString& s : script.split(u" | "_s))
        t.step(s);
    QWidget* window = t.current;
    QVERIFY(window);
    if (!captions.isEmpty()) {
        QStringList expected = captions.split(u" | "_s);
        const QString title = expected.takeFirst();
        expected.sort();
        QCOMPARE(captionsOf(window).join(u" | "_s), (QStringList{title} + expected).join(u" | "_s));
    }
    const QList<QWidget*> widgets = widgetsOf(window);
    QHash<int, QString> owner;
    for (const QWidget* w : widgets) {
        const auto* label = qobject_cast<const QLabel*>(w);
        const QString caption = captionOf(w);
        if (const int key = accessKey(caption); key != 0) {
            QVERIFY2(!owner.contains(key), qPrintable(owner.value(key) + u" and "_s + caption));
            QVERIFY2(!label || label->buddy(), qPrintable(caption + u" has no buddy"_s));
            owner.insert(key, caption);
        }
    }
    if (order.isEmpty())
        return;
    const QList<QWidget*> visited = tabWalk(window);
    QStringList names;
    for (const QWidget* w : visited)
        names.append(nameOf(w));
    QCOMPARE(names.join(u' '), order);
    for (QWidget* w : widgets) {
        const auto* option = qobject_cast<const QAbstractButton*>(w);
        const bool groupEntered = option && option->autoExclusive() &&
                                  std::any_of(visited.begin(), visited.end(), [w](const QWidget* v) {
                                      return v->parentWidget() == w->parentWidget();
                                  });
        QVERIFY2(!takesTab(w) || visited.contains(w) || visited.contains(w->focusProxy()) || groupEntered,
                 qPrintable(nameOf(w) + u" is not reached by Tab"_s));
    }
}

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
