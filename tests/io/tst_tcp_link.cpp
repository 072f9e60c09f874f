// SPDX-License-Identifier: GPL-3.0-or-later
// The TCP adapter against a real server on loopback.
#include "byte_files.h"
#include "full_backlog.h"
#include "tcp_link.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <memory>
#include <utility>

#include <sys/socket.h>

using zkn::TcpLink;
using zkn::link::SocketState;
using States = QList<SocketState>;

namespace {

constexpr int waitMs = 5000;
const QString loopback = QStringLiteral("127.0.0.1");

States statesOf(const QSignalSpy& spy)
{
    States states;
    for (const QList<QVariant>& change : spy)
        states.append(change.at(0).value<SocketState>());
    return states;
}

} // namespace

class TestTcpLink : public QObject
{
    Q_OBJECT

    QTcpServer m_server;
    QTcpSocket* m_peer = nullptr; // the server's side of the connection
    std::unique_ptr<TcpLink> m_link;

    bool connectPair()
    {
        QSignalSpy connected(m_link.get(), &TcpLink::connected);
        m_link->connectToHost(loopback);
        m_link->send("dropped: not connected yet");
        if (!connected.wait(waitMs) ||
            !QTest::qWaitFor([&] { return m_server.hasPendingConnections(); }, waitMs))
            return false;
        m_peer = m_server.nextPendingConnection();
        return m_link->state() == SocketState::Connected;
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_server.listen(QHostAddress::LocalHost, 0));
        m_link = std::make_unique<TcpLink>();
        m_link->setRemotePort(m_server.serverPort());
    }

    void cleanup()
    {
        m_link.reset();
        delete std::exchange(m_peer, nullptr);
        m_server.close();
    }

    // Bytes cross both ways exactly. What was written just before a graceful close() still
    // reaches the peer, which sees an orderly end; a frame given after it never does.
    void carriesBytesExactly()
    {
        const QByteArray bytes = zkn::test::byteRun(256);
        QSignalSpy states(m_link.get(), &TcpLink::stateChanged);
        QVERIFY(connectPair());
        QCOMPARE(statesOf(states),
                 States({SocketState::ResolvingHost, SocketState::Connecting, SocketState::Connected}));

        // The first handler runs the event loop, as a message box does. The second half arrives
        // meanwhile and the socket does not signal it again, yet it must still be read.
        QByteArray atClient;
        connect(m_link.get(), &TcpLink::dataReceived, this, [&](const QByteArray& chunk) {
            const bool first = atClient.isEmpty();
            atClient += chunk;
            if (first) {
                m_peer->write(bytes.sliced(128));
                m_peer->flush();
                QTest::qWait(50);
            }
        });
        m_peer->write(bytes.first(128));
        QTRY_COMPARE_WITH_TIMEOUT(atClient, bytes, waitMs);

        QByteArray atServer;
        connect(m_peer, &QTcpSocket::readyRead, this, [&] { atServer += m_peer->readAll(); });
        QSignalSpy peerClosed(m_peer, &QTcpSocket::disconnected);
        QSignalSpy peerFailed(m_peer, &QTcpSocket::errorOccurred);
        QSignalSpy sent(m_link.get(), &TcpLink::frameSent);
        QSignalSpy closedHere(m_link.get(), &TcpLink::closedHere);
        m_link->send(bytes.first(100));
        m_link->send(bytes.sliced(100));
        m_link->close(true);
        QCOMPARE(m_link->state(), SocketState::Closed);
        QCOMPARE(closedHere.size(), 1);
        m_link->send("\x16#4");
        QCOMPARE(sent, (QList<QVariantList>{{bytes.first(100)}, {bytes.sliced(100)}}));

        QTRY_COMPARE_WITH_TIMEOUT(peerClosed.size(), 1, waitMs);
        QCOMPARE(atServer, bytes);
        QCOMPARE(peerFailed.size(), 1);
        QCOMPARE(m_peer->error(), QAbstractSocket::RemoteHostClosedError); // FIN, not a reset
    }

    // With reading off nothing is read and TCP holds the peer back; on again, everything comes in
    // pieces of at most 64 KB, exactly. The peer's close behind unread data comes after that data.
    void readingOffHoldsThePeerBack()
    {
        QVERIFY(connectPair());
        QByteArray received;
        qsizetype largest = 0;
        connect(m_link.get(), &TcpLink::dataReceived, this, [&](const QByteArray& chunk) {
            received += chunk;
            largest = std::max(largest, chunk.size());
        });
        QSignalSpy closed(m_link.get(), &TcpLink::closedByPeer);

        m_link->setReading(false);
        const QByteArray flood = zkn::test::byteRun(256).repeated(64 * 1024); // 16 MB
        m_peer->write(flood);
        QTest::qWait(300);
        QVERIFY(received.isEmpty());
        QCOMPARE_GT(m_peer->bytesToWrite(), flood.size() / 2);
        m_link->setReading(true);
        QTRY_COMPARE_WITH_TIMEOUT(received.size(), flood.size(), waitMs);
        QVERIFY(received == flood);
        QCOMPARE_LE(largest, TcpLink::kReadChunk);

        received.clear();
        m_link->setReading(false);
        m_peer->write(flood.first(200 * 1024));
        m_peer->disconnectFromHost();
        QTest::qWait(300);
        QVERIFY(received.isEmpty());
        QCOMPARE(closed.size(), 0);
        m_link->setReading(true);
        QTRY_COMPARE_WITH_TIMEOUT(closed.size(), 1, waitMs);
        QCOMPARE(received.size(), 200 * 1024);
    }

    void peerEndIsToldOnce_data()
    {
        QTest::addColumn<bool>("reset");
        QTest::addColumn<bool>("closedFirst"); // the tool closes before the peer's end arrives
        QTest::addColumn<SocketState>("state");
        QTest::newRow("orderly close (FIN)") << false << false << SocketState::Closing;
        QTest::newRow("reset (RST)") << true << false << SocketState::Error;
        QTest::newRow("reset after the tool's own close") << true << true << SocketState::Closed;
    }

    void peerEndIsToldOnce()
    {
        QFETCH(bool, reset);
        QFETCH(bool, closedFirst);
        QFETCH(SocketState, state);
        QVERIFY(connectPair());
        QSignalSpy closed(m_link.get(), &TcpLink::closedByPeer);
        QSignalSpy resets(m_link.get(), &TcpLink::resetByPeer);
        QSignalSpy errors(m_link.get(), &TcpLink::errorOccurred);
        QSignalSpy states(m_link.get(), &TcpLink::stateChanged);
        QByteArray received;
        connect(m_link.get(), &TcpLink::dataReceived, this, [&](const QByteArray& b) { received += b; });

        const linger abortive{1, 0}; // an RST instead of a FIN on close
        if (reset)
            setsockopt(int(m_peer->socketDescriptor()), SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
        else
            m_peer->write("last words");
        m_peer->flush();
        m_peer->close();
        if (closedFirst)
            m_link->close();
        QTRY_COMPARE_WITH_TIMEOUT(closed.size() + resets.size() + errors.size(), closedFirst ? 0 : 1, waitMs);
        QTest::qWait(50); // room for a report that must not come
        QCOMPARE(resets.size(), reset && !closedFirst ? 1 : 0);
        QCOMPARE(closed.size(), reset ? 0 : 1);
        QCOMPARE(errors.size(), 0);
        QCOMPARE(statesOf(states), States({state}));
        QCOMPARE(received, reset ? QByteArray() : QByteArray("last words"));
    }

    // The numbers the "IP-Error!" box and zkn-run give for each error the socket reports, and the
    // words the terminal says of the host when it could not be connected to.
    void errorNumbers_data()
    {
        QTest::addColumn<int>("error"); // QAbstractSocket::SocketError
        QTest::addColumn<QString>("description");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("words");
        using E = QAbstractSocket;
        const auto row = [](const char* name, E::SocketError error, const char* description, int number,
                            const char* words = "") {
            QTest::newRow(name) << int(error) << QString::fromLatin1(description) << number
                                << (*words ? QString::fromLatin1(words)
                                           : QStringLiteral("could not be connected to: ") +
                                                 QLatin1String(description));
        };
        row("refused", E::ConnectionRefusedError, "Connection refused", 10061, "refused the connection");
        row("host not found", E::HostNotFoundError, "Host not found", 11001,
            "could not be found: no such host name");
        row("time limit", E::SocketTimeoutError, "Socket operation timed out", 10060,
            "did not answer in time");
        row("access", E::SocketAccessError, "Permission denied", 10013);
        row("resources", E::SocketResourceError, "Out of resources", 10055);
        row("address in use", E::AddressInUseError, "Address in use", 10048);
        row("address not available", E::SocketAddressNotAvailableError, "Address not available", 10049);
        row("host unreachable", E::NetworkError, "Host unreachable", 10065,
            "cannot be reached from here: no route to it");
        row("network unreachable", E::NetworkError, "Network unreachable", 10051,
            "cannot be reached from here: no route to it");
        row("timed out in the kernel", E::NetworkError, "Connection timed out", 10060,
            "did not answer in time");
        row("another network error", E::NetworkError, "Broken pipe", 20007);
        row("closed by the peer", E::RemoteHostClosedError, "The remote host closed the connection", 20001);
    }

    void errorNumbers()
    {
        QFETCH(int, error);
        QFETCH(QString, description);
        const int number = TcpLink::errorNumber(QAbstractSocket::SocketError(error), description);
        QTEST(number, "number");
        QTEST(TcpLink::failureInWords(number, description), "words");
    }

    void failedConnectIsAnError_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("number"); // 0: returned by connectToHost(), not signalled
        QTest::newRow("refused") << loopback << int(TcpLink::ConnectionRefused);
        QTest::newRow("time limit") << loopback << int(TcpLink::TimedOut);
        // The system refuses a TCP connection to a multicast group inside the connect call, and
        // the failure is said in words all the same.
        QTest::newRow("failing at once") << QStringLiteral("224.0.0.1") << 0;
    }

    void failedConnectIsAnError()
    {
        QFETCH(QString, host);
        QFETCH(int, number);
        zkn::test::FullBacklog backlog;
        if (number == TcpLink::TimedOut) {
            m_link->setRemotePort(backlog.listen());
            m_link->setConnectTimeout(200);
        }
        m_server.close(); // nothing listens on its port any more
        QSignalSpy states(m_link.get(), &TcpLink::stateChanged);
        QSignalSpy errors(m_link.get(), &TcpLink::errorOccurred);

        const auto atOnce = m_link->connectToHost(host);
        QCOMPARE(bool(atOnce), number == 0);
        if (atOnce) {
            QVERIFY(atOnce->number != 0 && !atOnce->description.isEmpty());
            QCOMPARE(m_link->failureSaid(atOnce->number, atOnce->description),
                     m_link->peerName() + " cannot be reached from here: no route to it");
        }
        QTRY_COMPARE_WITH_TIMEOUT(errors.size(), number ? 1 : 0, waitMs);
        if (number) {
            QCOMPARE(errors.at(0).at(0).toInt(), number);
            QVERIFY(!errors.at(0).at(1).toString().isEmpty()); // the description
        }
        QCOMPARE(statesOf(states).last(), SocketState::Error);
        QVERIFY(!statesOf(states).contains(SocketState::Closed)); // no passing 0 before the 9
        QSignalSpy closedHere(m_link.get(), &TcpLink::closedHere);
        m_link->close();
        QCOMPARE(m_link->state(), SocketState::Closed);
        QCOMPARE(closedHere.size(), 0); // no connection stood to be closed
    }
};

QTEST_GUILESS_MAIN(TestTcpLink)
#include "tst_tcp_link.moc"
