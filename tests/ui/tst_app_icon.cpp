// The tool's icon: the rendered pictures are built in for every size, and the main window shows
// the application's icon rather than one of its own, so the desktop shows the same picture
// everywhere.
#include "app_icon.h"
#include "tool_fixture.h"

#include <QApplication>
#include <QTest>

using zkn::applicationIcon;

class TestAppIcon : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everySizeIsItsOwnPicture_data();
    void everySizeIsItsOwnPicture();
    void theMainWindowShowsTheApplicationIcon();
};

void TestAppIcon::everySizeIsItsOwnPicture_data()
{
    QTest::addColumn<int>("size");
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        QTest::addRow("%dx%d", size, size) << size;
}

void TestAppIcon::everySizeIsItsOwnPicture()
{
    QFETCH(int, size);
    const QImage rendered(QStringLiteral(":/icons/%1x%1/zkn-tool.png").arg(size));
    QCOMPARE(rendered.size(), QSize(size, size));
    const QImage shown = applicationIcon().pixmap(QSize(size, size)).toImage();
    // A pixmap keeps its colours premultiplied: compare both that way, not to the last bit lost.
    constexpr auto format = QImage::Format_ARGB32_Premultiplied;
    QCOMPARE(shown.convertToFormat(format), rendered.convertToFormat(format));
}

void TestAppIcon::theMainWindowShowsTheApplicationIcon()
{
    QApplication::setWindowIcon(applicationIcon());
    zkn::test::ToolFixture tool;
    QVERIFY(tool.start());
    QCOMPARE(tool.window->windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
}

QTEST_MAIN(TestAppIcon)
#include "tst_app_icon.moc"
