// SPDX-License-Identifier: GPL-3.0-or-later
#include "tcp_link.h"

#include <QPointer>
#include <QTcpSocket>

#include <utility>

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zkn {

namespace {

link::SocketState socketStateOf(QAbstractSocket::SocketState state)
{
    switch (state) {
    case QAbstractSocket::BoundState:
        return link::SocketState::Open;
    case QAbstractSocket::ListeningState:
        return link::SocketState::Listening;
    case QAbstractSocket::HostLookupState:
        return link::SocketState::ResolvingHost;
    case QAbstractSocket::ConnectingState:
        return link::SocketState::Connecting;
    case QAbstractSocket::ConnectedState:
        return link::SocketState::Connected;
    case QAbstractSocket::ClosingState:
        return link::SocketState::Closing;
    case QAbstractSocket::UnconnectedState:
        break;
    }
    return link::SocketState::Closed;
}

// True when the kernel saw the connection end with a reset: the socket is then already
// closed, whereas after the peer's FIN it waits for our own close.
bool endedByReset(int fd)
{
    tcp_info info{};
    socklen_t size = sizeof info;
    return fd >= 0 && getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &size) == 0 &&
           info.tcpi_state == TCP_CLOSE;
}

} // namespace

int TcpLink::errorNumber(QAbstractSocket::SocketError error, const QString& description)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return TcpLink::ConnectionRefused;
    case QAbstractSocket::HostNotFoundError:
        return TcpLink::HostNotFound;
    case QAbstractSocket::SocketTimeoutError:
        return TcpLink::TimedOut;
    case QAbstractSocket::SocketAccessError:
        return TcpLink::AccessDenied;
    case QAbstractSocket::SocketResourceError:
        return TcpLink::NoBufferSpace;
    case QAbstractSocket::AddressInUseError:
        return TcpLink::AddressInUse;
    case QAbstractSocket::SocketAddressNotAvailableError:
        return TcpLink::AddressNotAvailable;
    case QAbstractSocket::NetworkError:
        // Qt folds several system errors into this one; only its description tells them apart.
        if (description == QLatin1String("Host unreachable"))
            return TcpLink::HostUnreachable;
        if (description == QLatin1String("Network unreachable"))
            return TcpLink::NetworkUnreachable;
        if (description == QLatin1String("Connection timed out"))
            return TcpLink::TimedOut;
        break;
    default:
        break;
    }
    return TcpLink::OtherErrorBase + static_cast<int>(error);
}

QString TcpLink::failureInWords(int number, const QString& description)
{
    switch (number) {
    case ConnectionRefused:
        return QStringLiteral("refused the connection");
    case TimedOut:
        return QStringLiteral("did not answer in time");
    case HostNotFound:
        return QStringLiteral("could not be found: no such host name");
    case HostUnreachable:
    case NetworkUnreachable:
        return QStringLiteral("cannot be reached from here: no route to it");
    default:
        return QStringLiteral("could not be connected to: ") + description;
    }
}

TcpLink::TcpLink(QObject* parent) : QObject(parent)
{
    m_connectTimeout.setSingleShot(true);
    m_connectTimeout.setInterval(10000);
    connect(&m_connectTimeout, &QTimer::timeout, this, &TcpLink::onConnectTimeout);
}

TcpLink::~TcpLink()
{
    detachSocket(false);
}

std::optional<TcpLink::ConnectFailure> TcpLink::connectToHost(const QString& host)
{
    close();
    m_host = host;
    m_socket = new QTcpSocket(this);
    m_socket->setReadBufferSize(kReadChunk);
    connect(m_socket, &QTcpSocket::stateChanged, this, &TcpLink::onSocketStateChanged);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &TcpLink::onSocketError);
    connect(m_socket, &QTcpSocket::readyRead, this, &TcpLink::onReadyRead);
    m_connectTimeout.start();
    // An address the system refuses outright (an unreachable network) fails inside the call.
    m_immediateFailure.reset();
    m_inConnectCall = true;
    m_socket->connectToHost(host, m_remotePort);
    m_inConnectCall = false;
    return std::exchange(m_immediateFailure, std::nullopt);
}

void TcpLink::close(bool graceful)
{
    const bool stood = m_state == link::SocketState::Connected || m_state == link::SocketState::Closing;
    detachSocket(graceful);
    setState(link::SocketState::Closed);
    if (stood)
        Q_EMIT closedHere();
}

