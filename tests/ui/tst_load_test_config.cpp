// The load test's configuration dialog on its own, over a real settings file in a folder of its
// own, with the live models and a scripted operator.
#include "frm_config.h"
#include "model/connection_options.h"
#include "model/expansion_option.h"
#include "model/load_test_options.h"
#include "scripted_operator.h"
#include "settings/settings_store.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>

using namespace zkn;
using zkn::test::ScriptedOperator;

namespace {

const QString kDelayWarning =
    QStringLiteral("Invalid delay value. please enter a value between 1 to 60000 (ms).");
const QString kSequenceWarning = QStringLiteral("Invalid Sequence! Please, try again.");

// The settings file lives in a temporary folder, set before the store opens it.
struct ConfigFolder
{
    QTemporaryDir dir;
    ConfigFolder() { QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path()); }
};

// The dialog over a main window, as the tool builds it.
struct Rig
{
    ConfigFolder folder;
    settings::SettingsStore store;
    ConnectionOptions connection;
    ExpansionOption expansion;
    LoadTestOptions options;
    ScriptedOperator op;
    QWidget main;
    frmConfig dialog{&main, store, connection, expansion, options, op};
    QSignalSpy configured{&dialog, &frmConfig::configured};

    Rig()
    {
        main.resize(640, 480);
        main.show();
    }

    template <typename T = QLineEdit> T* find(const char* name) const
    {
        return dialog.findChild<T*>(QLatin1String(name));
    }
    QLineEdit* start() const { return find("Text1"); }
    QLineEdit* end() const { return find("Text2"); }
    QLineEdit* delay() const { return find("txtDelay"); }
    QCheckBox* useFile() const { return find<QCheckBox>("ChkFile"); }
    QCheckBox* expansionBox() const { return find<QCheckBox>("chkIdx246"); }
    QFrame* fileFrame() const { return find<QFrame>("Frame1"); }
    void click(const char* button) const { find<QPushButton>(button)->click(); }

    // Values as they stand in the settings file, read through a handle of its own.
    static QString stored(const char* key)
    {
        const QSettings ini(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("ZKN-Control Tool"),
                            QStringLiteral("ZKN-Control Tool"));
        return ini.value(QLatin1String(key), QStringLiteral("<nothing>")).toString();
    }
    QString fileAfterSync()
    {
        store.sync();
        QFile f(store.fileName());
        return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
    }
};

bool shownAndActive(frmConfig& dialog)
{
    return QTest::qWaitForWindowActive(&dialog);
}

QString withoutAccessKey(QString caption)
{
    return caption.remove(QLatin1Char('&'));
}

// Takes the files the dialog asks the desktop to open, so a test launches no editor.
class OpenedFiles : public QObject
{
    Q_OBJECT

public:
    OpenedFiles() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~OpenedFiles() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

    QList<QUrl> urls;

public Q_SLOTS:
    void open(const QUrl& url) { urls.append(url); }
};

} // namespace

class TestLoadTestConfig : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void captionsAreTheOperatorsTexts();
    void delayOnlyModeOffersOnlyTheDelay();
    void showingAgainKeepsWhatTheOperatorTyped();
    void delayWarnsAsItIsTyped_data();
    void delayWarnsAsItIsTyped();
    void arrowsStepTheDelayWithinItsRange_data();
    void arrowsStepTheDelayWithinItsRange();
    void okWithAnInvalidDelayChangesNothing_data();
    void okWithAnInvalidDelayChangesNothing();
    void sequenceIsCheckedUnlessTheFileIsUsed_data();
    void sequenceIsCheckedUnlessTheFileIsUsed();
    void okStoresTheStationsAndSetsTheOptions_data();
    void okStoresTheStationsAndSetsTheOptions();
    void okInDelayOnlyModeSetsOnlyTheDelay();
    void cancelChangesNothing_data();
    void cancelChangesNothing();
    void rangeTextsReachTheOptionsAsTyped();
    void boxesTakeOnlyTheirCharacters_data();
    void boxesTakeOnlyTheirCharacters();
    void expansionOptionCutsAndMirrorsTheModel();
    void expansionOptionFollowsTheStoreAndThePbxType_data();
    void expansionOptionFollowsTheStoreAndThePbxType();
    void useFileShowsTheFrameInPlaceOfTheRange();
    void editFileOpensTheExtensionsFileCreatedEmpty();
    void editFileThatCannotBeCreatedNamesTheFile();
};

