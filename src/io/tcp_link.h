// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/frame_reader.h"
#include "link/transport_states.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

class QTcpSocket;

namespace zkn {

// The TCP side of the link: one client connection to the PBX, with the socket control's state
// numbers and error numbers, and a reset by the peer told apart from an orderly close. It knows
// nothing of frames; it moves bytes (the link spaces them).
//
// Each connection gets a fresh socket that is cut loose on close(), so nothing the old
// connection receives can reach the caller afterwards.
class TcpLink : public QObject
{
    Q_OBJECT

public:
    // Error numbers of errorOccurred(), the socket control's own where one fits. A reset by the
    // peer (10054) comes as resetByPeer() instead. Errors without a classic counterpart are
    // 20000 + the QAbstractSocket::SocketError value, e.g. 20007 for an unclassified network error.
    enum ErrorNumber : int
    {
        AccessDenied = 10013,
        AddressInUse = 10048,
        AddressNotAvailable = 10049,
        NetworkUnreachable = 10051,
        ConnectionReset = 10054,
        NoBufferSpace = 10055,
        TimedOut = 10060,
        ConnectionRefused = 10061,
        HostUnreachable = 10065,
        HostNotFound = 11001,
        OtherErrorBase = 20000,
    };

    // The number of a socket error, told by its description where Qt folds several into one.
    static int errorNumber(QAbstractSocket::SocketError error, const QString& description);
    // Why a connection could not be made, said of the host: "refused the connection".
    static QString failureInWords(int number, const QString& description);

    explicit TcpLink(QObject* parent = nullptr);
    ~TcpLink() override;

    void setRemotePort(quint16 port) { m_remotePort = port; }
    // Time allowed from connectToHost() to connected(); a dropped SYN would otherwise hang for
    // minutes.
    void setConnectTimeout(int ms) { m_connectTimeout.setInterval(ms); }

    // Why a connection could not be made: the error's number and the system's description.
    struct ConnectFailure
    {
        int number = 0;
        QString description;
    };

    // Starts a new connection; an existing one is closed first. A connect that fails at once
    // (an unreachable network, say) returns why and leaves the state Error without emitting
    // errorOccurred(); otherwise returns nothing.
    std::optional<ConnectFailure> connectToHost(const QString& host);
    // "host:port" of the last connection asked for.
    QString peerName() const { return m_host + QLatin1Char(':') + QString::number(m_remotePort); }
    // Where and why a connection failed: "127.0.0.1:60020 refused the connection".
    QString failureSaid(int number, const QString& description) const
    {
        return peerName() + QLatin1Char(' ') + failureInWords(number, description);
    }
    // Closes at once: the state is Closed and the old connection falls silent. Gracefully, what
    // was just written still reaches the peer before the connection ends; otherwise it is reset.
    void close(bool graceful = false);
    link::SocketState state() const { return m_state; }
    // The connection's two ends, while it is connected.
    QHostAddress localAddress() const;
    quint16 localPort() const;
    QHostAddress peerAddress() const;
    quint16 peerPort() const;

    // Writes `frame` now; nothing while not connected.
    void send(const QByteArray& frame);
    // Reading on or off. While it is off nothing is read: what arrives waits in the socket's small
    // buffers and TCP holds the peer back. The peer's close or reset behind unread data is seen
    // once it has been read.
    void setReading(bool on);

    // The most one dataReceived() carries, and what the socket keeps read ahead of it.
    static constexpr qint64 kReadChunk = 64 * 1024;
    // The kernel's receive buffer for the connection: little waits unseen there.
    static constexpr int kKernelBuffer = 16 * 1024;

Q_SIGNALS:
    void connected();
    void dataReceived(const QByteArray& bytes);
    // A frame given to send() was written to the connection.
    void frameSent(const QByteArray& frame);
    void closedByPeer();
    void resetByPeer();
    // close() ended a connection that stood, or one the peer had closed.
    void closedHere();
    void errorOccurred(int number, const QString& description);
    void stateChanged(link::SocketState state);

private:
    void setState(link::SocketState state);
    void onSocketStateChanged();
    void onSocketError();
    void onReadyRead();
    void onConnectTimeout();
    // Reports a peer close or reset exactly once and detaches the socket.
    void onRemoteClose();
    void fail(int number, const QString& description);
    // Cuts the socket loose; gracefully, what was written goes out first and it then closes.
    void detachSocket(bool graceful);

    QTcpSocket* m_socket = nullptr;
    // A duplicate of the connected socket's descriptor: Qt closes its own before it reports the
    // peer's close, and the kernel's view of how the connection ended is read from this one.
    int m_peekFd = -1;
    quint16 m_remotePort = link::kLinkPort;
    QString m_host;
    link::SocketState m_state = link::SocketState::Closed;
    QTimer m_connectTimeout;
    // Set while the socket's connect call runs: an error then is the call's own result.
    bool m_inConnectCall = false;
    bool m_reading = true;
    std::optional<ConnectFailure> m_immediateFailure;
};

} // namespace zkn
