// SPDX-License-Identifier: GPL-3.0-or-later
#include "pbxsim/pbx_simulator.h"

#include "pbxsim/pty_master.h"
#include "serial_port_parameters.h"

#include <QSerialPort>
#include <QTcpSocket>

#include <utility>

#include <sys/socket.h>

namespace zkn::pbxsim {

namespace {

constexpr qint64 kLongestDeliveryMs = 2000;
constexpr int kSettleMs = 100;
constexpr int kDeliveryPollMs = 10;

QString peerText(const QTcpSocket& socket)
{
    return socket.peerAddress().toString() + QLatin1Char(':') + QString::number(socket.peerPort());
}

} // namespace

PbxSimulator::PbxSimulator(QObject* parent)
    : QObject(parent), m_link(m_stats, m_lamps), m_serial(m_stats, m_lamps)
{
    m_clock.start();
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &PbxSimulator::service);
    m_link.setChangeHandler([this] { wake(); });
    m_serial.setChangeHandler([this] { wake(); });
    connect(&m_server, &QTcpServer::newConnection, this, &PbxSimulator::acceptConnections);
}

PbxSimulator::~PbxSimulator()
{
    // The socket and the line go before the logic their signals would reach.
    if (m_socket)
        m_socket->disconnect(this);
    delete m_socket;
    if (m_line)
        m_line->disconnect(this);
    delete m_line;
}

bool PbxSimulator::listen(const QHostAddress& address, quint16 port)
{
    return m_server.listen(address, port);
}

void PbxSimulator::acceptConnections()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        if (m_socket) {
            Q_EMIT event(
                QStringLiteral("connection from %1 closed: one tool at a time").arg(peerText(*socket)));
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            socket->disconnectFromHost();
            continue;
        }
        m_socket = socket;
        m_closingInOrder = false;
        // Each write leaves as it is made, so a split frame really arrives in two parts.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(socket, &QTcpSocket::readyRead, this, &PbxSimulator::readSocket);
        connect(socket, &QTcpSocket::disconnected, this, &PbxSimulator::socketClosed);
        // A flood as fast as the tool reads goes on as bytes leave.
        connect(socket, &QTcpSocket::bytesWritten, this, &PbxSimulator::service);
        m_tcp->connectionOpened();
        if (m_capture)
            m_capture->tcpOpened(socket->peerAddress(), socket->peerPort(), socket->localAddress(),
                                 socket->localPort());
        Q_EMIT event(QStringLiteral("connection from %1").arg(peerText(*socket)));
        Q_EMIT connectionChanged(true);
        service();
    }
}

void PbxSimulator::readSocket()
{
    if (!m_socket)
        return;
    const QByteArray bytes = m_socket->readAll();
    if (m_capture)
        m_capture->tcpData(capture::Side::Tool, bytes);
    for (const FrameInfo& frame : m_tcp->receive(bytes, now()))
        Q_EMIT frameIn(frame);
    service();
}

void PbxSimulator::socketClosed()
{
    if (!m_socket)
        return;
    m_socket->disconnect(this);
    m_socket->deleteLater();
    m_socket = nullptr;
    m_tcp->connectionClosed();
    if (m_capture)
        m_capture->tcpFinished(capture::Side::Tool);
    Q_EMIT event(m_closingInOrder ? QStringLiteral("connection closed (FIN sent)")
                                  : QStringLiteral("connection closed by the tool"));
    Q_EMIT connectionChanged(false);
    wake();
}

void PbxSimulator::resetSocket()
{
    QTcpSocket* socket = m_socket;
    m_socket = nullptr;
    socket->disconnect(this);
    socket->flush();
    // A zero linger time makes the close send RST instead of FIN.
    const linger abortive{1, 0};
    ::setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    socket->abort();
    socket->deleteLater();
    m_tcp->connectionClosed();
    if (m_capture)
        m_capture->tcpReset(capture::Side::Pbx);
    Q_EMIT event(QStringLiteral("connection reset (RST sent)"));
    Q_EMIT connectionChanged(false);
}

QString PbxSimulator::openPty()
{
    auto* pty = new PtyMaster(this);
    if (!pty->create()) {
        m_serialError = pty->errorString();
        delete pty;
        return {};
    }
    const QString path = pty->slavePath();
    attachLine(pty, QStringLiteral("pseudo-terminal %1: waiting for the tool to open it").arg(path));
    // Records wait for the tool, as they would for a line nobody listens on.
    connect(pty, &PtyMaster::toolPresenceChanged, this, [this, path](bool present) {
        Q_EMIT event(present ? QStringLiteral("the tool opened %1").arg(path)
                             : QStringLiteral("the tool closed %1").arg(path));
        lineReady(present);
    });
    return path;
}