void TestLoadTestConfig::captionsAreTheOperatorsTexts()
{
    Rig r;
    QCOMPARE(r.dialog.windowTitle(), QStringLiteral("Lamp Test Configuration"));
    QVERIFY(!r.dialog.isModal());
    QCOMPARE(r.find<QLabel>("Label1")->text(),
             QStringLiteral("Enter load test extension range or click EDIT FILE to enter random extensions.  "
                            "Adjust Inter-message delay value (milli-seconds) to desired value.\n\n"
                            "NOTE:  The START extention must be less than the END extension."));
    const QList<std::pair<const char*, const char*>> captions = {
        {"Label2", "Start:"}, {"Label3", "End:"}, {"Label4", "Delay(ms):"}, {"Label5", "Edit File"}};
    for (const auto& [name, caption] : captions)
        QCOMPARE(withoutAccessKey(r.find<QLabel>(name)->text()), QLatin1String(caption));
    QCOMPARE(withoutAccessKey(r.useFile()->text()), QStringLiteral("Use File"));
    QCOMPARE(withoutAccessKey(r.expansionBox()->text()),
             QStringLiteral("ZKN Expansion Enabled (Index 246 bit-3)"));
    QCOMPARE(withoutAccessKey(r.find<QPushButton>("cmdOK")->text()), QStringLiteral("OK"));
    QCOMPARE(withoutAccessKey(r.find<QPushButton>("cmdCancel")->text()), QStringLiteral("Cancel"));
    QVERIFY(r.find<QPushButton>("cmdOK")->isDefault());
    QCOMPARE(r.start()->maxLength(), 5);
    QCOMPARE(r.delay()->maxLength(), 5);
}

void TestLoadTestConfig::delayOnlyModeOffersOnlyTheDelay()
{
    Rig r;
    r.options.setDelayMs(1234);
    r.dialog.showDelayOnly();
    QVERIFY(shownAndActive(r.dialog));
    for (QWidget* w : {static_cast<QWidget*>(r.start()), static_cast<QWidget*>(r.end()),
                       static_cast<QWidget*>(r.useFile()), static_cast<QWidget*>(r.fileFrame())})
        QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
    QVERIFY(r.delay()->isEnabled());
    QTRY_VERIFY(r.delay()->hasFocus());
    QCOMPARE(r.delay()->text(), QStringLiteral("1234"));
    QCOMPARE(r.delay()->selectedText(), QStringLiteral("1234"));

    r.click("cmdCancel");
    r.dialog.showDialog();
    QVERIFY(!r.start()->isEnabled());
    QVERIFY(!r.useFile()->isEnabled());

    r.click("cmdCancel");
    r.dialog.showFullMode();
    for (QWidget* w : {static_cast<QWidget*>(r.start()), static_cast<QWidget*>(r.end()),
                       static_cast<QWidget*>(r.useFile()), static_cast<QWidget*>(r.fileFrame())})
        QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
}

void TestLoadTestConfig::showingAgainKeepsWhatTheOperatorTyped()
{
    Rig r;
    r.dialog.setStations(QStringLiteral("4711"), QStringLiteral("4720"));
    r.dialog.showFullMode();
    QVERIFY(shownAndActive(r.dialog));
    const QPoint moved = r.dialog.pos() + QPoint(40, 30);
    r.dialog.move(moved);
    r.delay()->setText(QStringLiteral("555"));

    // Already shown: only brought forward.
    r.dialog.showDialog();
    QCOMPARE(r.delay()->text(), QStringLiteral("555"));

    // Shown again after Cancel: the delay of the options, the stations as they were, where it was left.
    r.click("cmdCancel");
    r.dialog.showFullMode();
    QCOMPARE(r.delay()->text(), QStringLiteral("300"));
    QCOMPARE(r.start()->text(), QStringLiteral("4711"));
    QCOMPARE(r.end()->text(), QStringLiteral("4720"));
    QCOMPARE(r.dialog.pos(), moved);
}

