// The serial adapter on a real pseudo-terminal pair: the adapter opens the slave side, the test
// plays the far end on the master side.
#include "pty_pair.h"
#include "serial_line.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <utility>

#include <termios.h>
#include <unistd.h>

using zkn::SerialLine;

namespace {

constexpr int waitMs = 5000;

} // namespace

class TestSerialLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void settingsReachTheOpenPort_data();
    void settingsReachTheOpenPort();
    void handshakingReachesTheOpenPort_data();
    void handshakingReachesTheOpenPort();
    void refusesWhatItCannotDo_data();
    void refusesWhatItCannotDo();
    void missingDeviceIsNotFound();
    void carriesBytesExactlyBothWays();
    void receiveOffHoldsBytesBack();
    void hangUpClosesOnceWithoutFlood();

private:
    bool openLine();
    termios slaveTermios() const;

    std::unique_ptr<zkn::test::PtyPair> m_pty;
    std::unique_ptr<SerialLine> m_line;
};

void TestSerialLine::init()
{
    m_pty = std::make_unique<zkn::test::PtyPair>();
    QVERIFY(m_pty->isValid());
    m_line = std::make_unique<SerialLine>();
}

void TestSerialLine::cleanup()
{
    m_line.reset();
    m_pty.reset();
}

bool TestSerialLine::openLine()
{
    m_line->setPortName(m_pty->devicePath());
    QString error;
    return m_line->open(&error) == SerialLine::OpenResult::Opened && m_line->isOpen();
}

termios TestSerialLine::slaveTermios() const
{
    termios t{};
    tcgetattr(m_pty->slave(), &t);
    return t;
}

// A pty keeps the speed, the stop bits and the odd and mark/space flags, but always runs 8 bits
// without a parity bit (and refuses a change to even parity that it would lose), so the rows use
// 8 data bits and look only at what the pty keeps.
void TestSerialLine::settingsReachTheOpenPort_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<speed_t>("speed");
    QTest::addColumn<tcflag_t>("frame"); // which of CSTOPB, PARODD, CMSPAR are set
    QTest::newRow("9600,N,8,1") << "9600,N,8,1"
                                << "9600,n,8,1" << speed_t(B9600) << tcflag_t(0);
    QTest::newRow("19200,O,8,2") << "19200,O,8,2"
                                 << "19200,o,8,2" << speed_t(B19200) << tcflag_t(CSTOPB | PARODD);
    QTest::newRow("blanks, 1200,o,8,1") << " 1200 , o , 8 , 1 "
                                        << "1200,o,8,1" << speed_t(B1200) << tcflag_t(PARODD);
    QTest::newRow("4800,M,8,1") << "4800,M,8,1"
                                << "4800,m,8,1" << speed_t(B4800) << tcflag_t(PARODD | CMSPAR);
    QTest::newRow("2400,s,8,2") << "2400,s,8,2"
                                << "2400,s,8,2" << speed_t(B2400) << tcflag_t(CSTOPB | CMSPAR);
}

void TestSerialLine::settingsReachTheOpenPort()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QFETCH(speed_t, speed);
    QFETCH(tcflag_t, frame);
    QCOMPARE(m_line->settings(), QStringLiteral("9600,n,8,1"));
    QVERIFY(openLine());
    QString error;
    QVERIFY2(m_line->setSettings(text, &error), qPrintable(error));
    QCOMPARE(m_line->settings(), shown);
    const termios t = slaveTermios();
    QCOMPARE(cfgetospeed(&t), speed);
    QCOMPARE(t.c_cflag & (CSTOPB | PARODD | CMSPAR), frame);
}

void TestSerialLine::handshakingReachesTheOpenPort_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("rtsCts");
    QTest::addColumn<bool>("xonXoff");
    QTest::newRow("0 none") << 0 << false << false;
    QTest::newRow("1 XON/XOFF") << 1 << false << true;
    QTest::newRow("2 RTS") << 2 << true << false;
    QTest::newRow("3 RTS and XON/XOFF") << 3 << true << false;
}

void TestSerialLine::handshakingReachesTheOpenPort()
{
    QFETCH(int, mode);
    QFETCH(bool, rtsCts);
    QFETCH(bool, xonXoff);
    QCOMPARE(m_line->handshaking(), 0);
    QVERIFY(openLine());
    QString error;
    QVERIFY2(m_line->setHandshaking(mode, &error), qPrintable(error));
    QCOMPARE(m_line->handshaking(), mode);
    const termios t = slaveTermios();
    QCOMPARE(bool(t.c_cflag & CRTSCTS), rtsCts);
    QCOMPARE(bool(t.c_iflag & IXON), xonXoff);
}

void TestSerialLine::refusesWhatItCannotDo_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<QString>("settings");
    QTest::addColumn<int>("handshaking");
    QTest::newRow("unknown parity letter") << false << "9600,x,8,1" << 0;
    QTest::newRow("three fields") << false << "9600,n,8" << 0;
    QTest::newRow("speed not a number") << false << "fast,n,8,1" << 0;
    QTest::newRow("4 data bits") << false << "9600,n,4,1" << 0;
    QTest::newRow("1.5 stop bits") << false << "9600,n,8,1.5" << 0;
    QTest::newRow("handshaking -1") << false << "" << -1;
    QTest::newRow("handshaking 4") << false << "" << 4;
    // The pty takes the speed, then refuses 7 bits; the speed in use must come back.
    QTest::newRow("7 data bits on an open pty") << true << "19200,e,7,1" << 0;
}

