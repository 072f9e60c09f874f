// The TCP adapter against a real server on loopback.
#include "tcp_link.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <memory>
#include <utility>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using zkn::TcpLink;
using zkn::link::SocketState;

namespace {

constexpr int waitMs = 5000;
const QString loopback = QStringLiteral("127.0.0.1");

QByteArray everyByteValue()
{
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(static_cast<char>(i));
    return bytes;
}

// Makes the far end send an RST instead of a FIN when it closes.
void resetWhenClosed(QTcpSocket* socket)
{
    const linger abortive{1, 0};
    setsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &abortive,
               sizeof abortive);
}

// A listening socket whose accept queue holds one connection and is never emptied: once that
// one is queued, the kernel drops further SYNs, so a connect there never completes.
struct FullBacklog
{
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    quint16 port = 0;
    QTcpSocket filler;

    bool listen()
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0 || ::listen(fd, 0) != 0 ||
            getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            return false;
        port = ntohs(address.sin_port);
        filler.connectToHost(QHostAddress::LocalHost, port);
        return filler.waitForConnected(waitMs);
    }
    ~FullBacklog() { ::close(fd); }
};

} // namespace

class TestTcpLink : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void carriesBytesExactlyBothWays_data();
    void carriesBytesExactlyBothWays();
    void spacesFramesInOrder_data();
    void spacesFramesInOrder();
    void toldResetFromOrderlyClose_data();
    void toldResetFromOrderlyClose();
    void refusedConnectionIsAnError();
    void connectTimeLimitIsAnError();
    void closeSilencesTheOldConnection();
    void closeSendsWhatWasHandedOverFirst();
    void connectFailingAtOnceIsReturnedNotSignalled();

private:
    // Connects m_link to m_server; m_peer is the server's side of the connection.
    bool connectPair();

    QTcpServer m_server;
    QTcpSocket* m_peer = nullptr;
    std::unique_ptr<TcpLink> m_link;
};

void TestTcpLink::init()
{
    QVERIFY(m_server.listen(QHostAddress::LocalHost, 0));
    m_link = std::make_unique<TcpLink>();
    m_link->setRemotePort(m_server.serverPort());
}

void TestTcpLink::cleanup()
{
    m_link.reset();
    delete m_peer;
    m_peer = nullptr;
    m_server.close();
}

bool TestTcpLink::connectPair()
{
    QSignalSpy connected(m_link.get(), &TcpLink::connected);
    m_link->connectToHost(loopback);
    if (!connected.wait(waitMs) || !QTest::qWaitFor([&] { return m_server.hasPendingConnections(); }, waitMs))
        return false;
    m_peer = m_server.nextPendingConnection();
    return m_peer && m_link->state() == SocketState::Connected;
}

void TestTcpLink::carriesBytesExactlyBothWays_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("health check frame") << QByteArray::fromHex("16350030303401303130");
    QTest::newRow("NUL CR LF and high bytes") << QByteArray::fromHex("000d0a1a7f80fe0dff");
    QTest::newRow("every byte value") << everyByteValue();
}

void TestTcpLink::carriesBytesExactlyBothWays()
{
    QFETCH(QByteArray, bytes);
    QSignalSpy states(m_link.get(), &TcpLink::stateChanged);
    QVERIFY(connectPair());
    QCOMPARE(states.last().at(0).value<SocketState>(), SocketState::Connected);
    QCOMPARE(states.at(states.size() - 2).at(0).value<SocketState>(), SocketState::Connecting);

    QSignalSpy sent(m_link.get(), &TcpLink::frameSent);
    m_link->send(bytes);
    QByteArray atServer;
    QTRY_COMPARE_WITH_TIMEOUT((atServer += m_peer->readAll(), atServer), bytes, waitMs);
    QCOMPARE(sent.size(), 1);
    QCOMPARE(sent.at(0).at(0).toByteArray(), bytes);

    QByteArray atClient;
    connect(m_link.get(), &TcpLink::dataReceived, this, [&](const QByteArray& b) { atClient += b; });
    m_peer->write(bytes);
    QTRY_COMPARE_WITH_TIMEOUT(atClient, bytes, waitMs);
}

void TestTcpLink::spacesFramesInOrder_data()
{
    QTest::addColumn<int>("spacing");
    QTest::newRow("default 20 ms") << 20;
    QTest::newRow("45 ms") << 45;
}

