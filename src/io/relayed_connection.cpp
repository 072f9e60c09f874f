// SPDX-License-Identifier: GPL-3.0-or-later
#include "relayed_connection.h"

#include "system_clock.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zkn {

namespace {

using monitor::Side;

QString errorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

void setNoDelay(int socket)
{
    const int on = 1;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

} // namespace

RelayedConnection::RelayedConnection(int number, int mcSocket, const QHostAddress& pbx, quint16 pbxPort,
                                     int connectLimitMs, QObject* parent)
    : QObject(parent), m_number(number), m_pbx(pbx), m_pbxPort(pbxPort)
{
    m_mc.socket = mcSocket;
    m_mc.side = Side::Mc;
    m_mc.connected = true;
    m_pbxLeg.side = Side::Pbx;
    setNoDelay(mcSocket);
    m_connectLimit.setSingleShot(true);
    m_connectLimit.setInterval(connectLimitMs);
    connect(&m_connectLimit, &QTimer::timeout, this, &RelayedConnection::pbxDidNotAnswer);
}

RelayedConnection::~RelayedConnection()
{
    closeLeg(m_mc, false);
    closeLeg(m_pbxLeg, false);
}

void RelayedConnection::watch(Leg& leg)
{
    Leg& other = &leg == &m_mc ? m_pbxLeg : m_mc;
    leg.readable = new QSocketNotifier(leg.socket, QSocketNotifier::Read, this);
    leg.writable = new QSocketNotifier(leg.socket, QSocketNotifier::Write, this);
    leg.writable->setEnabled(false);
    connect(leg.readable, &QSocketNotifier::activated, this, [this, &leg, &other] { read(leg, other); });
    connect(leg.writable, &QSocketNotifier::activated, this, [this, &leg, &other] {
        if (leg.connected)
            flush(leg, other);
        else
            connectDone();
    });
}

void RelayedConnection::start()
{
    watch(m_mc);
    const bool v6 = m_pbx.protocol() == QAbstractSocket::IPv6Protocol;
    m_pbxLeg.socket = ::socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_pbxLeg.socket < 0) {
        Q_EMIT failed(m_number, epochNowUs(),
                      QStringLiteral("no socket for the PBX: %1").arg(errorText(errno)));
        closeLeg(m_mc, true);
        finishIfDone();
        return;
    }
    setNoDelay(m_pbxLeg.socket);
    sockaddr_storage address{};
    socklen_t size = 0;
    if (v6) {
        auto* in6 = reinterpret_cast<sockaddr_in6*>(&address);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(m_pbxPort);
        const Q_IPV6ADDR bytes = m_pbx.toIPv6Address();
        std::memcpy(&in6->sin6_addr, &bytes, sizeof bytes);
        size = sizeof *in6;
    } else {
        auto* in4 = reinterpret_cast<sockaddr_in*>(&address);
        in4->sin_family = AF_INET;
        in4->sin_port = htons(m_pbxPort);
        in4->sin_addr.s_addr = htonl(m_pbx.toIPv4Address());
        size = sizeof *in4;
    }
    watch(m_pbxLeg);
    m_pbxLeg.readable->setEnabled(false);
    if (::connect(m_pbxLeg.socket, reinterpret_cast<sockaddr*>(&address), size) == 0) {
        pbxConnected();
        return;
    }
    if (errno != EINPROGRESS) {
        pbxRefused(errno);
        return;
    }
    // The connect is done when the socket can be written.
    m_pbxLeg.writable->setEnabled(true);
    m_connectLimit.start();
}

void RelayedConnection::connectDone()
{
    int error = 0;
    socklen_t size = sizeof error;
    ::getsockopt(m_pbxLeg.socket, SOL_SOCKET, SO_ERROR, &error, &size);
    if (error != 0) {
        pbxRefused(error);
        return;
    }
    m_pbxLeg.writable->setEnabled(false);
    pbxConnected();
}

void RelayedConnection::pbxRefused(int error)
{
    m_connectLimit.stop();
    Q_EMIT failed(m_number, epochNowUs(),
                  QStringLiteral("the PBX at %1 port %2 refused the relay's connection (%3): the message "
                                 "centre's connection is reset")
                      .arg(m_pbx.toString())
                      .arg(m_pbxPort)
                      .arg(errorText(error)));
    closeLeg(m_mc, true);
    closeLeg(m_pbxLeg, false);
    finishIfDone();
}