void TestLoadTestConfig::delayWarnsAsItIsTyped_data()
{
    QTest::addColumn<QString>("keys"); // typed over the selected delay; "\b" is Backspace
    QTest::addColumn<QStringList>("textsWarnedAt");
    QTest::addColumn<QString>("text");
    QTest::newRow("70000 at the fifth digit") << "70000" << QStringList{"70000"} << "70000";
    QTest::newRow("cleared") << "\b" << QStringList{""} << "";
    QTest::newRow("0") << "0" << QStringList{"0"} << "0";
    QTest::newRow("60000") << "60000" << QStringList{} << "60000";
    QTest::newRow("1") << "1" << QStringList{} << "1";
    // The warning selects the text, so the next digit replaces it.
    QTest::newRow("0, then 5 over it") << "05" << QStringList{"0"} << "5";
}

void TestLoadTestConfig::delayWarnsAsItIsTyped()
{
    QFETCH(QString, keys);
    QFETCH(QStringList, textsWarnedAt);
    QFETCH(QString, text);
    Rig r;
    QStringList warnedAt;
    r.op.whileShown = [&](const Operator::Message&) { warnedAt.append(r.delay()->text()); };
    r.dialog.showDelayOnly();
    QVERIFY(shownAndActive(r.dialog));
    QTRY_VERIFY(r.delay()->hasFocus());

    for (const QChar c : keys) {
        if (c == QLatin1Char('\b'))
            QTest::keyClick(r.delay(), Qt::Key_Backspace);
        else
            QTest::keyClick(r.delay(), c.toLatin1());
    }

    QCOMPARE(warnedAt, textsWarnedAt);
    QCOMPARE(r.delay()->text(), text);
    for (const Operator::Message& m : r.op.messages) {
        QCOMPARE(m.text, kDelayWarning);
        QCOMPARE(m.title, QStringLiteral("WARNING"));
        QCOMPARE(m.icon, Operator::Icon::Exclamation);
    }
    if (!textsWarnedAt.isEmpty() && textsWarnedAt.last() == text) {
        QVERIFY(r.delay()->hasFocus());
        QCOMPARE(r.delay()->selectedText(), r.delay()->text());
    }
    QCOMPARE(r.options.delayMs(), LoadTestOptions::kDefaultDelay);
}

void TestLoadTestConfig::arrowsStepTheDelayWithinItsRange_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("after");
    QTest::newRow("up") << "300" << 1 << "301";
    QTest::newRow("down") << "300" << -1 << "299";
    QTest::newRow("up at the top") << "60000" << 1 << "60000";
    QTest::newRow("down at the bottom") << "1" << -1 << "1";
    QTest::newRow("up from empty") << "" << 1 << "1";
    QTest::newRow("down from above the top") << "70000" << -1 << "60000";
}

// The arrows beside the box and the arrow keys in it step alike, and never warn.
void TestLoadTestConfig::arrowsStepTheDelayWithinItsRange()
{
    QFETCH(QString, before);
    QFETCH(int, step);
    QFETCH(QString, after);
    Rig r;
    r.dialog.showFullMode();
    QWidget* spinner = r.find<QWidget>("UpDownDelay");
    QToolButton* arrow = nullptr;
    for (QToolButton* b : spinner->findChildren<QToolButton*>())
        if (b->arrowType() == (step > 0 ? Qt::UpArrow : Qt::DownArrow))
            arrow = b;
    QVERIFY(arrow);
    QVERIFY(!arrow->accessibleName().isEmpty());

    r.delay()->setText(before);
    arrow->click();
    QCOMPARE(r.delay()->text(), after);

    r.delay()->setText(before);
    QTest::keyClick(r.delay(), step > 0 ? Qt::Key_Up : Qt::Key_Down);
    QCOMPARE(r.delay()->text(), after);

    QVERIFY(r.op.messages.isEmpty());
    QCOMPARE(r.options.delayMs(), LoadTestOptions::kDefaultDelay);
}

