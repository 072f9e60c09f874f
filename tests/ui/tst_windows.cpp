// SPDX-License-Identifier: GPL-3.0-or-later
// The tool's windows without a PBX, driven as the operator drives them: what each window says,
// the keyboard alone, and what each dialog takes, refuses, shows and stores. Most rows are
// scripts of steps on a tool started afresh (see Tool::step()).
#include "tool_fixture.h"

#include "display/terminal_line.h"
#include "frm_break_down.h"
#include "frm_cancel_send.h"
#include "pbxsim/record_catalogue.h"
#include "pty_pair.h"
#include "start_up_options.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStackedWidget>
#include <QToolBar>

#include <algorithm>

using namespace zkn;
using namespace zkn::test;
using namespace Qt::StringLiterals;

namespace {

const auto text = [](bool b) { return b ? u"true"_s : u"false"_s; };
const auto before = [](const QString& s, char sep) { return s.section(QLatin1Char(sep), 0, 0); };
const auto after = [](const QString& s, char sep) { return s.section(QLatin1Char(sep), 1); };

QList<QWidget*> widgetsOf(QWidget* window)
{
    QList<QWidget*> own = window->findChildren<QWidget*>();
    own.removeIf([window](const QWidget* w) { return w->window() != window; });
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

// Every caption has an access key of its own.
void checkAccessKeys(const QStringList& captions, const QString& where)
{
    QHash<int, QString> owner;
    for (const QString& caption : captions) {
        const int key = accessKey(caption);
        QVERIFY2(key != 0 && !owner.contains(key),
                 qPrintable(where + u": "_s + owner.value(key) + u" and "_s + caption));
        owner.insert(key, caption);
    }
}

// The window's own captions that have an access key.
QStringList keyedCaptions(QWidget* window)
{
    QStringList keyed;
    for (const QWidget* w : widgetsOf(window))
        if (accessKey(captionOf(w)) != 0)
            keyed.append(captionOf(w));
    return keyed;
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
    for (QWidget* now;
         (now = QApplication::focusWidget()) && !visited.contains(now) && visited.size() <= 100;) {
        visited.append(now);
        QTest::keyClick(now, Qt::Key_Tab);
    }
    return visited;
}

// The property that holds what the operator chooses in a widget or action.
QByteArray valueProperty(const QObject* o)
{
    return qobject_cast<const QComboBox*>(o)   ? "currentText"
           : qobject_cast<const QSpinBox*>(o)  ? "value"
           : o->property("checkable").toBool() ? "checked"
                                               : "text";
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
    {"frmConfig full", "TestConfig"},   {"frmResults", "mnuResults"},
    {"frmLampLedger", "mnuLampLedger"}, {"frmMonitor", "mnuMonitor"},
};

struct Tool : ToolFixture
{
    QPointer<QWidget> current; // the window opened last
    QTemporaryDir files;
    std::optional<PtyPair> pty, pty2; // made when a script names one
    std::unique_ptr<frmSplash> splash;
    const QByteArray path = qgetenv("PATH");

    ~Tool() { qputenv("PATH", path); }

    QWidget* open(const QString& name)
    {
        if (name == "FrmDebug"_L1)
            app->debugOptions().setHexView(true);
        if (name == "frmSplash"_L1)
            splash = std::make_unique<frmSplash>();
        if (name == "frmCancelSend"_L1)
            window->findChild<frmCancelSend*>()->showSending(u"/home/op/letter.TXT"_s);
        for (const auto& [opened, command] : kOpeners)
            if (name == QLatin1String(opened))
                action(command)->trigger();
        current = splash ? splash.get() : qobject_cast<QWidget*>(named(before(name, ' ')));
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
        const QString base = before(name, '[');
        for (QObject* root : {static_cast<QObject*>(current), static_cast<QObject*>(window.get())}) {
            if (!root)
                continue;
            QObjectList all = root->findChildren<QObject*>();
            for (QObject* o : all << root)
                if ((o->objectName() == base &&
                     (base == name || o->property("index").toInt() == after(name, '[').chopped(1).toInt())) ||
                    (o->isWidgetType() && static_cast<QWidget*>(o)->accessibleName() == name))
                    return o;
        }
        return nullptr;
    }

    // What a check reads: a stored key (Section/Key), the boxes shown, a file, one of the live
    // options, a widget's value (name) or property (name.property).
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
            return ini()->value(what, u"<none>"_s).toString();
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
            return u"%1 COM%2 %3 %4 %5"_s.arg(s.settings(), QString::number(s.commPort()),
                                              QString::number(s.handshaking()), s.portName(),
                                              s.isOpen() ? "open"_L1 : "closed"_L1);
        if (what == "debug"_L1) {
            for (const auto& [on, name] : {std::pair{d.detail(), "detail"},
                                           {d.hexView(), "hex"},
                                           {d.toggleParity(), "toggle"},
                                           {d.stopHealth(), "stop"},
                                           {d.ignoreParity(), "ignore"}})
                if (on)
                    all.append(QLatin1String(name));
            all << QLatin1String(kForced[int(d.forcedAnswer())]) << QString::number(d.healthCheckInterval());
            return all.join(u' ');
        }
        if (what == "test"_L1)
            return u"%1-%2 %3-%4 %5 %6"_s.arg(
                QString::number(l.startStation()), QString::number(l.endStation()), l.startText(),
                l.endText(), QString::number(l.delayMs()), l.useFile() ? "file"_L1 : "range"_L1);
        if (what == "expansion"_L1)
            return text(app->expansion().isEnabled());
        if (what == "font"_L1)
            return u"%1 %2 %3"_s.arg(in<QSpinBox>(window.get(), "UpDown1")->value())
                .arg(in<QLabel>(window.get(), "Label3")->text())
                .arg(window->terminal()->font().pointSize());
        if (what == "decoded"_L1) // a decoded sub-frame in front of an area's plain frame
            return text(
                std::ranges::any_of(window->breakDownWindow()->findChildren<QStackedWidget*>(),
                                    [](const QStackedWidget* area) { return area->currentIndex() > 0; }));
        if (what == "terminal"_L1)
            return QString::fromLatin1(terminal());
        const QObject* o = named(before(what, '.'));
        if (!o) // a window deleted as it closed
            return what.endsWith(".visible"_L1) ? text(false) : u"<no such widget>"_s;
        return o->property((what.contains(u'.') ? after(what, '.').toLatin1() : valueProperty(o)).constData())
            .toString();
    }

    // One step of a script:
    //   open:Window, click:button or action, close[:Window], leave (to the main window)
    //   name=value          sets a box, list, spin box or option ("true" checks it)
    //   key:Alt+X           a key for the widget with the focus
    //   type:text           types over the text of the box with the focus
    //   keys:name:text      types into a box as it stands
    //   set:what=value      a live option changed elsewhere: type, kra, records, expansion; or
    //                       set:normal (the forced answer back to normal), set:stopping (the test's sweep)
    //   record:layout[:n]   a record arrives (kra, olv6, olv8, olv6x, olv8x)
    //   dclick:record|stamp a word of the terminal double-clicked: a KRA record or its time
    //   file:name=text, choose:path (empty: cancelled), answer:Yes|No|Cancel, write:terminal text
    //   serial:path (the serial port named and opened), port:path (named only), path:folders (the PATH)
    //   present:device,by-id,maker,product,serial (a port the system lists), link:path=target (a symlink)
    //   cmdline:--option... the command line's options carried out
    //   ?what=value         checks what observe() reads; ?what~=text: that it contains the text
    // with <dir> (a folder of the test's), <app> (this program), <pty> and <pty2> replaced.
    void step(QString s)
    {
        if (s.contains("<pty"_L1) && !pty)
            pty.emplace(), pty2.emplace();
        s.replace("<dir>"_L1, files.path()).replace("<app>"_L1, QCoreApplication::applicationFilePath());
        if (pty)
            s.replace("<pty2>"_L1, pty2->devicePath()).replace("<pty>"_L1, pty->devicePath());
        const QString head = before(s, ':'), arg = after(s, ':');
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
        } else if (is("click")) {
            QObject* o = named(arg);
            QVERIFY2(o && QMetaObject::invokeMethod(o, qobject_cast<QAction*>(o) ? "trigger" : "click"),
                     qPrintable(s));
        } else if (is("close")) {
            (arg.isEmpty() ? current.data() : qobject_cast<QWidget*>(named(arg)))->close();
        } else if (is("leave")) {
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
            const QString what = before(arg, '='), value = after(arg, '=');
            if (what == "type"_L1)
                app->connection().setConnectionType(connectionTypeFromText(value));
            else if (what == "kra"_L1)
                app->connection().setKraSelected(value == "true"_L1);
            else if (what == "records"_L1)
                app->connection().setRecordFormatKra(value == "kra"_L1);
            else if (what == "expansion"_L1)
                app->expansion().setEnabled(value == "true"_L1);
            else if (what == "normal"_L1)
                app->debugOptions().setForcedAnswer(DebugOptions::ForcedAnswer::Normal);
            else if (what == "stopping"_L1)
                window->showLoadTestPhase(link::LoadTestPhase::Stopping);
        } else if (is("record")) {
            // At a set time (the locale is set for the whole test), so the time shown is known.
            window->recordArrived(catalogueRecord(before(arg, ':'), after(arg, ':').toInt()), true,
                                  QDateTime(QDate(2026, 12, 6), QTime(14, 3, 59)));
        } else if (is("dclick")) {
            Q_EMIT window->terminal()->wordDoubleClicked(arg == "record"_L1 ? catalogueRecord(u"kra"_s)
                                                                            : QByteArray("->:14:03:59:"));
        } else if (is("file")) {
            QFile f(files.filePath(before(arg, '=')));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(after(arg, '=').toLatin1()) >= 0);
        } else if (is("choose")) {
            op.fileChoices.append(arg.isEmpty() ? std::nullopt : std::optional<QString>(arg));
        } else if (is("answer")) {
            op.answers.append(arg == "Yes"_L1  ? Operator::Answer::Yes
                              : arg == "No"_L1 ? Operator::Answer::No
                                               : Operator::Answer::Cancel);
        } else if (is("write")) {
            window->WriteTerminal(arg.toLatin1());
        } else if (is("serial")) {
            app->serial().setPortName(arg);
            QVERIFY(app->serial().open(nullptr) == SerialLine::OpenResult::Opened);
        } else if (is("port")) {
            app->serial().setPortName(arg);
        } else if (is("present")) {
            const QStringList f = arg.split(u',');
            ports.append({f.value(0), f.value(1), f.value(2), f.value(3), f.value(4)});
        } else if (is("link")) {
            QVERIFY(QFile::link(after(arg, '='), before(arg, '=')));
        } else if (is("path")) {
            qputenv("PATH", QFile::encodeName(arg));
        } else if (is("cmdline")) {
            auto options = std::get<StartUpOptions>(readCommandLine((u"zkn-tool "_s + arg).split(u' ')));
            options.loadTestPauseMs = 0;
            applyStartUpOptions(options, *window);
        } else {
            QObject* o = named(before(s, '='));
            QVERIFY2(o && s.contains(u'='), qPrintable(u"unknown step "_s + s));
            o->setProperty(valueProperty(o).constData(), after(s, '='));
            if (auto* box = qobject_cast<QLineEdit*>(o))
                Q_EMIT box->editingFinished();
        }
    }

    // The row's script, its steps separated by " | "; the values an earlier run stored
    // (Section/Key=text) come first.
    void run()
    {
        QFETCH(QString, script);
        QStringList steps = script.split(u" | "_s);
        static const QRegularExpression storedValue(u"^\\w+/\\w+="_s);
        while (!steps.isEmpty() && storedValue.match(steps.first()).hasMatch()) {
            const QString value = steps.takeFirst();
            ini()->setValue(before(value, '='), after(value, '='));
        }
        QVERIFY(start());
        QVERIFY2(boxesAtSplash == 0, "a box came before the splash was painted");
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
    // The times of records are shown as this locale writes them.
    void initTestCase() { QLocale::setDefault(QLocale(u"en_US"_s)); }
    void scripts_data();
    void scripts() { Tool().run(); }
    void everyWindowFromTheKeyboard_data();
    void everyWindowFromTheKeyboard();

    // The tool's command line: what it asks of the window, or the exit status of a run that only
    // prints (the help, the version, a mistake); only those need no window system.
    void commandLine_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("result");
        QTest::newRow("nothing") << ""
                                 << "";
        QTest::newRow("every option") << "--connect --breakdown --load-test --capture c.pcap"
                                      << "connect breakdown load-test c.pcap";
        QTest::newRow("a capture alone") << "--capture=c.pcap"
                                         << "c.pcap";
        QTest::newRow("Qt's options are the window system's") << "-platform offscreen --connect -geometry 9x9"
                                                              << "connect";
        QTest::newRow("help") << "--help"
                              << "exit 0";
        QTest::newRow("help, short") << "-h"
                                     << "exit 0";
        QTest::newRow("version") << "--version"
                                 << "exit 0";
        QTest::newRow("version, short, after another") << "--connect -v"
                                                       << "exit 0";
        QTest::newRow("an unknown option") << "--bogus"
                                           << "exit 2";
        QTest::newRow("a capture without its file") << "--capture"
                                                    << "exit 2";
    }
    void commandLine()
    {
        QFETCH(QString, arguments);
        const QStringList list = QStringList{u"zkn-tool"_s} + arguments.split(u' ', Qt::SkipEmptyParts);
        std::vector<QByteArray> bytes;
        for (const QString& a : list)
            bytes.push_back(a.toLocal8Bit());
        std::vector<char*> argv;
        for (QByteArray& b : bytes)
            argv.push_back(b.data());
        const auto read = readCommandLine(ownArguments(int(argv.size()), argv.data()));
        QString result;
        if (const int* status = std::get_if<int>(&read)) {
            result = u"exit "_s + QString::number(*status);
        } else {
            const StartUpOptions& o = std::get<StartUpOptions>(read);
            QStringList asked;
            for (const auto& [on, name] :
                 {std::pair{o.connect, "connect"}, {o.breakdown, "breakdown"}, {o.loadTest, "load-test"}})
                if (on)
                    asked.append(QLatin1String(name));
            if (!o.capturePath.isEmpty())
                asked.append(o.capturePath);
            result = asked.join(u' ');
        }
        QTEST(result, "result");
    }
};

