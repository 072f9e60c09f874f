// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "capture/tcp_packets.h"
#include "capture_file.h"
#include "monitor/watched_frame.h"

#include <QHostAddress>
#include <QString>

#include <functional>
#include <map>

namespace zkn {

// What zkn-monitor watches, kept in a capture: the relayed connections as the packets that
// carried them (IPv4), each with the message centre's and the PBX's own addresses and ports, or a
// tapped serial line as the tool keeps its own (each read behind a byte that says which side sent
// it). With rotation, the file is cut once it holds so many bytes: FILE "watch.pcap" gives
// watch-1.pcap, watch-2.pcap and so on, the oldest deleted past the number kept; a connection goes
// on in the next file without its handshake.
class WatchCapture
{
public:
    struct Rotation
    {
        qint64 bytes = 0; // 0: one file, never cut
        int keep = 0;     // 0: every file kept
    };

    // A packet as it is made, with its link type and time.
    using PacketTap = std::function<void(int linkType, const QByteArray& packet, qint64 timeUs)>;

    // Why the first file cannot be written; empty when it can. `serial`: a tapped line's capture.
    QString open(const QString& path, Rotation rotation, bool serial = false);
    bool isOpen() const { return m_file.isOpen(); }
    // The file ends here; a capture not open stays so.
    void close() { m_file.close(); }
    // Every packet made from now on is also handed to `tap`, with a file or without one.
    void tapPackets(bool serial, PacketTap tap);

    void began(int connection, qint64 timeUs, const QHostAddress& mc, quint16 mcPort, const QHostAddress& pbx,
               quint16 pbxPort);
    void passed(int connection, qint64 timeUs, monitor::Side from, const QByteArray& bytes);
    void ending(int connection, qint64 timeUs, monitor::Side by, bool reset);
    // Both legs closed: the side that had not closed yet closes too (both, when the relay closed
    // them).
    void finished(int connection, qint64 timeUs);
    // What one side sent on a tapped serial line.
    void serialPassed(qint64 timeUs, monitor::Side from, const QByteArray& bytes);
    // Why writing stopped; empty while it goes on.
    QString failure() const { return m_failure; }

    // The name of the index-th file (from 1) under rotation.
    static QString rotatedName(const QString& path, int index);

private:
    struct Connection
    {
        capture::TcpPackets packets;
        std::optional<monitor::Side> finishedBy;
        bool reset = false;
    };

    void write(const QList<QByteArray>& packets, qint64 timeUs);
    QString openFile(int index);

    QString m_path;
    Rotation m_rotation;
    int m_linkType = 0;
    CaptureFile m_file;
    int m_index = 0;
    qint64 m_written = 0;
    QString m_failure;
    std::map<int, Connection> m_connections;
    PacketTap m_tap;
};

} // namespace zkn