void TestLoadTestConfig::okWithAnInvalidDelayChangesNothing_data()
{
    QTest::addColumn<QString>("delay");
    QTest::addColumn<bool>("full");
    QTest::newRow("0, full") << "0" << true;
    QTest::newRow("empty, full") << "" << true;
    QTest::newRow("60001, full") << "60001" << true;
    QTest::newRow("0, delay only") << "0" << false;
    QTest::newRow("99999, delay only") << "99999" << false;
}

void TestLoadTestConfig::okWithAnInvalidDelayChangesNothing()
{
    QFETCH(QString, delay);
    QFETCH(bool, full);
    Rig r;
    r.options.setDelayMs(1234);
    r.dialog.setStations(QStringLiteral("1000"), QStringLiteral("1010"));
    full ? r.dialog.showFullMode() : r.dialog.showDelayOnly();
    QVERIFY(shownAndActive(r.dialog));
    r.delay()->setText(delay);

    r.click("cmdOK");

    QCOMPARE(r.op.messages.size(), 1);
    QCOMPARE(r.op.messages[0].text, kDelayWarning);
    QCOMPARE(r.op.messages[0].title, QStringLiteral("WARNING"));
    QVERIFY(r.dialog.isVisible());
    QVERIFY(r.delay()->hasFocus());
    QCOMPARE(r.options.delayMs(), 1234);
    QCOMPARE(r.options.startStation(), 0);
    QCOMPARE(r.configured.size(), 0);
    QCOMPARE(Rig::stored("Properties/StartSTN"), QStringLiteral("<nothing>"));
}

void TestLoadTestConfig::sequenceIsCheckedUnlessTheFileIsUsed_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<bool>("useFile");
    const QList<std::tuple<const char*, const char*, const char*>> pairs = {
        {"end below start", "1010", "1000"},
        {"equal", "1000", "1000"},
        {"empty", "", ""},
        {"end empty", "1000", ""},
        {"equal by their leading digits", "12#", "12*"},
    };
    for (const auto& [name, start, end] : pairs) {
        QTest::addRow("%s, range", name) << QString::fromLatin1(start) << QString::fromLatin1(end) << false;
        QTest::addRow("%s, file", name) << QString::fromLatin1(start) << QString::fromLatin1(end) << true;
    }
}

// With the file the range boxes are not read as a range: they are stored as typed.
void TestLoadTestConfig::sequenceIsCheckedUnlessTheFileIsUsed()
{
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(bool, useFile);
    Rig r;
    r.dialog.setStations(start, end);
    r.dialog.showFullMode();
    QVERIFY(shownAndActive(r.dialog));
    r.useFile()->setChecked(useFile);
    r.delay()->setText(QStringLiteral("800"));
    r.find<QPushButton>("cmdOK")->setFocus();

    r.click("cmdOK");

    QCOMPARE(r.options.startStation(), 0);
    QCOMPARE(r.options.endStation(), 0);
    if (useFile) {
        QVERIFY(r.op.messages.isEmpty());
        QVERIFY(!r.dialog.isVisible());
        QCOMPARE(r.configured.size(), 1);
        QVERIFY(r.options.useFile());
        QCOMPARE(r.options.delayMs(), 800);
        QCOMPARE(Rig::stored("Properties/StartSTN"), start);
        QCOMPARE(Rig::stored("Properties/EndSTN"), end);
        return;
    }
    QCOMPARE(r.op.messages.size(), 1);
    QCOMPARE(r.op.messages[0].text, kSequenceWarning);
    QCOMPARE(r.op.messages[0].icon, Operator::Icon::Exclamation);
    QVERIFY(r.dialog.isVisible());
    QTRY_VERIFY(r.start()->hasFocus());
    QCOMPARE(r.configured.size(), 0);
    QVERIFY(!r.options.useFile());
    QCOMPARE(r.options.delayMs(), LoadTestOptions::kDefaultDelay);
    QCOMPARE(Rig::stored("Properties/StartSTN"), QStringLiteral("<nothing>"));
}

