// The operator's real dialogs: where a box appears, and which file dialog a log choice gets.
#include "frm_splash.h"
#include "widget_operator.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <QAbstractButton>

#include <functional>
#include <optional>

using namespace zkn;

Q_DECLARE_METATYPE(zkn::Operator::Buttons)
Q_DECLARE_METATYPE(zkn::Operator::Answer)

namespace {

// Looks at the next modal dialog once it is up, then rejects it, so a test can run code that
// waits in a modal dialog.
void whenModalDialogUp(std::function<void(QDialog*)> look)
{
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, look = std::move(look)] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll->stop();
        poll->deleteLater();
        look(dialog);
        dialog->reject();
    });
    poll->start(10);
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

    QWidget* parent = nullptr;
    bool onTop = false;
    whenModalDialogUp([&](QDialog* box) {
        parent = box->parentWidget();
        onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    });
    WidgetOperator op(&mainWindow);
    op.tell(QStringLiteral("Invalid property value"), Operator::Icon::Exclamation);
    QCOMPARE(parent, overSplash ? static_cast<QWidget*>(splash.data()) : &mainWindow);
    QCOMPARE(onTop, overSplash);
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
    QFileDialog::AcceptMode acceptMode{};
    QFileDialog::FileMode fileMode{};
    bool confirmsOverwrite = true;
    QString title;
    QStringList filters;
    whenModalDialogUp([&](QDialog* dialog) {
        if (auto* files = qobject_cast<QFileDialog*>(dialog)) {
            acceptMode = files->acceptMode();
            fileMode = files->fileMode();
            confirmsOverwrite = !files->testOption(QFileDialog::DontConfirmOverwrite);
            title = files->windowTitle();
            filters = files->nameFilters();
        }
    });
    WidgetOperator op(&mainWindow);
    const std::optional<QString> chosen =
        op.chooseFile({QStringLiteral("Open Communications Log File"),
                       QStringLiteral("Log Files (*.txt *.TXT);;All Files (*)"), QString(), mustExist});
    QVERIFY(!chosen);
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
// comes once it is closed.
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
    box->button(clicked)->click();
    QTRY_VERIFY(answer);
    QTEST(*answer, "answer");
}

QTEST_MAIN(TestWidgetOperator)
#include "tst_widget_operator.moc"
