// SPDX-License-Identifier: GPL-3.0-or-later
#include "tcp_relay.h"

#include "relayed_connection.h"
#include "system_clock.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zkn {

namespace {

QHostAddress addressOf(const sockaddr_storage& address)
{
    QHostAddress host(reinterpret_cast<const sockaddr*>(&address));
    // An IPv4 peer on an IPv6 socket is named as IPv4.
    bool ok = false;
    const quint32 v4 = host.toIPv4Address(&ok);
    return ok ? QHostAddress(v4) : host;
}

} // namespace

TcpRelay::TcpRelay(Options options, QObject* parent) : QObject(parent), m_options(std::move(options)) {}

TcpRelay::~TcpRelay()
{
    close();
}

std::optional<QString> TcpRelay::listen()
{
    const bool v6 = m_options.listenAddress.protocol() == QAbstractSocket::IPv6Protocol;
    m_socket = ::socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_socket < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    const int on = 1;
    ::setsockopt(m_socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_storage address{};
    socklen_t size = 0;
    if (v6) {
        auto* in6 = reinterpret_cast<sockaddr_in6*>(&address);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(m_options.listenPort);
        const Q_IPV6ADDR bytes = m_options.listenAddress.toIPv6Address();
        std::memcpy(&in6->sin6_addr, &bytes, sizeof bytes);
        size = sizeof *in6;
    } else {
        auto* in4 = reinterpret_cast<sockaddr_in*>(&address);
        in4->sin_family = AF_INET;
        in4->sin_port = htons(m_options.listenPort);
        in4->sin_addr.s_addr = htonl(m_options.listenAddress.toIPv4Address());
        size = sizeof *in4;
    }
    if (::bind(m_socket, reinterpret_cast<sockaddr*>(&address), size) != 0 || ::listen(m_socket, 16) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        ::close(m_socket);
        m_socket = -1;
        return why;
    }
    ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &size);
    m_port = ntohs(v6 ? reinterpret_cast<sockaddr_in6*>(&address)->sin6_port
                      : reinterpret_cast<sockaddr_in*>(&address)->sin_port);
    m_acceptable = std::make_unique<QSocketNotifier>(m_socket, QSocketNotifier::Read);
    connect(m_acceptable.get(), &QSocketNotifier::activated, this, &TcpRelay::accept);
    return std::nullopt;
}

void TcpRelay::accept()
{
    sockaddr_storage peer{};
    socklen_t size = sizeof peer;
    const int socket =
        ::accept4(m_socket, reinterpret_cast<sockaddr*>(&peer), &size, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (socket < 0)
        return;
    const QHostAddress from = addressOf(peer);
    const QString fromText = from.toString();
    QString refusal;
    if (!m_options.allowed.isEmpty() && !m_options.allowed.contains(from))
        refusal = QStringLiteral("a connection from %1 turned away: not allowed").arg(fromText);
    else if (int(m_connections.size()) >= kMostConnections)
        refusal = QStringLiteral("a connection from %1 turned away: %2 connections stand already")
                      .arg(fromText)
                      .arg(kMostConnections);
    if (!refusal.isEmpty()) {
        ::close(socket);
        Q_EMIT turnedAway(epochNowUs(), refusal);
        return;
    }
    const int number = ++m_accepted;
    auto* connection = new RelayedConnection(number, socket, m_options.pbx, m_options.pbxPort,
                                             m_options.connectLimitMs, this);
    m_connections[number] = connection;
    connect(connection, &RelayedConnection::passed, this, &TcpRelay::passed);
    connect(connection, &RelayedConnection::ending, this, &TcpRelay::ending);
    connect(connection, &RelayedConnection::failed, this, &TcpRelay::failed);
    connect(connection, &RelayedConnection::finished, this, [this](int finished) {
        const auto found = m_connections.find(finished);
        if (found != m_connections.end()) {
            found->second->deleteLater();
            m_connections.erase(found);
        }
        Q_EMIT this->finished(finished);
    });
    Q_EMIT began(number, epochNowUs(), from,
                 ntohs(peer.ss_family == AF_INET6 ? reinterpret_cast<const sockaddr_in6*>(&peer)->sin6_port
                                                  : reinterpret_cast<const sockaddr_in*>(&peer)->sin_port));
    connection->start();
}

void TcpRelay::close()
{
    m_acceptable.reset();
    if (m_socket >= 0)
        ::close(m_socket);
    m_socket = -1;
    // Each closes and is taken out as it finishes.
    const std::map<int, RelayedConnection*> open = m_connections;
    for (const auto& [number, connection] : open)
        connection->close();
}

} // namespace zkn