void TestLoadTestConfig::okStoresTheStationsAndSetsTheOptions_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::newRow("a range") << "1000"
                             << "1010" << 1000 << 1010;
    QTest::newRow("compared as numbers, not as text") << "999"
                                                      << "1000" << 999 << 1000;
    QTest::newRow("a star before the digits reads as 0") << "*5"
                                                         << "7#" << 0 << 7;
    QTest::newRow("one apart") << "1"
                               << "2" << 1 << 2;
}

void TestLoadTestConfig::okStoresTheStationsAndSetsTheOptions()
{
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(int, first);
    QFETCH(int, last);
    Rig r;
    r.dialog.showFullMode();
    QVERIFY(shownAndActive(r.dialog));
    r.start()->setText(start);
    r.end()->setText(end);
    r.delay()->setText(QStringLiteral("1234"));

    QTest::keyClick(r.delay(), Qt::Key_Return); // the default button

    QVERIFY(r.op.messages.isEmpty());
    QVERIFY(!r.dialog.isVisible());
    QCOMPARE(r.configured.size(), 1);
    QCOMPARE(r.configured[0][0].toBool(), true);
    QCOMPARE(r.options.startStation(), first);
    QCOMPARE(r.options.endStation(), last);
    QCOMPARE(r.options.delayMs(), 1234);
    QVERIFY(!r.options.useFile());
    const QString file = r.fileAfterSync();
    QVERIFY2(file.contains(QStringLiteral("StartSTN=") + start), qPrintable(file));
    QVERIFY2(file.contains(QStringLiteral("EndSTN=") + end), qPrintable(file));
    QCOMPARE(Rig::stored("Properties/StartSTN"), start);
    QCOMPARE(Rig::stored("Properties/EndSTN"), end);
}

void TestLoadTestConfig::okInDelayOnlyModeSetsOnlyTheDelay()
{
    Rig r;
    r.options.setRange(1000, 1010);
    r.options.setUseFile(true);
    r.dialog.setStations(QStringLiteral("5"), QStringLiteral("1")); // no sound range: not asked
    r.dialog.showDelayOnly();
    QVERIFY(shownAndActive(r.dialog));
    r.delay()->setText(QStringLiteral("60000"));

    r.click("cmdOK");

    QVERIFY(r.op.messages.isEmpty());
    QVERIFY(!r.dialog.isVisible());
    QCOMPARE(r.configured.size(), 1);
    QCOMPARE(r.configured[0][0].toBool(), false);
    QCOMPARE(r.options.delayMs(), 60000);
    QCOMPARE(r.options.startStation(), 1000);
    QCOMPARE(r.options.endStation(), 1010);
    QVERIFY(r.options.useFile());
    QCOMPARE(Rig::stored("Properties/StartSTN"), QStringLiteral("<nothing>"));
}

void TestLoadTestConfig::cancelChangesNothing_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("Cancel") << false;
    QTest::newRow("Escape") << true;
}

void TestLoadTestConfig::cancelChangesNothing()
{
    QFETCH(bool, escape);
    Rig r;
    r.dialog.showFullMode();
    QVERIFY(shownAndActive(r.dialog));
    r.start()->setText(QStringLiteral("1000"));
    r.end()->setText(QStringLiteral("1010"));
    r.delay()->setText(QStringLiteral("1234"));
    r.useFile()->setChecked(true);

    if (escape)
        QTest::keyClick(r.delay(), Qt::Key_Escape);
    else
        r.click("cmdCancel");

    QVERIFY(!r.dialog.isVisible());
    QCOMPARE(r.configured.size(), 0);
    QCOMPARE(r.options.delayMs(), LoadTestOptions::kDefaultDelay);
    QCOMPARE(r.options.startStation(), 0);
    QCOMPARE(r.options.endStation(), 0);
    QVERIFY(!r.options.useFile());
    QVERIFY(r.op.messages.isEmpty());
    QCOMPARE(Rig::stored("Properties/StartSTN"), QStringLiteral("<nothing>"));
    QCOMPARE(Rig::stored("Properties/EndSTN"), QStringLiteral("<nothing>"));
}

