// SPDX-License-Identifier: GPL-3.0-or-later
// The relay between a message centre and the PBX over real loopback sockets: bytes both ways at
// once and unchanged, a FIN passed on after the bytes before it, a reset as a reset, a PBX that
// refuses or does not answer, addresses not allowed.
#include "full_backlog.h"
#include "tcp_relay.h"

#include <QSignalSpy>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

using zkn::TcpRelay;
using zkn::monitor::Side;

namespace {

constexpr int waitMs = 5000;

// One end of a connection, read without blocking so the relay's event loop runs meanwhile.
struct Peer
{
    int fd = -1;
    QByteArray got;
    bool finished = false; // a FIN came
    int error = 0;

    ~Peer()
    {
        if (fd >= 0)
            ::close(fd);
    }
    void poll()
    {
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n > 0) {
                got.append(buffer, n);
                continue;
            }
            if (n == 0)
                finished = true;
            else if (errno != EAGAIN)
                error = errno;
            return;
        }
    }
    bool waitFor(const std::function<bool(const Peer&)>& done)
    {
        return QTest::qWaitFor(
            [&] {
                poll();
                return done(*this);
            },
            waitMs);
    }
    void send(const QByteArray& bytes)
    {
        ::send(fd, bytes.constData(), std::size_t(bytes.size()), MSG_NOSIGNAL);
    }
    void reset()
    {
        const linger now{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &now, sizeof now);
        ::close(fd);
        fd = -1;
    }
};

