// SPDX-License-Identifier: GPL-3.0-or-later
// The serial adapter on a real pseudo-terminal pair: the adapter opens the slave side, the test
// plays the far end on the master side. Then text files sent over it as they are on disk.
#include "byte_files.h"
#include "pty_pair.h"
#include "serial_line.h"
#include "serial_port_list.h"
#include "text_file_sender.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

using zkn::SerialLine;
using zkn::TextFileSender;
using zkn::test::byteRun;

class TestSerialLine : public QObject
{
    Q_OBJECT

    static constexpr int waitMs = 5000;
    static constexpr qsizetype blockSize = SerialLine::OutputBufferSize;
    QTemporaryDir m_dir;
    std::unique_ptr<zkn::test::PtyPair> m_pty;
    std::unique_ptr<SerialLine> m_line;
    QByteArray m_farEnd; // what has reached the far end

    bool openLine()
    {
        m_line->setPortName(m_pty->devicePath());
        return m_line->open(nullptr) == SerialLine::OpenResult::Opened && m_line->isOpen();
    }

    QByteArray farEnd() { return m_farEnd += m_pty->readMaster(); }

    // A file of `size` bytes in the test's folder; a sender refuses the empty name of one not written.
    QString fileOf(qsizetype size)
    {
        QFile file(m_dir.filePath(QString::number(size)));
        return file.open(QIODevice::WriteOnly) && file.write(byteRun(size)) == size ? file.fileName()
                                                                                    : QString();
    }