QHostAddress TcpLink::localAddress() const
{
    return m_socket ? m_socket->localAddress() : QHostAddress();
}

quint16 TcpLink::localPort() const
{
    return m_socket ? m_socket->localPort() : 0;
}

QHostAddress TcpLink::peerAddress() const
{
    return m_socket ? m_socket->peerAddress() : QHostAddress();
}

quint16 TcpLink::peerPort() const
{
    return m_socket ? m_socket->peerPort() : 0;
}

void TcpLink::send(const QByteArray& frame)
{
    if (!m_socket || m_state != link::SocketState::Connected)
        return;
    m_socket->write(frame);
    m_socket->flush();
    Q_EMIT frameSent(frame);
}

void TcpLink::setState(link::SocketState state)
{
    if (state == m_state)
        return;
    m_state = state;
    Q_EMIT stateChanged(state);
}

void TcpLink::onSocketStateChanged()
{
    const QAbstractSocket::SocketState state = m_socket->state();
    // The socket becomes unconnected only through an error or close(), which set the state
    // themselves; taking it from here would show a passing 0 before the 9 of an error.
    if (state == QAbstractSocket::UnconnectedState)
        return;
    if (state != QAbstractSocket::ConnectedState) {
        setState(socketStateOf(state));
        return;
    }
    m_connectTimeout.stop();
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1); // spaced frames must not wait for ACKs
    m_socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, kKernelBuffer);
    m_peekFd = fcntl(static_cast<int>(m_socket->socketDescriptor()), F_DUPFD_CLOEXEC, 0);
    setState(link::SocketState::Connected);
    Q_EMIT connected();
}

void TcpLink::onSocketError()
{
    if (m_socket->error() == QAbstractSocket::RemoteHostClosedError)
        onRemoteClose();
    else
        fail(errorNumber(m_socket->error(), m_socket->errorString()), m_socket->errorString());
}

void TcpLink::setReading(bool on)
{
    if (on == m_reading)
        return;
    m_reading = on;
    // The socket reports only data that arrives from now on: what it holds already is read at
    // the next turn of the event loop.
    if (on)
        QMetaObject::invokeMethod(this, &TcpLink::onReadyRead, Qt::QueuedConnection);
}

// Read in pieces, as long as reading stays on and this connection stands.
void TcpLink::onReadyRead()
{
    const QPointer<QTcpSocket> socket = m_socket;
    while (m_reading && socket && socket == m_socket && socket->bytesAvailable() > 0)
        Q_EMIT dataReceived(socket->read(kReadChunk));
}

void TcpLink::onConnectTimeout()
{
    fail(TimedOut, QStringLiteral("Connection timed out"));
}

// What the socket read before the end is handed over first, reading on or not: the connection goes.
void TcpLink::onRemoteClose()
{
    const bool reset = endedByReset(m_peekFd);
    const QPointer<QTcpSocket> socket = m_socket;
    while (socket && socket == m_socket && socket->bytesAvailable() > 0)
        Q_EMIT dataReceived(socket->read(kReadChunk));
    if (socket != m_socket)
        return; // the data ended the connection
    detachSocket(false);
    if (reset) {
        setState(link::SocketState::Error);
        Q_EMIT resetByPeer();
    } else {
        setState(link::SocketState::Closing);
        Q_EMIT closedByPeer();
    }
}

void TcpLink::fail(int number, const QString& description)
{
    detachSocket(false);
    setState(link::SocketState::Error);
    if (m_inConnectCall)
        m_immediateFailure = ConnectFailure{number, description};
    else
        Q_EMIT errorOccurred(number, description);
}

void TcpLink::detachSocket(bool graceful)
{
    m_connectTimeout.stop();
    if (m_peekFd >= 0) {
        ::close(m_peekFd);
        m_peekFd = -1;
    }
    if (!m_socket)
        return;
    // We may be inside one of the socket's own signals: silence it now, delete it later.
    QTcpSocket* socket = std::exchange(m_socket, nullptr);
    socket->disconnect(this);
    if (graceful && socket->state() == QAbstractSocket::ConnectedState) {
        // The answers just written still leave; then the socket closes in order.
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::errorOccurred, socket, &QObject::deleteLater);
        socket->disconnectFromHost();
        return;
    }
    socket->abort();
    socket->deleteLater();
}

} // namespace zkn