void TestWindows::scripts_data()
{
    QTest::addColumn<QString>("script");
    QTest::newRow("start-up: the font size step is stored, within its range")
        << "UpDown1=1 | ?font=1 5 5 | ?Properties/FontSize=1 | UpDown1=0 | ?font=1 5 5";
    // A stored Hex of 1 does not reopen the LAN debug window.
    const QString stored = QStringLiteral(
        "Properties/DevID=1 | Properties/RemoteHost=10.1.2.3 | Properties/Settings=19200,e,7,2 | "
        "Properties/CommPort=4 | Properties/Handshaking=1 | Properties/Echo=True | Properties/FontSize=5 | "
        "Debug/Hex=1 | Debug/Detail=0 | Debug/RespPtyErr=True | Debug/HCinterval=12 | Debug/IgnorePty=1 | "
        "Debug/TogglePty=1 | Properties/CType=%1 | Properties/PBXType=%2 | ?link=%1 1 Odd 10.1.2.3 10.1.2.3 "
        "%3 echo | ?mnuDisplayProperties.enabled=%4 | ?line=19200,e,7,2 COM4 1  closed | ?debug=toggle "
        "ignore ParityError 12 | ?font=5 14 14 | ?FrmDebug.visible=false | open:frmProperties | "
        "?cboSpeed=19200 | ?cboParity=Even | ?cboDataBits=7 | ?cboStopBits=2 | ?cboPort=COM4 | "
        "?optFlow[1]=true | ?optEcho[1]=true");
    QTest::newRow("start-up: LAN with OLV stored still takes KRA records")
        << stored.arg("LAN", "False", "OLV kra", "true");
    QTest::newRow("start-up: serial with OLV") << stored.arg("Serial", "False", "OLV olv", "false");
    // A refused port setting keeps the remaining values at their defaults.
    QTest::newRow("start-up: refused port settings: the tool comes up all the same")
        << "Properties/Settings=9600,x,8,1 | Properties/CType=LAN | ?boxes=Exclamation/Ok/: Invalid property "
           "value | ?line=9600,n,8,1 COM1 0  closed | ?link~=0.0.0.0 0.0.0.0 KRA kra noecho | "
           "?frmTerminal.visible=true";
    // A bad port number is skipped; a refused handshaking value still ends the reading with its box.
    const QString port =
        QStringLiteral("Properties/CommPort=17 | Properties/CType=LAN | Properties/DevID=1 | "
                       "Properties/RemoteHost=10.1.2.3 | Properties/FontSize=5 | Properties/Handshaking=%1 | "
                       "?line=9600,n,8,1 COM1 0  closed | open:frmProperties | ?cboPort=COM1 | %2");
    QTest::newRow("start-up: port 17")
        << port.arg("", "?link=LAN 1 Odd 10.1.2.3 10.1.2.3 KRA kra noecho | ?font=5 14 14");
    QTest::newRow("start-up: port 17 with refused handshaking")
        << port.arg("7", "?boxes=Exclamation/Ok/: Invalid property value | ?link~=0.0.0.0 0.0.0.0 KRA kra "
                         "noecho | ?font=3 9 9");

    const QString replace = u"?boxes~=Question/YesNoCancel/: Replace existing file - <dir>/"_s;
    const QString title = u"?frmTerminal.windowTitle=ZKN-Control Tool"_s;
    // No: the old content stays and the traffic follows it; Yes: the file starts empty; a new
    // file is made without a question.
    QTest::newRow("main window: log: open, replace or append, close")
        << QStringLiteral(
               "file:log.txt=old\r\n | choose:<dir>/log.txt | answer:No | click:OpenLogFile | %1log.txt? | "
               "%2 - log.txt | ?mnuOpenLog.enabled=false | ?OpenLogFile.enabled=false | "
               "?mnuCloseLog.enabled=true | ?CloseLogFile.enabled=true | write:<->:12:00:00: A\bB\r\n | "
               "click:mnuCloseLog | %2 | ?mnuOpenLog.enabled=true | ?CloseLogFile.enabled=false | write:not "
               "logged\r\n | ?file:log.txt=old\r\n<->:12:00:00: B\r\n | choose:<dir>/log.txt | answer:Yes | "
               "click:mnuOpenLog | write:new\r\n | click:CloseLogFile | ?file:log.txt=new\r\n | "
               "choose:<dir>/new.txt | click:mnuOpenLog | write:\x02J.1\x03\r\n | "
               "?file:new.txt=\x02J.1\x03\r\n | ?boxes~=log.txt?\nQuestion/YesNoCancel/: Replace")
               .arg(replace, title);
    // A cancelled file dialog changes nothing.
    QTest::newRow("main window: log: Cancel at the question goes back to the file dialog")
        << QStringLiteral("file:first.txt=keep\r\n | choose:<dir>/first.txt | choose:<dir>/second.txt | "
                          "answer:Cancel | click:mnuOpenLog | %1first.txt? | %2 - second.txt | "
                          "?file:first.txt=keep\r\n | click:mnuCloseLog | choose: | click:mnuOpenLog | %2")
               .arg(replace, title);
    const QString exit = u"Question/YesNo/ZKN-Control Tool: Do you really want to exit ZKN-Tool?"_s;
    QTest::newRow("main window: exit: No keeps it running, and so does No at the close box")
        << QStringLiteral("answer:No | click:mnuFileExit | ?boxes=%1 | answer:No | close:frmTerminal | "
                          "?boxes=%1\n%1 | ?frmTerminal.visible=true")
               .arg(exit);
    // Escape closes the windows only looked at.
    QTest::newRow("main window: about without system information; Escape closes the windows only looked at")
        << "path:<dir> | open:frmAbout | click:cmdSysInfo | ?boxes=None/Ok/: System Information Is "
           "Unavailable At This Time | ?frmAbout.visible=true | key:Escape | ?frmAbout.visible=false | "
           "open:frmAbout | click:cmdOK | ?frmAbout.visible=false | open:FrmDBSerial | key:Escape | "
           "?FrmDBSerial.visible=false | open:frmResults | key:Escape | ?frmResults.visible=false";
    // On the serial line only what was sent is known: no charts of answers that never come.
    QTest::newRow("load-test results: a test on the serial line")
        << "port:<pty> | open:frmConfig | Text1=1000 | Text2=1001 | txtDelay=10 | click:cmdOK | leave | "
           "click:StartLoadTest | ?StopTest.enabled=true | click:StopTest | ?StartLoadTest.enabled=true | "
           "open:frmResults | ?lblNote.text=No answers come on the serial line: only the messages sent are "
           "known. | "
           "?lblNote.visible=true | ?splCharts.visible=false | ?cmdExport.enabled=true";
    // A link that never stands starts no test, and the terminal says so.
    QTest::newRow("main window: command line: no test without the link")
        << "set:type=LAN | cmdline:--connect --load-test | ?boxes~=Critical/Ok/IP-Error!: | ?terminal~=: "
           "Load test not started: the link is not up\r\n | ?mnuStop.enabled=false";
    QTest::newRow("main window: command line: without --connect no link is opened")
        << "set:type=LAN | cmdline:--breakdown | ?mnuOpen=false | ?boxes=";

    QTest::newRow("properties: OK stores what the port uses")
        << "open:frmProperties | cboDevID=1 | cboLANParity=Even | txtHost=010.1.002.3 | ?txtHost=10.1.2.3 | "
           "cboPort=COM3 | cboSpeed= 19200  | cboParity=Even | cboDataBits=7 | cboStopBits=2 | "
           "optFlow[2]=true | optEcho[1]=true | OptOLV=true | click:cmdOK | ?frmProperties.visible=false | "
           "?Properties/DevID=1 | ?Properties/CType=Serial | ?Properties/LANParity=Even | "
           "?Properties/RemoteHost=10.1.2.3 | ?Properties/Settings=19200,e,7,2 | ?Properties/CommPort=3 | "
           "?Properties/PortName= | ?Properties/Handshaking=2 | ?Properties/Echo=True | "
           "?Properties/PBXType=False | ?link=Serial 1 Even 10.1.2.3 10.1.2.3 OLV olv echo";
    QTest::newRow("properties: OK on LAN always selects KRA")
        << "open:frmProperties | OptOLV=true | cboType=LAN | click:cmdOK | ?Properties/PBXType=True | "
           "?Properties/CType=LAN | ?OptKRA=true | ?link=LAN 0 Odd 0.0.0.0 0.0.0.0 KRA kra noecho";
    // The echo choice applies before the port is asked.
    QTest::newRow("properties: 1.5 stop bits refused on Linux")
        << "open:frmProperties | optEcho[1]=true | cboStopBits=1.5 | click:cmdOK | ?boxes=Exclamation/Ok/: "
           "Invalid property value: serial ports here cannot use 1.5 stop bits | ?frmProperties.visible=true "
           "| ?cboStopBits=1.5 | ?line=9600,n,8,1 COM1 0  closed | ?link=Serial 0 Odd 0.0.0.0 0.0.0.0 KRA "
           "kra echo | ?Properties/Settings=<none>";
    // A path outside /dev that is not there is no adapter yet to be plugged in.
    for (const char* port : {"COM17", "<app>", "/media/ttyUSB9"})
        QTest::addRow("properties: port %s refused", port)
            << QStringLiteral("open:frmProperties | cboPort=%1 | click:cmdOK | ?boxes=Exclamation/Ok/: "
                              "\"%1\" is not a serial port: choose COM1 to COM16 or type the path of a "
                              "serial device, such as /dev/ttyUSB0. | ?frmProperties.visible=true | "
                              "?line=9600,n,8,1 COM1 0  closed | ?Properties/CommPort=<none>")
                   .arg(port);
    QTest::newRow("properties: a new port for an open port reopens it")
        << "serial:<pty> | open:frmProperties | cboPort=<pty2> | click:cmdOK | ?line=9600,n,8,1 COM1 0 "
           "<pty2> open | ?mnuOpen=true | ?mnuSendText.enabled=true | ?TransmitTextFile.enabled=true | "
           "?Properties/PortName=<pty2>";
    // An adapter chosen by its device is kept by its by-id name, and found by it when connecting;
    // a port named that is not there is said so.
    QTest::newRow("properties: ports by name: an adapter kept by its by-id name")
        << "link:<dir>/usb-FTDI_FT232R_USB_UART_A12345-if00-port0=<pty> | "
           "present:<pty>,<dir>/usb-FTDI_FT232R_USB_UART_A12345-if00-port0,FTDI,FT232R USB UART,A12345 | "
           "open:frmProperties | cboPort=<pty> | ?lblPortInfo.text=FTDI FT232R USB UART, serial A12345, "
           "<pty> | "
           "click:cmdOK | ?Properties/PortName=<dir>/usb-FTDI_FT232R_USB_UART_A12345-if00-port0 | "
           "click:mnuOpen | "
           "?mnuOpen=true | ?line=9600,n,8,1 COM1 0 <dir>/usb-FTDI_FT232R_USB_UART_A12345-if00-port0 open";
    QTest::newRow("properties: ports by name: a port not plugged in")
        << "open:frmProperties | cboPort=/dev/serial/by-id/usb-zkn-unplugged | "
           "?lblPortInfo.text=Not present now | click:cmdOK | "
           "?frmProperties.visible=false | click:mnuOpen | ?boxes=Exclamation/Ok/: Port "
           "/dev/serial/by-id/usb-zkn-unplugged is not present | ?mnuOpen=false";
    // Closed to change the port, the old one stays closed.
    QTest::newRow("properties: a new port that fails brings the old one back")
        << "serial:<pty> | open:frmProperties | cboPort=/dev/zkn-no-such-port | click:cmdOK | "
           "?boxes=Exclamation/Ok/: Port /dev/zkn-no-such-port is not present | ?frmProperties.visible=true "
           "| "
           "?line=9600,n,8,1 COM1 0 <pty> closed | ?mnuOpen=false | ?Properties/PortName=<none>";
    QTest::newRow("properties: Cancel keeps the edits for the next time")
        << "open:frmProperties | cboSpeed=4800 | click:cmdCancel | ?frmProperties.visible=false | "
           "?line=9600,n,8,1 COM1 0  closed | open:frmProperties | ?cboSpeed=4800 | click:cmdOK | "
           "?line=4800,n,8,1 COM1 0  closed";
    // The method swaps the debug items at once, before OK.
    QTest::newRow("properties: the close box discards the edits")
        << "Properties/CType=LAN | Properties/DevID=1 | Properties/LANParity=Even | "
           "Properties/RemoteHost=10.1.2.3 | Properties/PBXType=False | Properties/Settings=2400,e,7,1 | "
           "Properties/CommPort=4 | open:frmProperties | cboType=Serial | cboDevID=0 | cboLANParity=Odd | "
           "txtHost=192.168.7.7 | OptKRA=true | cboSpeed=4800 | cboPort=COM9 | ?link=Serial 0 Odd 10.1.2.3 "
           "192.168.7.7 KRA kra noecho | ?mnuDisplayProperties.enabled=false | ?mnuDebugSerial.enabled=true "
           "| close | ?link=LAN 1 Even 10.1.2.3 10.1.2.3 OLV kra noecho | ?mnuDisplayProperties.enabled=true "
           "| ?mnuDebugSerial.enabled=false | open:frmProperties | ?cboType=LAN | ?cboDevID=1 | "
           "?cboLANParity=Even | ?txtHost=10.1.2.3 | ?OptOLV=true | ?cboSpeed=2400 | ?cboPort=COM4 | "
           "?Properties/Handshaking=<none>";
    // An access key leads to a box; what is typed there is stored by Enter (OK).
    const QString speed = QStringLiteral("open:frmProperties | key:Alt+X | type:19200 | key:%1 | "
                                         "?frmProperties.visible=false | ?Properties/Settings=%2");
    QTest::newRow("properties: keys: speed, Enter") << speed.arg("Return", "19200,n,8,1");

    QTest::newRow("debug options: the parity toggle flips the LAN parity on every click")
        << "Debug/TogglePty=1 | set:type=LAN | open:FrmDebugOptions | ?chktoggleparity=true | "
           "click:chktoggleparity | ?cboLANParity=Even | click:chktoggleparity | ?cboLANParity=Odd | "
           "?chktoggleparity=true";
    QTest::newRow("debug options: the HEX box follows the LAN debug window")
        << "set:type=LAN | open:FrmDebugOptions | click:chkdebug | ?FrmDebug.visible=true | close:FrmDebug | "
           "?chkdebug=false | ?debug=detail Normal 5 | click:chkdebug | ?FrmDebug.visible=true";
    // 0 or empty: a check on every tick.
    QTest::newRow("debug options: the interval takes whole seconds up to 180")
        << "set:type=LAN | open:FrmDebugOptions | txtHCInterval= | keys:txtHCInterval:1x8a1 | "
           "?txtHCInterval=18 | keys:txtHCInterval:1 | ?txtHCInterval=18 | keys:txtHCInterval:0 | "
           "?txtHCInterval=180 | key:Up | ?txtHCInterval=180 | key:Down | ?txtHCInterval=179 | ?debug=detail "
           "Normal 179 | txtHCInterval= | ?debug=detail Normal 0 | key:Down | ?txtHCInterval=1";
    QTest::newRow("debug options: Close stores nothing, the close box everything")
        << "set:type=LAN | open:FrmDebugOptions | chkdetail=false | chkIgnoreparitychk=true | "
           "optInvalidTxt=true | txtHCInterval=42 | click:cmdQuit | ?Debug/Detail=<none> | "
           "open:FrmDebugOptions | close | ?Debug/Detail=0 | ?Debug/IgnorePty=1 | ?Debug/RespTextErr=True | "
           "?Debug/RespNorm=False | ?Debug/HCValue=42 | ?Debug/HCinterval=42";
    // The link answers the next record with the forced error and falls back to normal: the exit
    // stores the live options, not the dialog's.
    QTest::newRow(
        "debug options: the exit closes the log and stores the live options, the dialog shown again")
        << "choose:<dir>/log.txt | click:mnuOpenLog | set:type=LAN | open:FrmDebugOptions | "
           "optParityErr=true | chkstophealth=true | txtHCInterval=30 | close | ?Debug/RespPtyErr=True | "
           "set:normal | open:FrmDebugOptions | ?optNorm=true | click:cmdQuit | answer:Yes | "
           "close:frmTerminal | ?frmTerminal.visible=false | ?frmTerminal.windowTitle=ZKN-Control Tool | "
           "?boxes~=Do you really want to exit ZKN-Tool? | ?Debug/RespNorm=True | ?Debug/RespPtyErr=False | "
           "?Debug/StopHC=1 | ?Debug/HCinterval=30 | ?Debug/HCValue=30";

    const QString delayWarning = QStringLiteral(
        "?boxes=Exclamation/Ok/WARNING: Invalid delay value. please enter a value between 1 to 60000 (ms).");
    const QString untouched = u"?test=1000-1000 1000-1000 300 range"_s;
    QTest::newRow("load test: F2 offers only the delay, from the terminal too")
        << "key:F2 | ?frmConfig.visible=true | ?Text1.enabled=false | ?txtDelay.focus=true | click:cmdCancel";
    QTest::newRow("load test: delay only offers only the delay, until opened in full")
        << "open:frmConfig delay | ?Text1.enabled=false | ?Text2.enabled=false | ?ChkFile.enabled=false | "
           "?Frame1.enabled=false | ?txtDelay.enabled=true | ?txtDelay.focus=true | "
           "?txtDelay.selectedText=300 | click:cmdCancel | open:frmConfig | ?Text1.enabled=false | "
           "?ChkFile.enabled=false | click:cmdCancel | open:frmConfig full | ?Text1.enabled=true | "
           "?Text2.enabled=true | ?ChkFile.enabled=true | ?Frame1.enabled=true";
    // Shown when it is already: only brought forward.
    QTest::newRow("load test: shown again: the delay of the options, the stations as they were")
        << "Properties/StartSTN=4711 | Properties/EndSTN=4720 | ?test=4711-4720 4711-4720 300 range | "
           "open:frmConfig | txtDelay=555 | open:frmConfig | ?txtDelay=555 | click:cmdCancel | "
           "open:frmConfig | ?txtDelay=300 | ?Text1=4711 | ?Text2=4720";
    // Typed over the selected delay; a warning selects the text again, so the next digit replaces it.
    const QString typed =
        u"open:frmConfig delay | keys:txtDelay:%1 | ?txtDelay=%2 | %3 | ?txtDelay.focus=true | %4"_s;
    QTest::newRow("load test: delay typed: 70000 warns at the fifth digit")
        << typed.arg("70000", "70000", untouched, delayWarning + " | ?txtDelay.selectedText=70000");
    QTest::newRow("load test: delay typed: 0, then 5 over it")
        << typed.arg("05", "5", untouched, delayWarning);
    // The arrows beside the box and the arrow keys in it step alike, within 1 to 60000, and never warn.
    QTest::newRow("load test: delay stepped")
        << "open:frmConfig | txtDelay=300 | click:Shorter delay | ?txtDelay=299 | keys:txtDelay: | key:Down "
           "| ?txtDelay=298 | txtDelay= | click:Longer delay | ?txtDelay=1 | txtDelay= | keys:txtDelay: | "
           "key:Up | ?txtDelay=1 | txtDelay=70000 | click:Shorter delay | ?txtDelay=60000 | txtDelay=70000 | "
           "keys:txtDelay: | key:Down | ?txtDelay=60000 | ?test=1000-1000 1000-1000 300 range";
    const QString refusedDelay =
        QStringLiteral("Properties/StartSTN=1000 | Properties/EndSTN=1010 | open:%1 | txtDelay=%2 | "
                       "click:cmdOK | ?frmConfig.visible=true | ?txtDelay.focus=true | ?test=1000-1010 "
                       "1000-1010 300 range | ?mnuStart.enabled=false | ") +
        delayWarning;
    QTest::newRow("load test: OK refuses the delay empty") << refusedDelay.arg("frmConfig", "");
    QTest::newRow("load test: OK refuses the delay 0, delay only")
        << refusedDelay.arg("frmConfig delay", "0");
    const QString range = u"open:frmConfig | Text1=%1 | Text2=%2 | txtDelay=800 | "_s;
    const QString refusedRange =
        QStringLiteral("click:cmdOK | ?boxes=Exclamation/Ok/: Invalid Sequence! Please, try again. | "
                       "?frmConfig.visible=true | ?Text1.focus=true | ?test=1000-1000 %1-%2 300 range | "
                       "?Properties/StartSTN=<none>");
    for (const auto& [name, start, end] : {std::tuple{"end below start", "1010", "1000"},
                                           {"equal", "1000", "1000"},
                                           {"equal by their leading digits", "12#", "12*"}})
        QTest::addRow("load test: OK refuses the range %s", name)
            << range.arg(start, end) + refusedRange.arg(start, end);
    // The file's button shows in place of the range boxes, which are not read as a range: they are stored
    // as typed.
    QTest::newRow("load test: OK takes the range end below start with the file")
        << range.arg("1010", "1000") + "ChkFile=true | ?Frame1.visible=true | ?Text1.visible=false | "
                                       "?Text2.visible=false | ?cmdEditFile.visible=true | click:cmdOK | "
                                       "?frmConfig.visible=false | ?test=1000-1000 1010-1000 800 file | "
                                       "?Properties/StartSTN=1010 | ?Properties/EndSTN=1000";
    const QString taken =
        QStringLiteral("open:frmConfig | Text1=%1 | Text2=%2 | txtDelay=1234 | key:Return | "
                       "?frmConfig.visible=false | ?test=%3 %1-%2 1234 range | ?Properties/StartSTN=%1 | "
                       "?Properties/EndSTN=%2 | ?mnuStart.enabled=true");
    QTest::newRow("load test: Enter takes a range compared as numbers")
        << taken.arg("999", "1000", "999-1000");
    // Without a sound range, but the range is not asked for.
    QTest::newRow("load test: OK with only the delay offered takes only the delay")
        << "Properties/StartSTN=5 | Properties/EndSTN=1 | open:frmConfig delay | txtDelay=60000 | "
           "click:cmdOK | ?frmConfig.visible=false | ?test=5-1 5-1 60000 range | ?Properties/StartSTN=5 | "
           "?mnuStart.enabled=false";
    const QString filtered = QStringLiteral("open:frmConfig | %1= | keys:%1:%2 | ?%1=%3 | key:Backspace | "
                                            "?%1=%4 | key:Home | key:Delete | ?%1=%5");
    QTest::newRow("load test: Text1 takes digits, # and *")
        << filtered.arg("Text1", "1a 2#x*9.", "12#*9", "12#*", "2#*");
    QTest::newRow("load test: txtDelay takes digits")
        << filtered.arg("txtDelay", "1a2#*3 .", "123", "12", "2");
    // Set elsewhere too: the lamp dialog, a decoded record. As designed until applied.
    QTest::newRow("load test: the expansion option widens, cuts and mirrors the model")
        << "set:kra=false | ?Text1.maxLength=5 | open:frmConfig | ?Text1.maxLength=6 | ?Text2.maxLength=6 | "
           "set:expansion=true | ?chkIdx246=true | ?Text1.maxLength=8 | Text1=12345678 | Text2=87654321 | "
           "click:chkIdx246 | ?expansion=false | ?Text1=123456 | ?Text2=876543 | ?test=1000-1000 "
           "123456-876543 300 range | click:chkIdx246 | ?expansion=true | ?Text2.maxLength=8";
    // The store is read as the dialog becomes active and written as it stops being.
    QTest::newRow("load test: the expansion option comes from the store and goes back to it")
        << "Debug/ZKNexpansion=1 | set:kra=false | open:frmConfig | ?chkIdx246=true | ?expansion=true | "
           "?chkIdx246.enabled=true | ?Text1.maxLength=8 | set:expansion=false | leave | "
           "?Debug/ZKNexpansion=0";
    // The dialog is not modal: its OK may come while a test sweeps; Start stays off until the test
    // has stopped.
    QTest::newRow("load test: OK while the test sweeps its lamps off")
        << "open:frmConfig | set:stopping | Text1=1000 | Text2=1010 | click:cmdOK | ?frmConfig.visible=false "
           "| ?mnuStart.enabled=false | ?StartLoadTest.enabled=false";
    const QString config = QStringLiteral(
        "open:frmConfig | key:Alt+S | type:2000 | key:Alt+E | type:2010 | key:Alt+D | type:50 | key:%1 | "
        "?frmConfig.visible=false | ?test=%2 2000-2010 %3 range | ?Properties/StartSTN=%4");
    QTest::newRow("load test: keys: Enter takes the stations and the delay")
        << config.arg("Return", "2000-2010", "50", "2000");
    QTest::newRow("load test: keys: Escape leaves the test as it was")
        << config.arg("Escape", "1000-1000", "300", "<none>");

    QTest::newRow("lamp control: the stations of the last run; Quit stores them")
        << "Properties/StnA=4711 | Properties/StnB=  | open:frmSingle | ?txtStn1=4711 | ?txtStn2=  | "
           "txtStn1=2000 | txtStn2= | click:cmdQuit | ?frmSingle.visible=false | ?Properties/StnA=2000 | "
           "?Properties/StnB=";
    QTest::newRow("lamp control: the two groups exclude each other; the stations take digits, # and * only")
        << "open:frmSingle | ?OptionMWnone=true | ?OptionVMMnone=true | click:OptionMWon | "
           "click:OptionVMMoff | ?OptionMWnone=true | click:OptionMWoff | ?OptionVMMnone=true | "
           "?OptionMWoff=true | txtStn1= | keys:txtStn1:1a 2#x*9. | ?txtStn1=12#*9 | key:Backspace | "
           "?txtStn1=12#*";
    // A station typed in From, a lamp chosen by its access key: Enter sends (without the link,
    // the stations are stored and the dialog goes), Escape closes.
    const QString lamp =
        QStringLiteral("set:type=LAN | open:frmSingle | key:Alt+R | ?txtStn1.focus=true | type:3000 | "
                       "key:Alt+%1 | ?%2=true | key:%3 | ?frmSingle.visible=false%4");
    QTest::newRow("lamp control: keys: MW on, Enter")
        << lamp.arg("O", "OptionMWon", "Return", " | ?boxes~=PBX does not respond | ?Properties/StnA=3000");
    QTest::newRow("lamp control: keys: MW off, Escape") << lamp.arg("F", "OptionMWoff", "Escape", "");

    // The range is checked before anything is sent: a reversed one refused, a long one asked about.
    QTest::newRow("lamp control: a reversed range refused, a long one sent when the operator says so")
        << "set:type=LAN | open:frmSingle | txtStn1=2000 | txtStn2=1000 | click:OptionMWon | click:cmdSend | "
           "txtStn2=2100 | answer:No | click:cmdSend | ?boxes=Exclamation/Ok/: Invalid Sequence! Please, try "
           "again.\nQuestion/YesNo/: Switch the lamps of 101 stations? | ?frmSingle.visible=true | "
           "answer:Yes | "
           "click:cmdSend | ?boxes~=stations?\nQuestion/YesNo/: Switch the lamps of 101 "
           "stations?\nExclamation/Ok/: "
           "PBX does not respond, check Host Name or IP address!";

    const QString plain = u"?FrmBreakDown.windowTitle=Format Message Information - ZKN-Tool"_s;
    QTest::newRow("breakdown: Format shows and hides it; Close clears the item")
        << "?FrmBreakDown.visible=false | click:mnuFormat | ?FrmBreakDown.visible=true | ?mnuFormat=true | "
           "click:mnuFormat | ?FrmBreakDown.visible=false | ?mnuFormat=false | open:FrmBreakDown | "
           "click:cmdClose | ?FrmBreakDown.visible=false | ?mnuFormat=false | click:mnuFormat | "
           "?FrmBreakDown.visible=true";
    // Held, a record is not decoded, but its time is shown, to the second, as the locale writes it.
    QTest::newRow("breakdown: records fill the areas, Clear empties them, Hold keeps them but not their time")
        << "open:FrmBreakDown | record:kra | ?FrmBreakDown.windowTitle=Format Message Information (KRA) | "
           "?decoded=true | click:cmdClear | ?decoded=false | record:kra:1 | ?decoded=true | click:ChkHold | "
           "?ChkHold.text=&Resume | lblTime= | click:cmdClear | record:kra | ?decoded=false | "
           "?lblTime=12/6/26 2:03:59 PM | click:ChkHold | ?ChkHold.text=&Hold | record:kra | ?decoded=true";
    QTest::newRow("breakdown: hidden, it decodes nothing")
        << "record:kra | ?lblTime=12/6/26 2:03:59 PM | open:FrmBreakDown | ?decoded=false | " + plain;
    QTest::newRow("breakdown: the title bar's close unloads it")
        << "open:FrmBreakDown | record:kra | click:ChkHold | close | ?mnuFormat=false | open:FrmBreakDown | "
           "?decoded=false | ?ChkHold=false | " +
               plain;
    // The 8-digit layouts need the expansion for the lamp messages too, so it is stored for the
    // lamp dialog, which reads the store as it opens; a held window decodes nothing.
    QTest::newRow("breakdown: OLV records set the expansion option")
        << "set:records=olv | open:FrmBreakDown | record:olv8 | ?expansion=true | ?Debug/ZKNexpansion=1 | "
           "open:frmSingle | ?chkIndex246=true | record:olv6x | ?expansion=false | ?Debug/ZKNexpansion=0 | "
           "record:olv8x | ?expansion=true | click:ChkHold | record:olv6 | ?expansion=true";
    QTest::newRow("breakdown: double-click decodes a record, only with the window shown")
        << "dclick:record | ?decoded=false | open:FrmBreakDown | dclick:stamp | ?boxes=Exclamation/Ok/: "
           "Invalid Record! You Idiot!! | ?decoded=false | dclick:record | ?decoded=true";
    // Escape does what Close does; the records decoded stay.
    QTest::newRow("breakdown: keys: Alt+H holds, Escape closes")
        << "open:FrmBreakDown | record:kra | key:Alt+H | ?ChkHold=true | key:Escape | "
           "?FrmBreakDown.visible=false | ?mnuFormat=false | ?ChkHold=true | ?decoded=true";
}

