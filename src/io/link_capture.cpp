// SPDX-License-Identifier: GPL-3.0-or-later
#include "link_capture.h"

#include "capture/capture_format.h"
#include "serial_line.h"
#include "system_clock.h"
#include "tcp_link.h"

#include <QHostAddress>
#include <QRandomGenerator>

#include <utility>

namespace zkn {

namespace {

using capture::Side;

std::optional<quint32> ipv4(const QHostAddress& address)
{
    bool ok = false;
    const quint32 v4 = address.toIPv4Address(&ok);
    return ok ? std::optional(v4) : std::nullopt;
}

} // namespace

QString LinkCapture::start(const QString& path, bool lan)
{
    stop();
    m_failed = false;
    m_path = path;
    const QString error = m_file.open(path, lan ? capture::kLinkTypeRaw : capture::kLinkTypeSerial);
    if (error.isEmpty() && lan)
        followStandingConnection();
    return error;
}

void LinkCapture::stop()
{
    m_file.close();
    if (!m_tapped)
        m_connection.reset();
}

void LinkCapture::setTapped(bool tapped)
{
    m_tapped = tapped;
    if (tapped)
        followStandingConnection();
    else if (!m_file.isOpen())
        m_connection.reset();
}

// A connection that stands already is followed from now on; its set-up was before.
void LinkCapture::followStandingConnection()
{
    if (!m_connection && m_tcp && m_tcp->state() == link::SocketState::Connected)
        begin(m_tcp->localAddress(), m_tcp->localPort(), m_tcp->peerAddress(), m_tcp->peerPort());
}

void LinkCapture::watch(TcpLink& link)
{
    m_tcp = &link;
    connect(&link, &TcpLink::connected, this, [this, &link] {
        tcpOpened(link.localAddress(), link.localPort(), link.peerAddress(), link.peerPort());
    });
    connect(&link, &TcpLink::dataReceived, this,
            [this](const QByteArray& bytes) { tcpData(Side::Pbx, bytes); });
    connect(&link, &TcpLink::frameSent, this,
            [this](const QByteArray& bytes) { tcpData(Side::Tool, bytes); });
    connect(&link, &TcpLink::closedByPeer, this, [this] { tcpFinished(Side::Pbx); });
    connect(&link, &TcpLink::resetByPeer, this, [this] { tcpReset(Side::Pbx); });
    connect(&link, &TcpLink::closedHere, this, [this] { tcpFinished(Side::Tool); });
}

void LinkCapture::watch(SerialLine& line)
{
    connect(&line, &SerialLine::dataRead, this,
            [this](const QByteArray& bytes) { serialData(Side::Pbx, bytes); });
    connect(&line, &SerialLine::dataWritten, this,
            [this](const QByteArray& bytes) { serialData(Side::Tool, bytes); });
}

void LinkCapture::tcpOpened(const QHostAddress& tool, quint16 toolPort, const QHostAddress& pbx,
                            quint16 pbxPort)
{
    begin(tool, toolPort, pbx, pbxPort);
    if (m_connection)
        write(m_connection->opened(), true);
}

void LinkCapture::begin(const QHostAddress& tool, quint16 toolPort, const QHostAddress& pbx, quint16 pbxPort)
{
    m_connection.reset();
    if (!building())
        return;
    const std::optional<quint32> toolV4 = ipv4(tool), pbxV4 = ipv4(pbx);
    if (!toolV4 || !pbxV4) {
        if (m_file.isOpen())
            fail(QStringLiteral("Capture: only IPv4 connections are captured, not %1").arg(pbx.toString()));
        return;
    }
    // Each side's first sequence number is its own, as the systems at either end choose them.
    QRandomGenerator& random = *QRandomGenerator::global();
    m_finished[0] = m_finished[1] = false;
    m_connection.emplace(capture::Endpoint{*toolV4, toolPort}, capture::Endpoint{*pbxV4, pbxPort},
                         random.generate(), random.generate());
}

void LinkCapture::tcpData(Side from, const QByteArray& bytes)
{
    if (m_connection)
        write(m_connection->data(from, bytes), true);
}

void LinkCapture::tcpFinished(Side by)
{
    if (m_connection && !std::exchange(m_finished[by == Side::Tool ? 0 : 1], true))
        write({m_connection->finished(by)}, true);
}

void LinkCapture::tcpReset(Side by)
{
    if (m_connection)
        write({m_connection->reset(by)}, true);
    m_connection.reset();
}

void LinkCapture::serialData(Side from, const QByteArray& bytes)
{
    if (building())
        write({QByteArray(1, char(from == Side::Tool ? capture::kFromTool : capture::kFromPbx)) + bytes},
              false);
}

// The file holds one kind of line.
bool LinkCapture::lineCaptured(bool lan)
{
    if (!m_file.isOpen())
        return false;
    if ((m_file.linkType() == capture::kLinkTypeRaw) == lan)
        return true;
    fail(lan ? QStringLiteral("Capture: %1 holds the serial line; the LAN link is not captured").arg(m_path)
             : QStringLiteral("Capture: %1 holds the LAN link; the serial line is not captured").arg(m_path));
    return false;
}

void LinkCapture::write(const QList<QByteArray>& packets, bool lan)
{
    const bool toFile = lineCaptured(lan);
    for (const QByteArray& packet : packets) {
        const qint64 us = epochNowUs();
        if (m_tapped)
            Q_EMIT packetMade(lan ? capture::kLinkTypeRaw : capture::kLinkTypeSerial, packet, us);
        if (!toFile || !m_file.isOpen())
            continue;
        if (const QString error = m_file.write(packet, us); !error.isEmpty()) {
            fail(QStringLiteral("Capture to %1 stopped: %2").arg(m_path, error));
            stop();
        }
    }
}

void LinkCapture::fail(const QString& why)
{
    if (!std::exchange(m_failed, true))
        Q_EMIT failed(why);
}

} // namespace zkn