void TestTcpLink::spacesFramesInOrder()
{
    QFETCH(int, spacing);
    if (spacing != 20)
        m_link->setSendSpacing(spacing);
    QVERIFY(connectPair());
    const QList<QByteArray> frames = {QByteArray::fromHex("1631"), QByteArray::fromHex("163232"),
                                      QByteArray::fromHex("16333333"), QByteArray::fromHex("1634343434")};

    // Each chunk the server reads is stamped on arrival; a frame arrives with the chunk holding
    // its first byte.
    QElapsedTimer clock;
    clock.start();
    QByteArray atServer;
    QList<qint64> byteArrivalNs;
    connect(m_peer, &QTcpSocket::readyRead, this, [&] {
        const QByteArray chunk = m_peer->readAll();
        atServer += chunk;
        byteArrivalNs.insert(byteArrivalNs.size(), chunk.size(), clock.nsecsElapsed());
    });
    QSignalSpy sent(m_link.get(), &TcpLink::frameSent);
    const qint64 handedOverNs = clock.nsecsElapsed();
    for (const QByteArray& frame : frames)
        m_link->send(frame);

    QTRY_COMPARE_WITH_TIMEOUT(atServer, frames.join(), waitMs);
    QCOMPARE(sent.size(), frames.size());
    const qint64 minimumNs = (spacing - 1) * qint64(1000000);
    qint64 previousNs = handedOverNs;
    qsizetype offset = 0;
    for (qsizetype i = 0; i < frames.size(); ++i) {
        QCOMPARE(sent.at(i).at(0).toByteArray(), frames.at(i));
        const qint64 arrivalNs = byteArrivalNs.at(offset);
        QVERIFY2(arrivalNs - previousNs >= minimumNs,
                 qPrintable(QStringLiteral("frame %1 came %2 us after the one before")
                                .arg(i)
                                .arg((arrivalNs - previousNs) / 1000)));
        previousNs = arrivalNs;
        offset += frames.at(i).size();
    }
}

void TestTcpLink::toldResetFromOrderlyClose_data()
{
    QTest::addColumn<bool>("reset");
    QTest::newRow("orderly close (FIN)") << false;
    QTest::newRow("reset (RST)") << true;
}

void TestTcpLink::toldResetFromOrderlyClose()
{
    QFETCH(bool, reset);
    QVERIFY(connectPair());
    QSignalSpy closed(m_link.get(), &TcpLink::closedByPeer);
    QSignalSpy resets(m_link.get(), &TcpLink::resetByPeer);
    QSignalSpy errors(m_link.get(), &TcpLink::errorOccurred);
    QByteArray received;
    connect(m_link.get(), &TcpLink::dataReceived, this, [&](const QByteArray& b) { received += b; });

    if (reset) {
        resetWhenClosed(m_peer);
    } else {
        m_peer->write(QByteArray::fromHex("16360030303401"));
        m_peer->flush();
    }
    m_peer->close();
    QTRY_COMPARE_WITH_TIMEOUT(closed.size() + resets.size() + errors.size(), 1, waitMs);
    QTest::qWait(100); // room for a second report, which must not come
    QCOMPARE(resets.size(), reset ? 1 : 0);
    QCOMPARE(closed.size(), reset ? 0 : 1);
    QCOMPARE(errors.size(), 0);
    QCOMPARE(m_link->state(), reset ? SocketState::Error : SocketState::Closing);
    if (!reset)
        QCOMPARE(received, QByteArray::fromHex("16360030303401"));

    m_link->close();
    QCOMPARE(m_link->state(), SocketState::Closed);
}

void TestTcpLink::refusedConnectionIsAnError()
{
    m_server.close(); // nothing listens on the port any more
    QSignalSpy states(m_link.get(), &TcpLink::stateChanged);
    QSignalSpy errors(m_link.get(), &TcpLink::errorOccurred);
    QSignalSpy connected(m_link.get(), &TcpLink::connected);
    m_link->connectToHost(loopback);
    QVERIFY(errors.wait(waitMs));
    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors.at(0).at(0).toInt(), 10061);
    QVERIFY(!errors.at(0).at(1).toString().isEmpty());
    QCOMPARE(m_link->state(), SocketState::Error);
    QCOMPARE(states.last().at(0).value<SocketState>(), SocketState::Error);
    for (const QList<QVariant>& change : std::as_const(states))
        QVERIFY(change.at(0).value<SocketState>() != SocketState::Closed); // no passing 0 before the 9
    QCOMPARE(connected.size(), 0);
    m_link->close();
    QCOMPARE(m_link->state(), SocketState::Closed);
}