void TestWindows::everyWindowFromTheKeyboard_data()
{
    QTest::addColumn<QString>("script");   // opens the window
    QTest::addColumn<QString>("captions"); // its title, then its captions in any order
    QTest::addColumn<QString>("order");    // Tab's; none for a window Tab is not checked in
    const auto row = [](const char* name, const QString& script, const QString& captions,
                        const QString& order = {}) { QTest::newRow(name) << script << captions << order; };
    const QString olv = u"set:kra=false | "_s; // the expansion option is offered too
    const QString lan = u"set:type=LAN | "_s + olv;
    row("main window", "open:frmTerminal",
        "ZKN-Control Tool | &File | &Open Log File... | &Close Log File | &Transmit Text File... | E&xit "
        "| &Connection | Port &Open | &Monitor a Message Centre... | &Properties... | &Load-Test | "
        "&Configure | &Start | S&top | "
        "&Results... | "
        "Lam&p-Test | &Options | &Debug-LAN | Debug-&Serial | &Capture to File... | Sna&pshot on Fault | "
        "&Format | Lamp &Ledger... | "
        "&Help | &About | &Resynchronise | Tools | Open Log "
        "File... | Close Log File | Properties... | Transmit Text File... | Configure MWL Test... | Start "
        "Sending Messages... | Stop Sending Messages | Lamp Control... | Modify Inter-Message Delay | 300 "
        "| (ms) | TX | RX | DSR | Font si&ze | 9 | Status: | Settings:");
    row("properties, LAN", lan + "open:frmProperties",
        "Connection Properties |  Connection &Method: | &IP Address: | Parit&y Type: | &Device ID: | ZKN "
        "- Format &Type | OLV | KRA | &Flow Control | None | Xon/Xoff | RTS | Xon/RTS | &Echo | Off | On "
        "| &Port: | Not present now | Re&open when the port returns | Connection Preferences | "
        "Data &Bits: | Pa&rity: | &Stop Bits: | Ma&ximum Speed | OK | Cancel",
        "cboType txtHost cboLANParity cboDevID cmdOK cmdCancel");
    row("properties, serial", olv + "open:frmProperties", {},
        "cboType cboPort chkReopen OptOLV cboDataBits cboParity cboStopBits "
        "cboSpeed optFlow[0] optEcho[0] cmdOK cmdCancel");
    row("debug options", lan + "open:FrmDebugOptions",
        "Debug Options | Show &detailed messages | Show debug &HEX view | &Toggle Tx parity (ODD/EVEN | "
        "Don't perform &Rx Parity check | &Stop health check signal | Force Client Response Message | "
        "&Normal | &Parity Error | In&valid Text | Health Check &Interval (Sec.) | &Close",
        "chkdetail chkdebug chktoggleparity chkIgnoreparitychk chkstophealth optNorm txtHCInterval "
        "cmdQuit");
    row("LAN debug", "open:FrmDebug", "ZKN-Control Tool - LAN Debug");
    row("serial buffer", "open:FrmDBSerial", "ZKN-Tool - RS-232C Buffer Size (bytes) | 0 | 2048 | 4096");
    row("lamp control", lan + "open:frmSingle",
        "ZKN-Control Tool - Lamp Control | Message Waiting Lamp Control | Enter a single station or a "
        "range of stations, select the lamp to control and click 'Send' to activate lamp:\n\nNOTE: The "
        "PRQ2000 does not support range control. | F&rom: | &To: | MW | Lamp &On | Lamp O&ff | No &Change "
        "| VMM | Lamp O&n | La&mp Off | No Chan&ge | ZKN &Expansion Enabled (Index 246 bit-3) | &Send | "
        "&Quit",
        "txtStn1 txtStn2 OptionMWon OptionVMMon chkIndex246 cmdSend cmdQuit");
    row("load-test configuration", lan + "open:frmConfig",
        "Lamp Test Configuration | Enter load test extension range or click EDIT FILE to enter random "
        "extensions.  Adjust Inter-message delay value (milli-seconds) to desired value.\n\nNOTE:  The "
        "START extention must be less than the END extension. | &Start: | &End: | Edit &File | "
        "&Delay(ms): | &Use File | ZKN E&xpansion Enabled (Index 246 bit-3) | OK | Cancel",
        "Text1 Text2 ChkFile txtDelay chkIdx246 cmdOK cmdCancel");
    row("about", "open:frmAbout",
        QStringLiteral("About ZKN-Control Tool | ZKN-Tool | Version 2.1.102 | Message Waiting "
                       "Lamp (MWL) Control Tool: Features Inter-Message Delay Control, Message "
                       "Logging, Text file XMIT. Supports both TCP/IP and Serial Connections. "
                       "Both OLV and KRA message formats are supported.\n\nBuilt with Qt ") +
            QLatin1String(qVersion()) +
            " for Linux. | Released under the GNU General Public License,\nversion 3 or later. | OK | "
            "&System Info...",
        "cmdOK cmdSysInfo");
    row("breakdown, empty", "open:FrmBreakDown",
        "Format Message Information - ZKN-Tool | Source/Destination  | Called Party  | Calling Party  | "
        "Extended Calling Party  | Call Type/Loop Number | ANI  | Last Record: | &Hold | &Clear | Cl&ose");
    // Area by area, the sub-frames in front after an OLV record (made after the buttons).
    row("breakdown, records of both layouts",
        lan + "open:FrmBreakDown | record:kra | set:records=olv | record:olv6", {},
        "TxtFPC TxtTn TxtStn TxtUGN TxtTel TxtFPC TxtTn TxtAtt TxtUGN TxtBlank TxtFPC TxtTn "
        "TxtPhysicalRoute TxtUGN TxtBlank TxtTrunk TxtLogicalRoute TxtLoopNo TxtCallType ChkHold cmdClear "
        "cmdClose");
    row("load-test results", "open:frmResults",
        "Load Test Results | No load test has run since the tool started. | &Figures | &Stations that did "
        "not answer ok | &Export... | &Close",
        "tblFigures tblStations cmdClose");
    row("lamp ledger, empty", "open:frmLampLedger",
        "Lamp Ledger | Fin&d: | Only those that &failed | &Lamps | The ledger is empty: no lamp has been set "
        "since it was begun. | Re&synchronise | Switch all &off | S&top | Resynchronise after &reconnect | "
        "For&get... | &Import... | E&xport... | &Close",
        "txtFind chkFailed tblLedger chkResyncOnReconnect cmdImport cmdClose");
    row("monitor", "open:frmMonitor",
        "ZKN-Control Tool - Monitor | &Relay (TCP) | Listen o&n: | port | PB&X host: | port | &Tap (serial) "
        "| "
        "PBX's &wire: | &Message centre's wire: | L&ine settings: | Recor&ds: | Check-&byte parity: | &Start "
        "| "
        "St&op | Not monitoring. Point the message centre at this machine and Start, or tap its serial line. "
        "| "
        "&Export CSV... | Figures: nothing watched yet | "
        "Show &health checks | Ca&pture to File... | Snapshot on &Fault | &Log to File... | Close Lo&g | "
        "Faults: 0 | &Close",
        "optRelay txtListenAddress txtListenPort txtPbxHost txtPbxPort cboParity cmdStart txtMonitor "
        "qt_tabwidget_tabbar tblTrouble cmdExport chkShowHealth chkCapture chkSnapshot cmdOpenLog cmdClose");
    row("monitor, tap", "open:frmMonitor | click:optTap", {},
        "optRelay cboTapPbxPort cboTapMcPort txtTapSettings cboTapFormat cboParity cmdStart txtMonitor "
        "qt_tabwidget_tabbar tblTrouble cmdExport chkShowHealth chkCapture chkSnapshot cmdOpenLog cmdClose");
    row("splash", "open:frmSplash",
        "ZKN-Control Tool | ZKN-Tool | Message-centre link test and control | Version 2.1.102 | Linux | "
        "Press any key or click to continue | ZKN-Control Tool for Linux");
    row("text file transmission", "open:frmCancelSend",
        "ZKN-Tool | Transmitting Text File - /home/op/letter.TXT | Cancel");
}

