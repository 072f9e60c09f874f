// Text put on the serial line by hand: a text file sent with its cancel window, and keys typed on
// the terminal, over a real pseudo-terminal.
#include "tool_fixture.h"

#include "frm_cancel_send.h"
#include "model/connection_options.h"
#include "pty_pair.h"
#include "serial_line.h"
#include "terminal_view.h"

#include <QPushButton>
#include <QTemporaryFile>

using namespace zkn;
using zkn::test::PtyPair;
using zkn::test::ToolFixture;

namespace {

constexpr int kWait = 8000;

// A started tool with its serial port open on a pty whose far end the test plays.
struct SerialRig
{
    ToolFixture t;
    PtyPair pty;
    QByteArray farEnd; // everything the far end has read

    bool start()
    {
        if (!pty.isValid() || !t.start())
            return false;
        t.app->serial().setPortName(pty.devicePath());
        t.action("mnuOpen")->trigger();
        return t.app->serial().isOpen();
    }
    // Reads what has arrived; true once `size` bytes have.
    bool received(qsizetype size)
    {
        farEnd += pty.readMaster();
        return farEnd.size() >= size;
    }
    frmCancelSend* cancelWindow() const { return t.window->findChild<frmCancelSend*>(); }
    bool commandOffered() const
    {
        return t.action("mnuSendText")->isEnabled() && t.action("TransmitTextFile")->isEnabled();
    }
};

QString fileWith(QTemporaryFile& file, const QByteArray& bytes)
{
    file.open();
    file.write(bytes);
    file.close();
    return file.fileName();
}

// Every byte value, over and over.
QByteArray everyByte(qsizetype size)
{
    QByteArray bytes(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(i % 256);
    return bytes;
}

} // namespace

class TestSerialText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void textFileGoesOutAsItIsOnDisk();
    void cancelStopsTheFileAfterTheBlockInFlight();
    void typedKeysGoToTheLine_data();
    void typedKeysGoToTheLine();
};

void TestSerialText::textFileGoesOutAsItIsOnDisk()
{
    SerialRig rig;
    QVERIFY(rig.start());
    QVERIFY(rig.commandOffered());
    QTemporaryFile file;
    const QByteArray bytes = everyByte(3000);
    rig.t.op.fileChoices = {fileWith(file, bytes)};
    rig.t.action("mnuSendText")->trigger();
    QCOMPARE(rig.t.op.fileDialogs.size(), 1);
    QCOMPARE(rig.t.op.fileDialogs[0].title, QStringLiteral("Send Text File"));
    QVERIFY(rig.cancelWindow() && rig.cancelWindow()->isVisible());
    QVERIFY(!rig.commandOffered()); // no second transmission meanwhile

    QTRY_VERIFY_WITH_TIMEOUT(rig.received(bytes.size()), kWait);
    QTRY_VERIFY_WITH_TIMEOUT(!rig.cancelWindow()->isVisible(), kWait);
    QCOMPARE(rig.farEnd, bytes);
    QVERIFY(rig.commandOffered());
    QVERIFY(rig.t.op.messages.isEmpty());
    QVERIFY(rig.t.window->terminal()->content().isEmpty()); // nothing of the file is shown
}

// The far end reads nothing, so the line fills and the transmission waits in its second block.
void TestSerialText::cancelStopsTheFileAfterTheBlockInFlight()
{
    SerialRig rig;
    QVERIFY(rig.start());
    QTemporaryFile file;
    const QByteArray bytes = everyByte(200000);
    rig.t.op.fileChoices = {fileWith(file, bytes)};
    rig.t.action("TransmitTextFile")->trigger();
    QTest::qWait(300);
    QVERIFY(rig.cancelWindow()->isVisible());
    rig.cancelWindow()->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    QVERIFY(!rig.cancelWindow()->isVisible());
    QVERIFY(rig.commandOffered());
    QTest::qWait(300);
    rig.received(0);
    QVERIFY(!rig.farEnd.isEmpty());
    QVERIFY(rig.farEnd.size() < bytes.size());
    QCOMPARE(rig.farEnd, bytes.left(rig.farEnd.size()));
    QVERIFY(rig.t.op.messages.isEmpty());
}

void TestSerialText::typedKeysGoToTheLine_data()
{
    QTest::addColumn<bool>("echo");
    QTest::addColumn<QByteArray>("shown");
    QTest::newRow("the far end's echo is awaited") << false << QByteArray();
    QTest::newRow("local echo") << true << QByteArray("A");
}

void TestSerialText::typedKeysGoToTheLine()
{
    QFETCH(bool, echo);
    SerialRig rig;
    QVERIFY(rig.start());
    rig.t.app->connection().setEcho(echo);
    QTest::keyClicks(rig.t.window->terminal(), QStringLiteral("A"));
    QTRY_VERIFY_WITH_TIMEOUT(rig.received(1), kWait);
    QCOMPARE(rig.farEnd, QByteArray("A"));
    QTEST(rig.t.window->terminal()->content(), "shown");
}

QTEST_MAIN(TestSerialText)
#include "tst_serial_text.moc"