// The switch-off sweep goes by the boxes as they stand, without OK.
void TestLoadTestConfig::rangeTextsReachTheOptionsAsTyped()
{
    Rig r;
    r.dialog.setStations(QStringLiteral("4711"), QStringLiteral("4720"));
    QCOMPARE(r.options.startText(), QStringLiteral("4711"));
    QCOMPARE(r.options.endText(), QStringLiteral("4720"));
    r.dialog.showFullMode();
    QVERIFY(shownAndActive(r.dialog));
    r.end()->clear();
    QTest::keyClicks(r.end(), QStringLiteral("49"));
    QCOMPARE(r.options.endText(), QStringLiteral("49"));
    r.click("cmdCancel");
    QCOMPARE(r.options.startText(), QStringLiteral("4711"));
    QCOMPARE(r.options.endText(), QStringLiteral("49"));
}

void TestLoadTestConfig::boxesTakeOnlyTheirCharacters_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("kept");
    QTest::newRow("start: digits, # and *") << "Text1"
                                            << "1a 2#x*9."
                                            << "12#*9";
    QTest::newRow("end: digits, # and *") << "Text2"
                                          << "#-7+*"
                                          << "#7*";
    QTest::newRow("delay: digits only") << "txtDelay"
                                        << "1a2#*3 ."
                                        << "123";
}

void TestLoadTestConfig::boxesTakeOnlyTheirCharacters()
{
    QFETCH(QString, box);
    QFETCH(QString, keys);
    QFETCH(QString, kept);
    Rig r;
    r.dialog.showFullMode();
    QVERIFY(shownAndActive(r.dialog));
    auto* edit = r.find(box.toLatin1().constData());
    edit->clear();
    QTest::keyClicks(edit, keys);
    QCOMPARE(edit->text(), kept);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(edit->text(), kept.chopped(1));
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClick(edit, Qt::Key_Delete);
    QCOMPARE(edit->text(), kept.chopped(1).mid(1));
    QVERIFY(r.op.messages.isEmpty());
}

void TestLoadTestConfig::expansionOptionCutsAndMirrorsTheModel()
{
    Rig r;
    r.connection.setKraSelected(false);
    QCOMPARE(r.start()->maxLength(), 5); // as designed, until the option is applied
    r.dialog.showFullMode();
    QVERIFY(shownAndActive(r.dialog));
    QCOMPARE(r.start()->maxLength(), 6);
    QCOMPARE(r.end()->maxLength(), 6);
    const int narrow = r.start()->width();

    r.expansion.setEnabled(true); // set elsewhere: the single-station dialog, a decoded record
    QVERIFY(r.expansionBox()->isChecked());
    QCOMPARE(r.start()->maxLength(), 8);
    QVERIFY(r.start()->width() > narrow);
    r.start()->setText(QStringLiteral("12345678"));
    r.end()->setText(QStringLiteral("87654321"));

    r.expansionBox()->click();
    QVERIFY(!r.expansion.isEnabled());
    QCOMPARE(r.start()->text(), QStringLiteral("123456"));
    QCOMPARE(r.end()->text(), QStringLiteral("876543"));
    QCOMPARE(r.options.startText(), QStringLiteral("123456"));
    QCOMPARE(r.options.endText(), QStringLiteral("876543"));
    QCOMPARE(r.start()->width(), narrow);

    r.expansionBox()->click();
    QVERIFY(r.expansion.isEnabled());
    QCOMPARE(r.end()->maxLength(), 8);
}

