// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "monitor/watched_frame.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QSocketNotifier>

#include <map>
#include <memory>
#include <optional>

namespace zkn {

class RelayedConnection;

// A relay between message centres and the PBX: it listens where the message centre is pointed
// instead of the PBX, and passes each connection it accepts through to the PBX (see
// relayed_connection.h). It never sends a byte of its own. Connections are numbered from 1 as
// they are accepted; only the addresses allowed may connect, when any are named.
class TcpRelay : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        QHostAddress listenAddress = QHostAddress::AnyIPv4;
        quint16 listenPort = 60020;
        QHostAddress pbx;
        quint16 pbxPort = 60020;
        QList<QHostAddress> allowed; // empty: anyone
        int connectLimitMs = 10000;
    };

    explicit TcpRelay(Options options, QObject* parent = nullptr);
    ~TcpRelay() override;

    // Why it cannot listen; nothing when it does.
    std::optional<QString> listen();
    quint16 port() const { return m_port; }
    // Stops listening and closes both legs of every connection.
    void close();
    int connectionsOpen() const { return int(m_connections.size()); }
    const Options& options() const { return m_options; }

    static constexpr int kMostConnections = 64;

Q_SIGNALS:
    void began(int connection, qint64 timeUs, const QHostAddress& from, quint16 fromPort);
    void passed(int connection, qint64 timeUs, monitor::Side from, const QByteArray& bytes);
    void ending(int connection, qint64 timeUs, monitor::Side by, bool reset);
    void failed(int connection, qint64 timeUs, const QString& what);
    void finished(int connection);
    // A connection turned away (not allowed, or too many), with why.
    void turnedAway(qint64 timeUs, const QString& why);

private:
    void accept();

    Options m_options;
    int m_socket = -1;
    quint16 m_port = 0;
    std::unique_ptr<QSocketNotifier> m_acceptable;
    int m_accepted = 0;
    std::map<int, RelayedConnection*> m_connections;
};

} // namespace zkn
