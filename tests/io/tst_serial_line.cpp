// The serial adapter on a real pseudo-terminal pair: the adapter opens the slave side, the test
// plays the far end on the master side.
#include "pty_pair.h"
#include "serial_line.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

#include <termios.h>
#include <unistd.h>

using zkn::SerialLine;

class TestSerialLine : public QObject
{
    Q_OBJECT

    static constexpr int waitMs = 5000;
    std::unique_ptr<zkn::test::PtyPair> m_pty;
    std::unique_ptr<SerialLine> m_line;

    bool openLine()
    {
        m_line->setPortName(m_pty->devicePath());
        return m_line->open(nullptr) == SerialLine::OpenResult::Opened && m_line->isOpen();
    }

private Q_SLOTS:
    void init()
    {
        m_pty = std::make_unique<zkn::test::PtyPair>();
        QVERIFY(m_pty->isValid());
        m_line = std::make_unique<SerialLine>();
    }

    void cleanup()
    {
        m_line.reset();
        m_pty.reset();
    }

    // A pty keeps the speed, the stop bits, the odd and mark/space flags and the handshaking, but
    // always runs 8 bits without a parity bit (and refuses even parity, which it would lose), so
    // the rows use 8 data bits and look only at what the pty keeps. A refused value changes
    // nothing: the port keeps 4800,n,8,2 with RTS, set before it was opened.
    void settingsReachThePort_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("handshaking");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<speed_t>("speed");
        QTest::addColumn<tcflag_t>("cflags"); // which of CSTOPB, PARODD, CMSPAR, CRTSCTS are set
        QTest::addColumn<bool>("xonXoff");
        const tcflag_t kept = CSTOPB | CRTSCTS;
        QTest::newRow("9600,N,8,1, none")
            << "9600,N,8,1" << 0 << true << speed_t(B9600) << tcflag_t(0) << false;
        QTest::newRow("19200,O,8,2, XON/XOFF")
            << "19200,O,8,2" << 1 << true << speed_t(B19200) << tcflag_t(CSTOPB | PARODD) << true;
        QTest::newRow("4800,M,8,1, RTS")
            << "4800,M,8,1" << 2 << true << speed_t(B4800) << tcflag_t(PARODD | CMSPAR | CRTSCTS) << false;
        // The port cannot do both; RTS protects the receiver, so it wins.
        QTest::newRow("2400,s,8,2, RTS and XON/XOFF")
            << "2400,s,8,2" << 3 << true << speed_t(B2400) << tcflag_t(CSTOPB | CMSPAR | CRTSCTS) << false;
        QTest::newRow("unknown parity letter")
            << "9600,x,8,1" << 2 << false << speed_t(B4800) << kept << false;
        QTest::newRow("4 data bits") << "9600,n,4,1" << 2 << false << speed_t(B4800) << kept << false;
        QTest::newRow("1.5 stop bits") << "9600,n,8,1.5" << 2 << false << speed_t(B4800) << kept << false;
        QTest::newRow("handshaking -1") << "9600,n,8,1" << -1 << false << speed_t(B4800) << kept << false;
        QTest::newRow("handshaking 4") << "9600,n,8,1" << 4 << false << speed_t(B4800) << kept << false;
        // The pty takes the speed, then refuses 7 bits; the speed in use must come back.
        QTest::newRow("7 data bits") << "19200,e,7,1" << 2 << false << speed_t(B4800) << kept << false;
    }

    void settingsReachThePort()
    {
        QFETCH(QString, text);
        QFETCH(int, handshaking);
        QFETCH(bool, accepted);
        QVERIFY(m_line->setSettings(QStringLiteral("4800,n,8,2"), nullptr));
        QVERIFY(m_line->setHandshaking(2, nullptr));
        QVERIFY(openLine());
        QString error;
        QCOMPARE(m_line->setHandshaking(handshaking, &error) && m_line->setSettings(text, &error), accepted);
        QCOMPARE(error.isEmpty(), accepted);
        QCOMPARE(m_line->settings(), accepted ? text.toLower() : QStringLiteral("4800,n,8,2"));
        QCOMPARE(m_line->handshaking(), accepted ? handshaking : 2);
        termios t{};
        QCOMPARE(tcgetattr(m_pty->slave(), &t), 0);
        QTEST(cfgetospeed(&t), "speed");
        QTEST(t.c_cflag & (CSTOPB | PARODD | CMSPAR | CRTSCTS), "cflags");
        QTEST(bool(t.c_iflag & IXON), "xonXoff");
    }

    void missingDeviceIsNotFound()
    {
        m_line->setCommPort(3);
        QCOMPARE(m_line->systemLocation(), QStringLiteral("/dev/ttyS2"));
        m_line->setPortName(QStringLiteral("zkn-no-such-device"));
        QCOMPARE(m_line->systemLocation(), QStringLiteral("/dev/zkn-no-such-device"));
        QCOMPARE(m_line->commPort(), 3);
        QString error;
        QCOMPARE(m_line->open(&error), SerialLine::OpenResult::NotFound);
        QVERIFY(!error.isEmpty());
        QVERIFY(!m_line->isOpen());
        QVERIFY(!m_line->dsrHolding());
    }

    void carriesBytesExactlyBothWays()
    {
        // Control characters a cooked terminal would act on: ETX (interrupt), XON/XOFF, CR, LF, DEL.
        const QByteArray bytes = QByteArray::fromHex("0231200d0a0300111316137f80ff0d0d0a");
        QVERIFY(openLine());
        QVERIFY(m_line->dsrHolding()); // a pty has no modem lines
        QSignalSpy arrived(m_line.get(), &SerialLine::dataArrived);
        QByteArray received;
        connect(m_line.get(), &SerialLine::dataArrived, this, [&] { received += m_line->readAll(); });

        // Receive starts off: the bytes wait, untold, until it is turned on.
        QCOMPARE(::write(m_pty->master(), bytes.constData(), bytes.size()), bytes.size());
        QTRY_COMPARE_WITH_TIMEOUT(m_line->bytesWaiting(), bytes.size(), waitMs);
        QCOMPARE(arrived.size(), 0);
        m_line->setReceiveEnabled(true);
        QVERIFY(arrived.wait(waitMs));
        QCOMPARE(received, bytes);
        // Turned on again with nothing waiting: nothing to tell.
        m_line->setReceiveEnabled(false);
        m_line->setReceiveEnabled(true);
        QTest::qWait(20);
        QCOMPARE(arrived.size(), 1);
        // While on, bytes are told as they come.
        QCOMPARE(::write(m_pty->master(), bytes.constData(), bytes.size()), bytes.size());
        QTRY_COMPARE_WITH_TIMEOUT(received, bytes + bytes, waitMs);

        QCOMPARE(m_line->write(bytes), QString());
        QByteArray atMaster;
        QTRY_COMPARE_WITH_TIMEOUT((atMaster += m_pty->readMaster(), atMaster), bytes, waitMs);
    }

    void hangUpClosesOnceWithoutFlood()
    {
        QVERIFY(openLine());
        m_line->setReceiveEnabled(true);
        QSignalSpy closed(m_line.get(), &SerialLine::closed);
        QSignalSpy closedByError(m_line.get(), &SerialLine::closedByError);
        QSignalSpy arrived(m_line.get(), &SerialLine::dataArrived);
        m_pty->closeMaster();
        QVERIFY(closedByError.wait(waitMs));
        QCOMPARE(closed.size(), 1);
        const QString reason = closedByError.at(0).at(0).toString();
        const QString start = QStringLiteral("Serial device %1 went away: ").arg(m_pty->devicePath());
        QVERIFY2(reason.startsWith(start) && reason.size() > start.size(), qPrintable(reason));
        QVERIFY(!m_line->write("x").isEmpty());
        m_line->close();
        QTest::qWait(100); // a flood would show here
        QCOMPARE(closed.size(), 1);
        QCOMPARE(closedByError.size(), 1);
        QCOMPARE(arrived.size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestSerialLine)
#include "tst_serial_line.moc"