    // Runs what is due without waiting: a block the sender hands over too early shows after it.
    static void settle()
    {
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents();
    }

private Q_SLOTS:
    void init()
    {
        m_pty = std::make_unique<zkn::test::PtyPair>();
        QVERIFY(m_pty->isValid());
        m_line = std::make_unique<SerialLine>();
        m_farEnd.clear();
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
    // A pseudo-terminal has no modem lines or error counters, so the events between two polls
    // are worked out here from the snapshots a real port would give.
    void lineEvents_data()
    {
        QTest::addColumn<QList<int>>("before"); // lines, breaks, framing, overruns, parity
        QTest::addColumn<QList<int>>("now");
        QTest::addColumn<QString>("events");
        const int lines = TIOCM_CTS | TIOCM_DSR | TIOCM_CD;
        QTest::newRow("nothing changed")
            << QList<int>{lines, 1, 1, 1, 1} << QList<int>{lines, 1, 1, 1, 1} << "";
        QTest::newRow("CTS, DSR and CD up")
            << QList<int>{0, 0, 0, 0, 0} << QList<int>{lines, 0, 0, 0, 0} << "CTS DSR CD";
        QTest::newRow("CD down") << QList<int>{lines, 0, 0, 0, 0}
                                 << QList<int>{TIOCM_CTS | TIOCM_DSR, 0, 0, 0, 0} << "CD";
        QTest::newRow("a ring coming, not going")
            << QList<int>{0, 0, 0, 0, 0} << QList<int>{TIOCM_RI, 0, 0, 0, 0} << "ring";
        QTest::newRow("a ring going") << QList<int>{TIOCM_RI, 0, 0, 0, 0} << QList<int>{0, 0, 0, 0, 0} << "";
        QTest::newRow("every counter grew")
            << QList<int>{0, 1, 2, 3, 4} << QList<int>{0, 2, 3, 4, 5} << "break framing overrun parity";
        QTest::newRow("counters reset by the driver")
            << QList<int>{0, 5, 5, 5, 5} << QList<int>{0, 0, 0, 0, 0} << "";
    }

    void lineEvents()
    {
        QFETCH(QList<int>, before);
        QFETCH(QList<int>, now);
        const auto snapshot = [](const QList<int>& v) {
            return zkn::LineSnapshot{v[0], v[1], v[2], v[3], v[4]};
        };
        using E = zkn::link::SerialEvent;
        const std::map<E, const char*> names{{E::CtsChange, "CTS"},        {E::DsrChange, "DSR"},
                                             {E::CdChange, "CD"},          {E::Ring, "ring"},
                                             {E::Break, "break"},          {E::FramingError, "framing"},
                                             {E::OverrunError, "overrun"}, {E::ParityError, "parity"}};
        QStringList events;
        for (const E event : zkn::lineEventsBetween(snapshot(before), snapshot(now)))
            events.append(QLatin1String(names.at(event)));
        QTEST(events.join(' '), "events");
    }

    void settingsReachThePort_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("handshaking");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<speed_t>("speed");
        QTest::addColumn<tcflag_t>("cflags"); // which of CSTOPB, PARODD, CMSPAR, CRTSCTS are set
        QTest::addColumn<bool>("xonXoff");
        const auto row = [](const char* name, const char* text, int handshaking, speed_t speed,
                            tcflag_t cflags, bool xonXoff) {
            QTest::newRow(name) << QString::fromLatin1(text) << handshaking << true << speed << cflags
                                << xonXoff;
        };
        const auto refused = [](const char* name, const char* text, int handshaking) {
            QTest::newRow(name) << QString::fromLatin1(text) << handshaking << false << speed_t(B4800)
                                << tcflag_t(CSTOPB | CRTSCTS) << false;
        };
        row("9600,N,8,1, none", "9600,N,8,1", 0, B9600, 0, false);
        row("19200,O,8,2, XON/XOFF", "19200,O,8,2", 1, B19200, CSTOPB | PARODD, true);
        row("4800,M,8,1, RTS", "4800,M,8,1", 2, B4800, PARODD | CMSPAR | CRTSCTS, false);
        // The port cannot do both; RTS protects the receiver, so it wins.
        row("2400,s,8,2, RTS and XON/XOFF", "2400,s,8,2", 3, B2400, CSTOPB | CMSPAR | CRTSCTS, false);
        refused("unknown parity letter", "9600,x,8,1", 2);
        refused("4 data bits", "9600,n,4,1", 2);
        refused("1.5 stop bits", "9600,n,8,1.5", 2);
        refused("handshaking -1", "9600,n,8,1", -1);
        refused("handshaking 4", "9600,n,8,1", 4);
        // The pty takes the speed, then refuses 7 bits; the speed in use must come back.
        refused("7 data bits", "19200,e,7,1", 2);
        row("5 data bits, the fewest", "9600,n,5,1", 0, B9600, 0, false);
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
        QCOMPARE(error.contains(QStringLiteral("4 data bits")), text.contains(QStringLiteral(",4,")));
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

    // A by-id link is matched to the port it points at, through the device's real name; a link
    // to another device, and a port without one, keep no by-id name.
    void byIdNamesFound()
    {
        QTemporaryDir byId;
        const QString adapter = byId.filePath(QStringLiteral("usb-FTDI_FT232R_USB_UART_A12345-if00-port0"));
        QVERIFY(QFile::link(m_pty->devicePath(), adapter));
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), byId.filePath(QStringLiteral("usb-other-if00"))));
        zkn::test::PtyPair other;
        QList<zkn::SerialPortFacts> ports{{m_pty->devicePath(), {}, {}, {}, {}},
                                          {other.devicePath(), {}, {}, {}, {}}};
        zkn::addByIdNames(ports, byId.path());
        QCOMPARE(ports[0].byId, adapter);
        QCOMPARE(ports[0].name(), adapter);
        QCOMPARE(ports[1].byId, QString());
        // Chosen by its device or its link, it is kept by the link; an unknown name as it was typed.
        QCOMPARE(zkn::stablePortName(ports, m_pty->devicePath()), adapter);
        QCOMPARE(zkn::stablePortName(ports, QStringLiteral(" ") + adapter), adapter);
        QCOMPARE(zkn::stablePortName(ports, QStringLiteral("/dev/pts/9999")),
                 QStringLiteral("/dev/pts/9999"));
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
        // While off, no more than the input buffer is read ahead; the rest waits in the driver.
        m_line->setReceiveEnabled(false);
        const QByteArray more = byteRun(8 * 1024); // within what the driver takes
        QCOMPARE(::write(m_pty->master(), more.constData(), more.size()), more.size());
        QTRY_COMPARE_WITH_TIMEOUT(m_line->bytesWaiting(), SerialLine::InputBufferSize, waitMs);
        QTest::qWait(50);
        QCOMPARE(m_line->bytesWaiting(), SerialLine::InputBufferSize);
        m_line->setReceiveEnabled(true);
        QTRY_COMPARE_WITH_TIMEOUT(received, bytes + bytes + more, waitMs);

        QCOMPARE(m_line->write(bytes), QString());
        QTRY_COMPARE_WITH_TIMEOUT(farEnd(), bytes, waitMs);
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

    void farEndGetsTheFileExactly_data()
    {
        QTest::addColumn<qsizetype>("size");
        QTest::newRow("empty") << qsizetype(0);
        QTest::newRow("one full block") << blockSize;
        QTest::newRow("3 blocks and 7 bytes") << 3 * blockSize + 7;
    }

    void farEndGetsTheFileExactly()
    {
        QFETCH(qsizetype, size);
        QVERIFY(openLine());
        TextFileSender sender(*m_line, [this](const QByteArray& block) { return m_line->write(block); });
        QSignalSpy finished(&sender, &TextFileSender::finished);
        // What the port holds as each block is handed over: that block alone, once the one before
        // has left.
        QList<qint64> pending;
        connect(&sender, &TextFileSender::blockWritten, this,
                [&] { pending.append(m_line->bytesToWrite()); });
        QList<qint64> blocks;
        for (qsizetype left = size; left > 0; left -= blockSize)
            blocks.append(std::min(left, blockSize));

        // A file that cannot be read starts nothing, and leaves nothing behind to block the next.
        QVERIFY(!sender.start(m_dir.filePath(QStringLiteral("missing.txt"))).isEmpty());
        QVERIFY(!sender.isRunning());
        QCOMPARE(sender.start(fileOf(size)), QString());
        QVERIFY(sender.isRunning());
        QVERIFY(finished.isEmpty()); // even an empty file ends from the event loop
        QVERIFY(QTest::qWaitFor([&] { return farEnd().size() == size && !finished.isEmpty(); }, waitMs));
        sender.cancel(); // nothing left to cancel: no second end
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.at(0).at(0).toString(), QString());
        QVERIFY(!sender.isRunning());
        QCOMPARE(m_farEnd, byteRun(size));
        QCOMPARE(pending, blocks);
    }

    // The far end holds the line with XOFF, so the first block stays in the port.
    void heldLineHoldsTheNextBlockAndCancelEndsAtOnce()
    {
        QVERIFY(openLine());
        TextFileSender sender(*m_line, [this](const QByteArray& block) { return m_line->write(block); });
        QVERIFY(m_line->setHandshaking(1, nullptr));
        QCOMPARE(::write(m_pty->master(), "\x13", 1), 1);
        pollfd slave{m_pty->slave(), POLLOUT, 0};
        QTRY_VERIFY_WITH_TIMEOUT(::poll(&slave, 1, 0) == 0, waitMs); // the pty has taken the XOFF
        QSignalSpy blocks(&sender, &TextFileSender::blockWritten);
        QSignalSpy finished(&sender, &TextFileSender::finished);
        QCOMPARE(sender.start(fileOf(3 * blockSize)), QString());
        QVERIFY(blocks.wait(waitMs));
        settle();
        QCOMPARE(blocks.size(), 1);
        QCOMPARE(m_line->bytesToWrite(), blockSize);

        sender.cancel();
        QCOMPARE(finished.size(), 1); // at once: it does not wait for the block in flight to leave
        QVERIFY(!sender.isRunning());
        // The block handed to the port still goes out whole; nothing follows it.
        QCOMPARE(::write(m_pty->master(), "\x11", 1), 1);
        QTRY_COMPARE_WITH_TIMEOUT(farEnd().size(), blockSize, waitMs);
        settle();
        QCOMPARE(farEnd(), byteRun(blockSize));
        QCOMPARE(blocks.size(), 1);
        QCOMPARE(finished.size(), 1);
        // Cancelled before its first block, a transmission sends nothing.
        QCOMPARE(sender.start(fileOf(blockSize)), QString());
        sender.cancel();
        settle();
        QCOMPARE(blocks.size(), 1);
        QCOMPARE(finished.size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestSerialLine)
#include "tst_serial_line.moc"