void TestLoadTestConfig::expansionOptionFollowsTheStoreAndThePbxType_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("kra");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<bool>("offered");
    QTest::addColumn<int>("length");
    QTest::newRow("OLV, stored on") << "1" << false << true << true << 8;
    QTest::newRow("OLV, stored off") << "0" << false << false << true << 6;
    // For KRA activation leaves the boxes alone; they follow only a change of the option.
    QTest::newRow("KRA, stored on: shown, not offered") << "1" << true << true << false << 8;
    QTest::newRow("KRA, stored off: boxes as designed") << "0" << true << false << false << 5;
}

// The store is read as the dialog becomes active and written as it stops being active.
void TestLoadTestConfig::expansionOptionFollowsTheStoreAndThePbxType()
{
    QFETCH(QString, stored);
    QFETCH(bool, kra);
    QFETCH(bool, checked);
    Rig r;
    r.store.write(settings::Key::ZKNexpansion, stored);
    r.connection.setKraSelected(kra);
    r.dialog.showFullMode();
    QVERIFY(shownAndActive(r.dialog));
    QCOMPARE(r.expansionBox()->isChecked(), checked);
    QCOMPARE(r.expansion.isEnabled(), checked);
    QTEST(r.expansionBox()->isEnabled(), "offered");
    QTEST(r.start()->maxLength(), "length");

    r.expansion.setEnabled(!checked);
    r.main.activateWindow();
    QTRY_VERIFY(!r.dialog.isActiveWindow());
    QCOMPARE(Rig::stored("Debug/ZKNexpansion"), checked ? QStringLiteral("0") : QStringLiteral("1"));
}

void TestLoadTestConfig::useFileShowsTheFrameInPlaceOfTheRange()
{
    Rig r;
    r.dialog.showFullMode();
    QVERIFY(QTest::qWaitForWindowExposed(&r.dialog));
    QVERIFY(!r.fileFrame()->isVisible());
    QVERIFY(r.start()->isVisible());
    const QPoint rangeAt = r.start()->parentWidget()->mapTo(&r.dialog, QPoint());

    r.useFile()->click();
    QVERIFY(r.fileFrame()->isVisible());
    QVERIFY(!r.start()->isVisible());
    QVERIFY(!r.end()->isVisible());
    QCOMPARE(r.fileFrame()->mapTo(&r.dialog, QPoint()), rangeAt);
    auto* edit = r.find<QPushButton>("cmdEditFile");
    QVERIFY(edit->isVisible());
    QVERIFY(!edit->accessibleName().isEmpty());

    r.useFile()->click();
    QVERIFY(!r.fileFrame()->isVisible());
    QVERIFY(r.start()->isVisible());
}

void TestLoadTestConfig::editFileOpensTheExtensionsFileCreatedEmpty()
{
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    const QString path = data.filePath(QStringLiteral("ZKN-Control Tool/Extensions.dat"));
    OpenedFiles opened;
    Rig r;
    r.dialog.showFullMode();
    r.useFile()->click();

    r.click("cmdEditFile");

    QCOMPARE(opened.urls, QList<QUrl>{QUrl::fromLocalFile(path)});
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.size(), 0);
    QVERIFY(r.op.messages.isEmpty());
    QVERIFY(r.dialog.isVisible());
}

void TestLoadTestConfig::editFileThatCannotBeCreatedNamesTheFile()
{
    QTemporaryDir data;
    // A regular file where the data folder should be: the file cannot be created.
    const QString blocker = data.filePath(QStringLiteral("not-a-folder"));
    {
        QFile f(blocker);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    qputenv("XDG_DATA_HOME", QFile::encodeName(blocker));
    OpenedFiles opened;
    Rig r;
    r.dialog.showFullMode();
    r.useFile()->click();

    r.click("cmdEditFile");

    QVERIFY(opened.urls.isEmpty());
    QCOMPARE(r.op.messages.size(), 1);
    QCOMPARE(r.op.messages[0].icon, Operator::Icon::Exclamation);
    QVERIFY2(r.op.messages[0].text.contains(blocker + QStringLiteral("/ZKN-Control Tool/Extensions.dat")),
             qPrintable(r.op.messages[0].text));
}

QTEST_MAIN(TestLoadTestConfig)
#include "tst_load_test_config.moc"