bool PbxSimulator::openSerial(const QString& device, const settings::LineParameters& parameters)
{
    auto* port = new QSerialPort(device, this);
    const bool set = applyLineParameters(*port, parameters, QSerialPort::NoFlowControl);
    if (!set || !port->open(QIODevice::ReadWrite)) {
        m_serialError = port->errorString();
        delete port;
        return false;
    }
    // A device that goes away is a hung-up line, not a stream of errors.
    connect(port, &QSerialPort::errorOccurred, this, [this, port](QSerialPort::SerialPortError error) {
        if (error == QSerialPort::ResourceError && port == m_line)
            hangUp();
    });
    attachLine(port, QStringLiteral("serial device %1 at %2").arg(device, parameters.toText()));
    lineReady(true);
    return true;
}

void PbxSimulator::attachLine(QIODevice* line, const QString& what)
{
    Q_ASSERT(!m_line);
    m_line = line;
    connect(line, &QIODevice::readyRead, this, &PbxSimulator::readLine);
    Q_EMIT event(what);
}

void PbxSimulator::lineReady(bool ready)
{
    if (ready)
        m_serial.lineOpened();
    else
        m_serial.lineClosed();
    service();
}

void PbxSimulator::readLine()
{
    if (!m_line)
        return;
    const QByteArray bytes = m_line->readAll();
    if (m_capture)
        m_capture->serialData(capture::Side::Tool, bytes);
    for (const FrameInfo& frame : m_serial.receive(bytes))
        Q_EMIT frameIn(frame);
    service();
}

void PbxSimulator::hangUp()
{
    if (!m_line)
        return;
    QIODevice* line = m_line;
    m_line = nullptr;
    line->disconnect(this);
    line->close();
    line->deleteLater();
    m_serial.lineClosed();
    Q_EMIT event(QStringLiteral("line hung up"));
}

// A hang-up throws away what the line still holds, so the last record is given time to arrive.
void PbxSimulator::hangUpWhenDelivered(qint64 deadline)
{
    if (m_line && m_line->bytesToWrite() > 0 && now() < deadline) {
        QTimer::singleShot(kDeliveryPollMs, this, [this, deadline] { hangUpWhenDelivered(deadline); });
        return;
    }
    hangUp();
}

void PbxSimulator::service()
{
    const qint64 t = now();
    // A replay also keeps time between connections: it ends when nothing more comes.
    const bool tcpTimed = m_socket || m_replay;
    m_link.setUnsent(m_socket ? m_socket->bytesToWrite() : 0);
    if (tcpTimed) {
        for (const LinkAction& action : m_tcp->takeDue(t))
            perform(action);
    }
    if (m_line) {
        for (const LinkAction& action : m_serial.takeDue(t))
            performOnLine(action);
    }
    if (m_replay && m_replay->ended() && !std::exchange(m_replayEndTold, true))
        Q_EMIT replayEnded();
    std::optional<qint64> next;
    for (const auto due :
         {tcpTimed ? m_tcp->nextDue() : std::nullopt, m_line ? m_serial.nextDue() : std::nullopt}) {
        if (due && (!next || *due < *next))
            next = due;
    }
    if (next)
        m_timer.start(int(std::max<qint64>(0, *next - now())));
    else
        m_timer.stop();
}

void PbxSimulator::perform(const LinkAction& action)
{
    if (!m_socket)
        return;
    switch (action.type) {
    case LinkAction::Type::Write:
        m_socket->write(action.bytes);
        if (m_capture)
            m_capture->tcpData(capture::Side::Pbx, action.bytes);
        for (const FrameInfo& frame : action.frames)
            Q_EMIT frameOut(frame);
        break;
    case LinkAction::Type::Close:
        m_closingInOrder = true;
        m_socket->disconnectFromHost();
        if (m_capture)
            m_capture->tcpFinished(capture::Side::Pbx);
        break;
    case LinkAction::Type::Reset:
        resetSocket();
        break;
    }
}

void PbxSimulator::performOnLine(const LinkAction& action)
{
    if (!m_line)
        return;
    if (action.type != LinkAction::Type::Write) {
        // The line takes a moment to show what it holds; only then is "nothing left" true.
        const qint64 deadline = now() + kLongestDeliveryMs;
        QTimer::singleShot(kSettleMs, this, [this, deadline] { hangUpWhenDelivered(deadline); });
        return;
    }
    m_line->write(action.bytes);
    if (m_capture)
        m_capture->serialData(capture::Side::Pbx, action.bytes);
    for (const FrameInfo& frame : action.frames)
        Q_EMIT frameOut(frame);
}

} // namespace zkn::pbxsim
