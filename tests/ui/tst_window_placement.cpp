// Where a window watched beside the main window appears, and that it keeps its place while its
// contents grow, until the operator moves it.
#include "window_placement.h"

#include <QScreen>
#include <QTest>
#include <QWidget>

using namespace zkn;

class TestWindowPlacement : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void besideOnTheSideWithRoom_data();
    void besideOnTheSideWithRoom();
    void keptBesideWhileGrowingUntilMoved();
    void centredOverOnlyTheFirstTime();
};

void TestWindowPlacement::besideOnTheSideWithRoom_data()
{
    QTest::addColumn<bool>("mainOnTheLeft");
    QTest::newRow("room on the right") << true;
    QTest::newRow("room on the left") << false;
}

void TestWindowPlacement::besideOnTheSideWithRoom()
{
    QFETCH(bool, mainOnTheLeft);
    const QRect free = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget main;
    main.setGeometry(mainOnTheLeft ? free.left() : free.right() + 1 - 300, free.top(), 300, 200);
    main.show();
    QWidget watched(nullptr, Qt::Window);
    watched.resize(200, 100);
    showBeside(&watched, &main);
    QVERIFY(watched.isVisible());
    QVERIFY(!watched.frameGeometry().intersects(main.frameGeometry()));
    QVERIFY(free.contains(watched.geometry()));
    QCOMPARE(watched.x() > main.x(), mainOnTheLeft);
}

void TestWindowPlacement::keptBesideWhileGrowingUntilMoved()
{
    const QRect free = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget main;
    main.setGeometry(free.left(), free.top(), 300, 200);
    main.show();
    QWidget watched(nullptr, Qt::Window);
    watched.resize(100, 50);
    showBeside(&watched, &main);
    QCOMPARE(watched.frameGeometry().left(), main.frameGeometry().right() + 1);
    // Grown to nearly the screen's width: moved left to stay on the screen.
    watched.resize(free.width() - 100, 300);
    QVERIFY(free.contains(watched.geometry()));
    QVERIFY(watched.frameGeometry().left() <= main.frameGeometry().right());

    // Moved by the operator, then grown: it stays where it was put.
    watched.move(free.left() + 10, free.top() + 10);
    watched.resize(200, 100);
    QCOMPARE(watched.pos(), QPoint(free.left() + 10, free.top() + 10));
    // Hidden and shown again: where it was left.
    watched.hide();
    showBeside(&watched, &main);
    QCOMPARE(watched.pos(), QPoint(free.left() + 10, free.top() + 10));
}

// Properties, the debug options and the serial buffer window: centred when first shown; once moved,
// hidden and shown again where the operator left them.
void TestWindowPlacement::centredOverOnlyTheFirstTime()
{
    const QRect free = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget main;
    main.setGeometry(free.left() + 100, free.top() + 100, 600, 400);
    main.show();
    QWidget dialog(nullptr, Qt::Window);
    dialog.resize(200, 100);
    showOver(&dialog, &main);
    // Within the width of a window frame.
    QVERIFY((dialog.frameGeometry().center() - main.frameGeometry().center()).manhattanLength() <= 8);
    const QPoint moved = free.topLeft() + QPoint(20, 30);
    dialog.move(moved);
    dialog.hide();
    showOver(&dialog, &main);
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.pos(), moved);
}

QTEST_MAIN(TestWindowPlacement)
#include "tst_window_placement.moc"