sockaddr_in loopback(quint16 port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

bool connectTo(Peer& peer, quint16 port)
{
    peer.fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in address = loopback(port);
    return ::connect(peer.fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

// The PBX: a listener whose connections are taken as they come.
struct Pbx
{
    int listener = -1;
    quint16 port = 0;

    Pbx()
    {
        listener = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        sockaddr_in address = loopback(0);
        socklen_t size = sizeof address;
        ::bind(listener, reinterpret_cast<sockaddr*>(&address), size);
        ::listen(listener, 4);
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
        port = ntohs(address.sin_port);
    }
    ~Pbx() { ::close(listener); }
    bool accept(Peer& peer)
    {
        return QTest::qWaitFor(
            [&] {
                peer.fd = ::accept(listener, nullptr, nullptr);
                return peer.fd >= 0;
            },
            waitMs);
    }
};

TcpRelay::Options relayTo(quint16 pbxPort)
{
    TcpRelay::Options options;
    options.listenAddress = QHostAddress::LocalHost;
    options.listenPort = 0;
    options.pbx = QHostAddress::LocalHost;
    options.pbxPort = pbxPort;
    return options;
}

// What the relay reported, one word each: "mc:BYTES", "pbx:BYTES", "end mc", "reset pbx", ...
QStringList reports(const QSignalSpy& passed, const QSignalSpy& ending)
{
    QStringList seen;
    for (const QList<QVariant>& p : passed)
        seen << QString::fromLatin1(zkn::monitor::sideName(p.at(2).value<Side>())) + QLatin1Char(':') +
                    QString::fromLatin1(p.at(3).toByteArray());
    for (const QList<QVariant>& e : ending)
        seen << (e.at(3).toBool() ? QStringLiteral("reset ") : QStringLiteral("end ")) +
                    QString::fromLatin1(zkn::monitor::sideName(e.at(2).value<Side>()));
    return seen;
}

} // namespace

class TestTcpRelay : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { qRegisterMetaType<Side>(); }

    void bytesBothWaysThenFinsInTurn()
    {
        Pbx pbx;
        TcpRelay relay(relayTo(pbx.port));
        QCOMPARE(relay.listen(), std::nullopt);
        QSignalSpy passed(&relay, &TcpRelay::passed);
        QSignalSpy ending(&relay, &TcpRelay::ending);
        QSignalSpy finished(&relay, &TcpRelay::finished);
        Peer mc;
        Peer pbxEnd;
        QVERIFY(connectTo(mc, relay.port()));
        QVERIFY(pbx.accept(pbxEnd));
        const QByteArray request("\x16"
                                 "5006"
                                 "0100"
                                 "00"
                                 "\xfa",
                                 11);
        mc.send(request);
        QVERIFY(pbxEnd.waitFor([&](const Peer& p) { return p.got == request; }));
        pbxEnd.send("answer, broken \x16"
                    "3");
        QVERIFY(mc.waitFor([](const Peer& p) {
            return p.got == "answer, broken \x16"
                            "3";
        }));
        // The message centre's FIN: its last bytes first, then the FIN; the PBX may still answer.
        mc.send("last");
        ::shutdown(mc.fd, SHUT_WR);
        QVERIFY(pbxEnd.waitFor([](const Peer& p) { return p.finished; }));
        QCOMPARE(pbxEnd.got, request + "last");
        pbxEnd.send("after");
        QVERIFY(mc.waitFor([](const Peer& p) { return p.got.endsWith("after"); }));
        ::close(pbxEnd.fd);
        pbxEnd.fd = -1;
        QVERIFY(mc.waitFor([](const Peer& p) { return p.finished; }));
        QVERIFY(finished.size() == 1 || finished.wait(waitMs));
        QCOMPARE(reports(passed, ending), QStringList({QString::fromLatin1(QByteArray("mc:") + request),
                                                       QStringLiteral("pbx:answer, broken \x16"
                                                                      "3"),
                                                       QStringLiteral("mc:last"), QStringLiteral("pbx:after"),
                                                       QStringLiteral("end mc")}));
        QCOMPARE(relay.connectionsOpen(), 0);
    }

    void aResetIsPassedOnAsAReset_data()
    {
        QTest::addColumn<bool>("byPbx");
        QTest::newRow("by the PBX") << true;
        QTest::newRow("by the message centre") << false;
    }
    void aResetIsPassedOnAsAReset()
    {
        QFETCH(bool, byPbx);
        Pbx pbx;
        TcpRelay relay(relayTo(pbx.port));
        QCOMPARE(relay.listen(), std::nullopt);
        QSignalSpy ending(&relay, &TcpRelay::ending);
        Peer mc;
        Peer pbxEnd;
        QVERIFY(connectTo(mc, relay.port()));
        QVERIFY(pbx.accept(pbxEnd));
        mc.send("x");
        QVERIFY(pbxEnd.waitFor([](const Peer& p) { return p.got == "x"; }));
        Peer& resetting = byPbx ? pbxEnd : mc;
        Peer& other = byPbx ? mc : pbxEnd;
        resetting.reset();
        QVERIFY(other.waitFor([](const Peer& p) { return p.error != 0 || p.finished; }));
        QCOMPARE(other.error, ECONNRESET);
        QVERIFY(ending.size() == 1 || ending.wait(waitMs));
        QCOMPARE(ending.at(0).at(2).value<Side>(), byPbx ? Side::Pbx : Side::Mc);
        QCOMPARE(ending.at(0).at(3).toBool(), true);
    }

    void aPbxThatRefusesResetsTheMessageCentre()
    {
        quint16 closedPort = 0;
        {
            Pbx gone;
            closedPort = gone.port;
        }
        TcpRelay relay(relayTo(closedPort));
        QCOMPARE(relay.listen(), std::nullopt);
        QSignalSpy failed(&relay, &TcpRelay::failed);
        Peer mc;
        QVERIFY(connectTo(mc, relay.port()));
        QVERIFY(mc.waitFor([](const Peer& p) { return p.error != 0 || p.finished; }));
        QCOMPARE(mc.error, ECONNRESET);
        QVERIFY(failed.size() == 1 || failed.wait(waitMs));
        QVERIFY2(failed.at(0).at(2).toString().contains(QLatin1String("refused the relay's connection")),
                 qPrintable(failed.at(0).at(2).toString()));
    }

    void aPbxThatDoesNotAnswerClosesTheMessageCentre()
    {
        zkn::test::FullBacklog silent;
        const quint16 port = silent.listen();
        QVERIFY(port != 0);
        TcpRelay::Options options = relayTo(port);
        options.connectLimitMs = 200;
        TcpRelay relay(options);
        QCOMPARE(relay.listen(), std::nullopt);
        QSignalSpy failed(&relay, &TcpRelay::failed);
        Peer mc;
        QVERIFY(connectTo(mc, relay.port()));
        mc.send("waits");
        QVERIFY(mc.waitFor([](const Peer& p) { return p.error != 0 || p.finished; }));
        QCOMPARE(mc.error, 0); // closed, not reset
        QCOMPARE(failed.size(), 1);
        QVERIFY2(failed.at(0).at(2).toString().contains(QLatin1String("did not answer within 0.2 s")),
                 qPrintable(failed.at(0).at(2).toString()));
    }

    void onlyTheAddressesAllowed()
    {
        Pbx pbx;
        TcpRelay::Options options = relayTo(pbx.port);
        options.allowed = {QHostAddress(QStringLiteral("192.0.2.7"))};
        TcpRelay relay(options);
        QCOMPARE(relay.listen(), std::nullopt);
        QSignalSpy turnedAway(&relay, &TcpRelay::turnedAway);
        Peer mc;
        QVERIFY(connectTo(mc, relay.port()));
        QVERIFY(mc.waitFor([](const Peer& p) { return p.error != 0 || p.finished; }));
        QCOMPARE(turnedAway.size(), 1);
        QCOMPARE(turnedAway.at(0).at(1).toString(),
                 QStringLiteral("a connection from 127.0.0.1 turned away: not allowed"));
        QCOMPARE(relay.connectionsOpen(), 0);
    }

    // A PBX that does not read: the relay stops reading the message centre once its bound waits,
    // and TCP holds the message centre back; nothing is lost when the PBX reads again.
    void aSlowPbxHoldsTheSenderBack()
    {
        Pbx pbx;
        TcpRelay relay(relayTo(pbx.port));
        QCOMPARE(relay.listen(), std::nullopt);
        qint64 passed = 0;
        connect(&relay, &TcpRelay::passed, this,
                [&passed](int, qint64, Side, const QByteArray& bytes) { passed += bytes.size(); });
        Peer mc;
        Peer pbxEnd;
        QVERIFY(connectTo(mc, relay.port()));
        QVERIFY(pbx.accept(pbxEnd));
        QByteArray sent;
        const auto sendWhatFits = [&] {
            QByteArray chunk(65536, '\0');
            for (qsizetype i = 0; i < chunk.size(); ++i)
                chunk[i] = char((sent.size() + i) % 251);
            const ssize_t n =
                ::send(mc.fd, chunk.constData(), std::size_t(chunk.size()), MSG_DONTWAIT | MSG_NOSIGNAL);
            if (n > 0)
                sent += chunk.left(n);
        };
        qint64 passedBefore = -1;
        for (int round = 0; round < 40 && passed != passedBefore; ++round) {
            passedBefore = passed;
            for (int i = 0; i < 20; ++i) {
                sendWhatFits();
                QTest::qWait(5);
            }
        }
        QCOMPARE(passed, passedBefore); // the relay stopped reading
        QVERIFY(sent.size() > passed);  // the rest waits in the message centre's socket
        QVERIFY(pbxEnd.waitFor([&](const Peer& p) { return p.got.size() == sent.size(); }));
        QVERIFY(pbxEnd.got == sent);
    }

    void anAddressInUseIsSaid()
    {
        Pbx pbx;
        TcpRelay first(relayTo(pbx.port));
        QCOMPARE(first.listen(), std::nullopt);
        TcpRelay::Options options = relayTo(pbx.port);
        options.listenPort = first.port();
        TcpRelay second(options);
        QCOMPARE(second.listen(), std::optional<QString>(QStringLiteral("Address already in use")));
    }
};

QTEST_MAIN(TestTcpRelay)
#include "tst_tcp_relay.moc"