void TestSerialLine::refusesWhatItCannotDo()
{
    QFETCH(bool, open);
    QFETCH(QString, settings);
    QFETCH(int, handshaking);
    QVERIFY(m_line->setSettings(QStringLiteral("4800,o,8,2"), nullptr));
    QVERIFY(m_line->setHandshaking(2, nullptr));
    if (open)
        QVERIFY(openLine());
    QString error;
    if (!settings.isEmpty())
        QVERIFY(!m_line->setSettings(settings, &error));
    else
        QVERIFY(!m_line->setHandshaking(handshaking, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(m_line->settings(), QStringLiteral("4800,o,8,2"));
    QCOMPARE(m_line->handshaking(), 2);
    if (open) {
        const termios t = slaveTermios();
        QCOMPARE(cfgetospeed(&t), speed_t(B4800));
        QCOMPARE(t.c_cflag & (CSTOPB | PARODD | CRTSCTS), tcflag_t(CSTOPB | PARODD | CRTSCTS));
    }
}

void TestSerialLine::missingDeviceIsNotFound()
{
    m_line->setCommPort(3);
    QCOMPARE(m_line->systemLocation(), QStringLiteral("/dev/ttyS2"));
    m_line->setPortName(QStringLiteral("/dev/zkn-no-such-device"));
    QCOMPARE(m_line->commPort(), 3);
    QString error;
    QCOMPARE(m_line->open(&error), SerialLine::OpenResult::NotFound);
    QVERIFY(!error.isEmpty());
    QVERIFY(!m_line->isOpen());
    QVERIFY(!m_line->dsrHolding());
}

void TestSerialLine::carriesBytesExactlyBothWays()
{
    // Control characters a cooked terminal would act on: ETX (interrupt), XON/XOFF, CR, LF, DEL.
    const QByteArray bytes = QByteArray::fromHex("0231200d0a0300111316137f80ff0d0d0a");
    QVERIFY(openLine());
    QVERIFY(m_line->dsrHolding()); // a pty has no modem lines
    m_line->setReceiveEnabled(true);
    QByteArray received;
    connect(m_line.get(), &SerialLine::dataArrived, this, [&] { received += m_line->readAll(); });
    QCOMPARE(::write(m_pty->master(), bytes.constData(), bytes.size()), bytes.size());
    QTRY_COMPARE_WITH_TIMEOUT(received, bytes, waitMs);

    m_line->write(bytes);
    QByteArray atMaster;
    QTRY_COMPARE_WITH_TIMEOUT((atMaster += m_pty->readMaster(), atMaster), bytes, waitMs);
    QCOMPARE(m_line->bytesToWrite(), 0);
}

void TestSerialLine::receiveOffHoldsBytesBack()
{
    QVERIFY(openLine());
    QSignalSpy arrived(m_line.get(), &SerialLine::dataArrived);
    QCOMPARE(::write(m_pty->master(),
                     "\x02"
                     "abc",
                     4),
             4);
    QTRY_COMPARE_WITH_TIMEOUT(m_line->bytesWaiting(), 4, waitMs);
    QCOMPARE(arrived.size(), 0);

    m_line->setReceiveEnabled(true);
    QVERIFY(arrived.wait(waitMs));
    QCOMPARE(arrived.size(), 1);
    QCOMPARE(m_line->readAll(), QByteArray("\x02"
                                           "abc"));
    QCOMPARE(m_line->bytesWaiting(), 0);
    // Turned on again with nothing waiting: nothing to tell.
    m_line->setReceiveEnabled(false);
    m_line->setReceiveEnabled(true);
    QTest::qWait(50);
    QCOMPARE(arrived.size(), 1);
}

void TestSerialLine::hangUpClosesOnceWithoutFlood()
{
    QVERIFY(openLine());
    m_line->setReceiveEnabled(true);
    QSignalSpy closed(m_line.get(), &SerialLine::closedByError);
    QSignalSpy arrived(m_line.get(), &SerialLine::dataArrived);
    QSignalSpy events(m_line.get(), &SerialLine::lineEvent);
    m_pty->closeMaster();
    QVERIFY(closed.wait(waitMs));
    QVERIFY(!m_line->isOpen());
    const QString reason = closed.at(0).at(0).toString();
    QVERIFY2(reason.startsWith(QStringLiteral("Serial device ") + m_pty->devicePath() +
                               QStringLiteral(" went away: ")) &&
                 !reason.endsWith(QStringLiteral(": ")),
             qPrintable(reason));
    QTest::qWait(200); // a flood would show here
    QCOMPARE(closed.size(), 1);
    QCOMPARE(arrived.size() + events.size(), 0);
}

QTEST_GUILESS_MAIN(TestSerialLine)
#include "tst_serial_line.moc"