void RelayedConnection::pbxConnected()
{
    m_connectLimit.stop();
    m_pbxLeg.connected = true;
    m_pbxLeg.readable->setEnabled(!m_pbxLeg.finished);
    flush(m_pbxLeg, m_mc);
}

void RelayedConnection::pbxDidNotAnswer()
{
    Q_EMIT failed(m_number, epochNowUs(),
                  QStringLiteral("the PBX at %1 port %2 did not answer within %3 s: the message centre's "
                                 "connection is closed")
                      .arg(m_pbx.toString())
                      .arg(m_pbxPort)
                      .arg(m_connectLimit.interval() / 1000.0));
    closeLeg(m_pbxLeg, false);
    closeLeg(m_mc, false);
    finishIfDone();
}

void RelayedConnection::read(Leg& from, Leg& to)
{
    char buffer[16384];
    const ssize_t n = ::recv(from.socket, buffer, sizeof buffer, 0);
    if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
            return;
        resetBy(from, to);
        return;
    }
    if (n == 0) {
        from.finished = true;
        from.readable->setEnabled(false);
        end(from.side, false);
        flush(to, from); // the FIN goes on once what came before it has
        return;
    }
    // Written on before it is reported; what the write met is reported after the bytes.
    const QByteArray bytes(buffer, n);
    to.waiting += bytes;
    m_reading = true;
    flush(to, from);
    m_reading = false;
    Q_EMIT passed(m_number, epochNowUs(), from.side, bytes);
    if (m_heldEnding) {
        const auto [by, reset] = *std::exchange(m_heldEnding, std::nullopt);
        Q_EMIT ending(m_number, epochNowUs(), by, reset);
    }
    finishIfDone();
}

void RelayedConnection::flush(Leg& to, Leg& from)
{
    if (to.socket < 0)
        return;
    if (!to.connected) {
        // The bytes wait for the PBX's leg to connect, up to the bound.
        if (from.socket >= 0 && !from.finished)
            from.readable->setEnabled(to.waiting.size() < kMostWaiting);
        return;
    }
    while (!to.waiting.isEmpty()) {
        const ssize_t n =
            ::send(to.socket, to.waiting.constData(), std::size_t(to.waiting.size()), MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
                break;
            resetBy(to, from);
            return;
        }
        to.waiting.remove(0, n);
    }
    to.writable->setEnabled(!to.waiting.isEmpty());
    if (from.socket >= 0 && !from.finished)
        from.readable->setEnabled(to.waiting.size() < kMostWaiting);
    if (to.waiting.isEmpty() && from.finished && !to.shutDown) {
        ::shutdown(to.socket, SHUT_WR);
        to.shutDown = true;
    }
    finishIfDone();
}

// A reset (or a leg that failed) ends both legs at once, and is passed on as a reset.
void RelayedConnection::resetBy(Leg& by, Leg& other)
{
    end(by.side, true);
    closeLeg(by, false);
    closeLeg(other, true);
    finishIfDone();
}

void RelayedConnection::end(Side by, bool reset)
{
    if (std::exchange(m_ending, true))
        return;
    if (m_reading)
        m_heldEnding = {by, reset};
    else
        Q_EMIT ending(m_number, epochNowUs(), by, reset);
}

void RelayedConnection::closeLeg(Leg& leg, bool abortive)
{
    if (leg.socket < 0)
        return;
    for (QSocketNotifier* notifier :
         {std::exchange(leg.readable, nullptr), std::exchange(leg.writable, nullptr)}) {
        if (notifier) {
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
    }
    if (abortive) {
        const linger now{1, 0};
        ::setsockopt(leg.socket, SOL_SOCKET, SO_LINGER, &now, sizeof now);
    }
    ::close(leg.socket);
    leg.socket = -1;
}

void RelayedConnection::close()
{
    for (Leg* leg : {&m_mc, &m_pbxLeg}) {
        if (leg->socket >= 0 && leg->connected && !leg->waiting.isEmpty())
            ::send(leg->socket, leg->waiting.constData(), std::size_t(leg->waiting.size()), MSG_NOSIGNAL);
        closeLeg(*leg, false);
    }
    finishIfDone();
}

void RelayedConnection::finishIfDone()
{
    const auto done = [](const Leg& leg) { return leg.socket < 0 || (leg.finished && leg.shutDown); };
    if (m_reading || m_finished || !done(m_mc) || !done(m_pbxLeg))
        return;
    m_finished = true;
    closeLeg(m_mc, false);
    closeLeg(m_pbxLeg, false);
    Q_EMIT finished(m_number);
}

} // namespace zkn
