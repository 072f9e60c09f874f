// The main window comes up offscreen with its title.
#include "app_identity.h"
#include "frm_terminal.h"

#include <QTest>

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void opensWithTheApplicationTitle()
    {
        zkn::frmTerminal window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.windowTitle(), QStringLiteral("ZKN-Control Tool"));
        QCOMPARE(window.objectName(), QStringLiteral("frmTerminal"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
