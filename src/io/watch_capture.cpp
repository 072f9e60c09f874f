// SPDX-License-Identifier: GPL-3.0-or-later
#include "watch_capture.h"

#include "capture/capture_format.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

namespace zkn {

namespace {

capture::Side sideOf(monitor::Side side)
{
    return side == monitor::Side::Pbx ? capture::Side::Pbx : capture::Side::Tool;
}

constexpr qint64 kPacketRecordHeader = 16; // a packet's record header in a classic pcap file

} // namespace

QString WatchCapture::rotatedName(const QString& path, int index)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QString base = info.suffix().isEmpty() ? path : path.chopped(suffix.size());
    return base + QLatin1Char('-') + QString::number(index) + suffix;
}

QString WatchCapture::open(const QString& path, Rotation rotation, bool serial)
{
    m_path = path;
    m_rotation = rotation;
    m_linkType = serial ? capture::kLinkTypeSerial : capture::kLinkTypeRaw;
    return openFile(1);
}

QString WatchCapture::openFile(int index)
{
    m_index = index;
    m_written = 0;
    const QString name = m_rotation.bytes > 0 ? rotatedName(m_path, index) : m_path;
    if (m_rotation.keep > 0 && index > m_rotation.keep)
        QFile::remove(rotatedName(m_path, index - m_rotation.keep));
    return m_file.open(name, m_linkType);
}

void WatchCapture::began(int connection, qint64 timeUs, const QHostAddress& mc, quint16 mcPort,
                         const QHostAddress& pbx, quint16 pbxPort)
{
    bool mcV4 = false, pbxV4 = false;
    const quint32 mcAddress = mc.toIPv4Address(&mcV4);
    const quint32 pbxAddress = pbx.toIPv4Address(&pbxV4);
    if (!mcV4 || !pbxV4)
        return; // only IPv4 connections are kept
    QRandomGenerator& random = *QRandomGenerator::global();
    auto [at, added] = m_connections.try_emplace(
        connection, Connection{capture::TcpPackets({mcAddress, mcPort}, {pbxAddress, pbxPort},
                                                   random.generate(), random.generate()),
                               std::nullopt, false});
    if (added)
        write(at->second.packets.opened(), timeUs);
}

void WatchCapture::passed(int connection, qint64 timeUs, monitor::Side from, const QByteArray& bytes)
{
    const auto found = m_connections.find(connection);
    if (found != m_connections.end())
        write(found->second.packets.data(sideOf(from), bytes), timeUs);
}

void WatchCapture::ending(int connection, qint64 timeUs, monitor::Side by, bool reset)
{
    const auto found = m_connections.find(connection);
    if (found == m_connections.end())
        return;
    Connection& c = found->second;
    c.finishedBy = by;
    c.reset = reset;
    write({reset ? c.packets.reset(sideOf(by)) : c.packets.finished(sideOf(by))}, timeUs);
}

void WatchCapture::finished(int connection, qint64 timeUs)
{
    const auto found = m_connections.find(connection);
    if (found == m_connections.end())
        return;
    Connection& c = found->second;
    // The side that had not closed closes now; closed by the relay, both did.
    if (!c.reset && c.finishedBy != monitor::Side::Mc)
        write({c.packets.finished(capture::Side::Tool)}, timeUs);
    if (!c.reset && c.finishedBy != monitor::Side::Pbx)
        write({c.packets.finished(capture::Side::Pbx)}, timeUs);
    m_connections.erase(found);
}

void WatchCapture::serialPassed(qint64 timeUs, monitor::Side from, const QByteArray& bytes)
{
    const char direction = char(from == monitor::Side::Pbx ? capture::kFromPbx : capture::kFromTool);
    write({direction + bytes}, timeUs);
}

void WatchCapture::tapPackets(bool serial, PacketTap tap)
{
    if (!m_file.isOpen())
        m_linkType = serial ? capture::kLinkTypeSerial : capture::kLinkTypeRaw;
    m_tap = std::move(tap);
}

void WatchCapture::write(const QList<QByteArray>& packets, qint64 timeUs)
{
    if (m_tap)
        for (const QByteArray& packet : packets)
            m_tap(m_linkType, packet, timeUs);
    if (!m_file.isOpen() || !m_failure.isEmpty())
        return;
    for (const QByteArray& packet : packets) {
        if (m_rotation.bytes > 0 && m_written > 0 && m_written + packet.size() > m_rotation.bytes) {
            m_file.close();
            if (const QString why = openFile(m_index + 1); !why.isEmpty()) {
                m_failure = why;
                return;
            }
        }
        if (const QString why = m_file.write(packet, timeUs); !why.isEmpty()) {
            m_failure = why;
            m_file.close();
            return;
        }
        m_written += kPacketRecordHeader + packet.size();
    }
}

} // namespace zkn