void TestTcpLink::connectTimeLimitIsAnError()
{
    FullBacklog backlog;
    QVERIFY(backlog.listen());
    m_link->setRemotePort(backlog.port);
    m_link->setConnectTimeout(200);
    QSignalSpy errors(m_link.get(), &TcpLink::errorOccurred);
    QSignalSpy connected(m_link.get(), &TcpLink::connected);
    m_link->connectToHost(loopback);
    QCOMPARE(m_link->state(), SocketState::Connecting);
    QVERIFY(errors.wait(waitMs));
    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors.at(0).at(0).toInt(), 10060);
    QCOMPARE(m_link->state(), SocketState::Error);
    QCOMPARE(connected.size(), 0);
}

void TestTcpLink::closeSilencesTheOldConnection()
{
    QVERIFY(connectPair());
    QSignalSpy states(m_link.get(), &TcpLink::stateChanged);
    QSignalSpy data(m_link.get(), &TcpLink::dataReceived);
    QSignalSpy sent(m_link.get(), &TcpLink::frameSent);
    QSignalSpy closed(m_link.get(), &TcpLink::closedByPeer);
    QSignalSpy resets(m_link.get(), &TcpLink::resetByPeer);
    QSignalSpy errors(m_link.get(), &TcpLink::errorOccurred);

    // The peer's bytes and reset are already on their way when the adapter closes.
    m_peer->write(QByteArray::fromHex("16320030303403"));
    m_peer->flush();
    resetWhenClosed(m_peer);
    m_peer->close();
    m_link->close();
    QCOMPARE(m_link->state(), SocketState::Closed);
    QCOMPARE(states.size(), 1);

    QTest::qWait(100); // anything the old connection still had would arrive now
    QCOMPARE(states.size(), 1);
    QCOMPARE(data.size() + sent.size() + closed.size() + resets.size() + errors.size(), 0);

    // The same adapter connects afresh and carries bytes again.
    QByteArray atServer;
    delete std::exchange(m_peer, nullptr);
    QVERIFY(connectPair());
    m_link->send(QByteArray::fromHex("1635"));
    QTRY_COMPARE_WITH_TIMEOUT((atServer += m_peer->readAll(), atServer), QByteArray::fromHex("1635"), waitMs);
}

void TestTcpLink::closeSendsWhatWasHandedOverFirst()
{
    QVERIFY(connectPair());
    QSignalSpy sent(m_link.get(), &TcpLink::frameSent);
    QSignalSpy data(m_link.get(), &TcpLink::dataReceived);
    const QList<QByteArray> frames = {QByteArray::fromHex("1634303035303130373030"),
                                      QByteArray::fromHex("1634303035303130383030")};
    QElapsedTimer clock;
    clock.start();
    for (const QByteArray& frame : frames)
        m_link->send(frame);
    m_link->close();
    QCOMPARE(m_link->state(), SocketState::Closed);
    m_link->send(QByteArray::fromHex("1635")); // after the close: never sent

    QByteArray atServer;
    QSignalSpy peerClosed(m_peer, &QTcpSocket::disconnected);
    QTRY_VERIFY_WITH_TIMEOUT((atServer += m_peer->readAll(), peerClosed.size() == 1), waitMs);
    atServer += m_peer->readAll();
    QCOMPARE(atServer, frames.join());
    QVERIFY(clock.elapsed() >= 2 * 20 - 1); // each still waited for its spacing
    QCOMPARE(sent.size(), frames.size());
    QCOMPARE(data.size(), 0);
}

void TestTcpLink::connectFailingAtOnceIsReturnedNotSignalled()
{
    QSignalSpy errors(m_link.get(), &TcpLink::errorOccurred);
    // The system refuses a TCP connection to a multicast group inside the connect call.
    const QString error = m_link->connectToHost(QStringLiteral("224.0.0.1"));
    QVERIFY2(!error.isEmpty(), "the connect call did not fail at once");
    QCOMPARE(m_link->state(), SocketState::Error);
    QTest::qWait(50);
    QCOMPARE(errors.size(), 0);
    m_link->close();
    QCOMPARE(m_link->state(), SocketState::Closed);
}

QTEST_GUILESS_MAIN(TestTcpLink)
#include "tst_tcp_link.moc"