// Every window's title and captions are the tool's own texts. Within a window no two captions share an
// access key (nor the items of a menu), and a label's leads to the box beside it. Tab goes through the
// window in reading order and reaches every input that takes the focus (an option group once; the arrows
// move within it).
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
    // A menu's items share no access key, nor do the menu titles with the window's own captions.
    QStringList keyed = keyedCaptions(window);
    for (const QMenuBar* bar : window->findChildren<QMenuBar*>())
        for (const QAction* entry : bar->actions()) {
            keyed.append(entry->text());
            QStringList items;
            for (const QAction* item : entry->menu() ? entry->menu()->actions() : QList<QAction*>())
                if (!item->isSeparator())
                    items.append(item->text());
            checkAccessKeys(items, entry->text());
        }
    checkAccessKeys(keyed, window->windowTitle());
    for (const QWidget* w : widgetsOf(window)) {
        const auto* label = qobject_cast<const QLabel*>(w);
        QVERIFY2(!label || accessKey(label->text()) == 0 || label->buddy(),
                 qPrintable(captionOf(w) + u" has no buddy"_s));
    }
    if (order.isEmpty())
        return;
    const QList<QWidget*> visited = tabWalk(window);
    QStringList names;
    for (const QWidget* w : visited)
        names.append(nameOf(w));
    QCOMPARE(names.join(u' '), order);
    for (QWidget* w : widgetsOf(window)) {
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
