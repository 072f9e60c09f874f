// SPDX-License-Identifier: GPL-3.0-or-later
// What a capture does when it cannot keep everything: it says so once and the link goes on;
// started while a connection stands, it keeps that connection from then on; and a serial line's
// packets keep the side they came from.
#include "capture/capture_format.h"
#include "link_capture.h"
#include "tcp_link.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtEndian>
#include <QTest>

#include <csignal>

#include <sys/resource.h>
#include <sys/socket.h>

using zkn::LinkCapture;
using zkn::capture::Side;

namespace {

// The tool's link connected to a server on this machine.
struct StandingConnection
{
    QTcpServer server;
    zkn::TcpLink link;

    bool up()
    {
        if (!server.listen(QHostAddress::LocalHost))
            return false;
        link.setRemotePort(server.serverPort());
        QSignalSpy connected(&link, &zkn::TcpLink::connected);
        return !link.connectToHost(QStringLiteral("127.0.0.1")) && connected.wait();
    }
};

} // namespace

class TestLinkCapture : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void saysOnce_data()
    {
        QTest::addColumn<bool>("fileFull"); // else the other line comes
        QTest::addColumn<QString>("said");
        QTest::newRow("the file cannot grow") << true << "Capture to %1 stopped: File too large";
        QTest::newRow("the other line")
            << false << "Capture: %1 holds the LAN link; the serial line is not captured";
    }

    void saysOnce()
    {
        QFETCH(bool, fileFull);
        QFETCH(QString, said);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("link.pcap"));
        LinkCapture capture;
        QSignalSpy failed(&capture, &LinkCapture::failed);
        QCOMPARE(capture.start(path, true), QString());
        capture.tcpOpened(QHostAddress(QStringLiteral("10.0.0.1")), 40000,
                          QHostAddress(QStringLiteral("10.0.0.2")), 60020);
        // A file size limit stands in for a full disk; its signal would end the test.
        rlimit limit{}, before{};
        ::getrlimit(RLIMIT_FSIZE, &before);
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        limit = before;
        limit.rlim_cur = rlim_t(QFileInfo(path).size() + 100);
        if (fileFull)
            ::setrlimit(RLIMIT_FSIZE, &limit);
        for (int i = 0; i < 10; ++i) {
            capture.tcpData(Side::Pbx, QByteArray(64, 'x'));
            capture.serialData(Side::Tool, "ABC");
        }
        ::setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, previous);
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.first().first().toString(), said.arg(path));
        QCOMPARE(capture.isOn(), !fileFull);
        capture.stop();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY2(!file.readAll().contains("ABC"), "the serial line's bytes are in the LAN link's capture");
    }

    void joinsAStandingConnection()
    {
        StandingConnection standing;
        QVERIFY(standing.up());
        zkn::TcpLink& link = standing.link;
        LinkCapture capture;
        capture.watch(link);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("link.pcap"));
        QCOMPARE(capture.start(path, true), QString());
        const QByteArray frame("\x16"
                               "5006010000\xFA");
        link.send(frame);
        capture.stop();
        // The file header, then one packet: no handshake, the frame pushed and acknowledging.
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(bytes.size(), 24 + 16 + 40 + frame.size());
        QCOMPARE(quint8(bytes.at(24 + 16 + 20 + 13)), quint8(0x18));
        QCOMPARE(bytes.right(frame.size()), frame);
    }

    // On the serial line each write is a packet of its own, its first byte the side it came from.
    void serialBytesKeepTheirSide()
    {
        LinkCapture capture;
        capture.setTapped(true);
        QSignalSpy made(&capture, &LinkCapture::packetMade);
        capture.serialData(Side::Tool, "\x02"
                                       "0!A");
        capture.serialData(Side::Pbx, "\x03");
        QCOMPARE(made.size(), 2);
        QCOMPARE(made[0][0].toInt(), zkn::capture::kLinkTypeSerial);
        QCOMPARE(made[0][1].toByteArray(), QByteArray("\x00\x02"
                                                      "0!A",
                                                      5));
        QCOMPARE(made[1][1].toByteArray(), QByteArray("\x01\x03"));
    }

    // A tap joins a standing connection too, and a capture file started and ended meanwhile
    // leaves it following the same connection, its sequence numbers going on, to the PBX's reset.
    void aTapFollowsAStandingConnection()
    {
        StandingConnection standing;
        QVERIFY(standing.up());
        zkn::TcpLink& link = standing.link;
        LinkCapture capture;
        capture.watch(link);
        QSignalSpy made(&capture, &LinkCapture::packetMade);
        const QByteArray frame("\x16"
                               "5006010000\xFA");
        link.send(frame);
        QCOMPARE(made.size(), 0); // neither a file nor a tap
        capture.setTapped(true);
        link.send(frame);
        QTemporaryDir dir;
        QCOMPARE(capture.start(dir.filePath(QStringLiteral("link.pcap")), true), QString());
        capture.stop();
        link.send(frame);
        // The PBX resets the connection: an RST instead of a FIN on close.
        QTcpSocket* pbx = standing.server.nextPendingConnection();
        QVERIFY(pbx);
        const linger abortive{1, 0};
        setsockopt(int(pbx->socketDescriptor()), SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
        pbx->close();
        QTRY_COMPARE(made.size(), 3);
        QCOMPARE(quint8(made[2][1].toByteArray().at(20 + 13)), quint8(0x14)); // RST, ACK
        const auto sequence = [](const QByteArray& packet) {
            return qFromBigEndian<quint32>(packet.constData() + 24);
        };
        for (const QList<QVariant>& packet : std::as_const(made))
            QCOMPARE(packet[0].toInt(), zkn::capture::kLinkTypeRaw);
        const QByteArray first = made[0][1].toByteArray(), second = made[1][1].toByteArray();
        QCOMPARE(first.right(frame.size()), frame);
        QCOMPARE(sequence(second), sequence(first) + frame.size());
    }
};

QTEST_GUILESS_MAIN(TestLinkCapture)
#include "tst_link_capture.moc"
