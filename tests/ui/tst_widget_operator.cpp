// The operator's real dialogs: where a box appears, and which file dialog a log choice gets.
#include "frm_splash.h"
#include "widget_operator.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTest>

#include <QAbstractButton>

#include <functional>
#include <optional>

using namespace zkn;

Q_DECLARE_METATYPE(zkn::Operator::Buttons)
Q_DECLARE_METATYPE(zkn::Operator::Answer)

namespace {

QDialog* dialogUp()
{
    return qobject_cast<QDialog*>(QApplication::activeModalWidget());
}

} // namespace

class TestWidgetOperator : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void boxesShowOverTheSplash_data();
    void boxesShowOverTheSplash();
    void logChoiceMayNameANewFile_data();
    void logChoiceMayNameANewFile();
    void shownBoxAnswersWhenClosed_data();
    void shownBoxAnswersWhenClosed();
};

void TestWidgetOperator::boxesShowOverTheSplash_data()
{
    QTest::addColumn<bool>("splashShown");
    QTest::addColumn<bool>("splashHiddenAgain");
    QTest::addColumn<bool>("overSplash");
    QTest::newRow("no splash: over the main window") << false << false << false;
    QTest::newRow("splash up: over the splash, on top") << true << false << true;
    QTest::newRow("splash gone: over the main window") << true << true << false;
}

void TestWidgetOperator::boxesShowOverTheSplash()
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

void TestWidgetOperator::logChoiceMayNameANewFile_data()
{
    QTest::addColumn<bool>("mustExist");
    QTest::addColumn<QFileDialog::AcceptMode>("acceptMode");
    QTest::addColumn<QFileDialog::FileMode>("fileMode");
    QTest::newRow("a file to read") << true << QFileDialog::AcceptOpen << QFileDialog::ExistingFile;
    QTest::newRow("a log to create or extend") << false << QFileDialog::AcceptSave << QFileDialog::AnyFile;
}

void TestWidgetOperator::logChoiceMayNameANewFile()
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
    const QFileDialog::AcceptMode acceptMode = files->acceptMode();
    const QFileDialog::FileMode fileMode = files->fileMode();
    const bool confirmsOverwrite = !files->testOption(QFileDialog::DontConfirmOverwrite);
    const QString title = files->windowTitle();
    const QStringList filters = files->nameFilters();
    files->reject();
    QTRY_VERIFY(chosen);
    QVERIFY(!*chosen);
    QTEST(acceptMode, "acceptMode");
    QTEST(fileMode, "fileMode");
    QCOMPARE(title, QStringLiteral("Open Communications Log File"));
    QCOMPARE(filters,
             (QStringList{QStringLiteral("Log Files (*.txt *.TXT)"), QStringLiteral("All Files (*)")}));
    if (!mustExist)
        QVERIFY2(!confirmsOverwrite, "the tool itself asks before it replaces a log");
}

void TestWidgetOperator::shownBoxAnswersWhenClosed_data()
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
void TestWidgetOperator::shownBoxAnswersWhenClosed()
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
    QTRY_VERIFY(answer);
    QTEST(*answer, "answer");
    const auto second = [] {
        auto* up = qobject_cast<QMessageBox*>(dialogUp());
        return up && up->text() == QStringLiteral("Invalid Record! You Idiot!!") ? up : nullptr;
    };
    QTRY_VERIFY(second());
    second()->reject();
}

QTEST_MAIN(TestWidgetOperator)
#include "tst_widget_operator.moc"
