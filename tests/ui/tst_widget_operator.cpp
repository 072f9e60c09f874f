// The operator's real dialogs: which file dialog a log choice gets.
#include "widget_operator.h"

#include <QApplication>
#include <QFileDialog>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace zkn;

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
    void logChoiceMayNameANewFile_data();
    void logChoiceMayNameANewFile();
};

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

QTEST_MAIN(TestWidgetOperator)
#include "tst_widget_operator.moc"
