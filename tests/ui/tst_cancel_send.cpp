// The window shown while a text file goes out: every way the operator can leave it is a cancel.
#include "frm_cancel_send.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using zkn::frmCancelSend;

class TestCancelSend : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showsTheFileOnTop();
    void everyWayOutCancels_data();
    void everyWayOutCancels();
};

void TestCancelSend::showsTheFileOnTop()
{
    QWidget mainWindow;
    frmCancelSend window(&mainWindow);
    window.showSending(QStringLiteral("/home/op/letter.TXT"));
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.windowTitle(), QStringLiteral("ZKN-Tool"));
    QVERIFY(!window.isModal());
    QVERIFY(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    auto* label = window.findChild<QLabel*>(QStringLiteral("Label1"));
    QVERIFY(label);
    QCOMPARE(label->text(), QStringLiteral("Transmitting Text File - /home/op/letter.TXT"));
    auto* button = window.findChild<QPushButton*>(QStringLiteral("Command1"));
    QVERIFY(button);
    QCOMPARE(button->text(), QStringLiteral("Cancel"));
}

void TestCancelSend::everyWayOutCancels_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("Cancel button") << "click";
    QTest::newRow("Enter") << "enter";
    QTest::newRow("Escape") << "escape";
    QTest::newRow("close box") << "close";
}

void TestCancelSend::everyWayOutCancels()
{
    QFETCH(QString, way);
    QWidget mainWindow;
    frmCancelSend window(&mainWindow);
    QSignalSpy cancelled(&window, &frmCancelSend::cancelClicked);
    window.showSending(QStringLiteral("/home/op/letter.TXT"));
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* button = window.findChild<QPushButton*>(QStringLiteral("Command1"));
    QVERIFY(button);

    if (way == QLatin1String("click"))
        QTest::mouseClick(button, Qt::LeftButton);
    else if (way == QLatin1String("enter"))
        QTest::keyClick(&window, Qt::Key_Return);
    else if (way == QLatin1String("escape"))
        QTest::keyClick(&window, Qt::Key_Escape);
    else
        window.close();

    QCOMPARE(cancelled.size(), 1);
    QVERIFY(!window.isVisible());
}

QTEST_MAIN(TestCancelSend)
#include "tst_cancel_send.moc"
