// The real timers that drive the link engine, on the system clock.
#include "fake_link_host.h"
#include "scripted_operator.h"

#include "link/link_engine.h"
#include "link_timer_driver.h"
#include "model/connection_options.h"
#include "model/debug_options.h"
#include "model/expansion_option.h"
#include "model/load_test_options.h"
#include "system_clock.h"

#include <QTest>

using namespace zkn;
using Panel = link::LinkHost::Panel;

class TestLinkTimerDriver : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void otherTimersRunWhileATimersBoxIsOpen();
};

// A handler that waits on a box (here the log's question under the health-check line) runs the
// event loop; the status panel and the connect time go on being updated meanwhile.
void TestLinkTimerDriver::otherTimersRunWhileATimersBoxIsOpen()
{
    test::FakeLinkHost host;
    test::ScriptedOperator op;
    SystemClock clock;
    ConnectionOptions connection;
    DebugOptions debug;
    ExpansionOption expansion;
    LoadTestOptions loadTest;
    connection.setConnectionType(ConnectionType::Lan);
    debug.setHealthCheckIntervalText(QStringLiteral("0"));
    debug.setDetail(true);
    link::LinkEngine engine(host, host, op, clock, connection, debug, expansion, loadTest);
    LinkTimerDriver driver(engine, clock);

    int statusDuringTheBox = -1;
    int connectTimeDuringTheBox = -1;
    host.whileWriting = [&](const QByteArray& text) {
        if (!text.contains("Health Check...") || statusDuringTheBox >= 0)
            return;
        statusDuringTheBox = connectTimeDuringTheBox = 0;
        host.panelHistory.clear();
        QTest::qWait(1300);
        statusDuringTheBox = int(host.panelHistory[Panel::Status].size());
        connectTimeDuringTheBox = int(host.panelHistory[Panel::ConnectTime].size());
    };
    engine.connectCommand();
    host.state = link::SocketState::Connected;
    engine.onSocketConnected();
    QTRY_VERIFY_WITH_TIMEOUT(statusDuringTheBox > 0 || host.sent.size() > 1, 5000);
    QVERIFY2(statusDuringTheBox >= 3, qPrintable(QString::number(statusDuringTheBox)));
    QVERIFY(connectTimeDuringTheBox >= 1);
}

QTEST_GUILESS_MAIN(TestLinkTimerDriver)
#include "tst_link_timer_driver.moc"
