// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "capture/tcp_packets.h"
#include "capture_file.h"

#include <QHostAddress>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

namespace zkn {

class SerialLine;
class TcpLink;

// What goes over the link, kept in a capture file that packet analysers open: every chunk as
// the transport read it and every frame as it was written is one packet, with the time it
// happened. Over TCP the packets are the connection's own (addresses, ports, handshake, close);
// on the serial line the bytes behind a direction byte. Every connection of the session goes to
// the same file. A file that cannot be written is said once (failed()) and the link goes on.
class LinkCapture : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Starts a new file for the LAN link or the serial line; returns why it could not be
    // created, else empty. The other line is not captured into it (said once).
    QString start(const QString& path, bool lan);
    void stop();
    bool isOn() const { return m_file.isOpen(); }
    QString path() const { return m_path; }
    // While tapped, every packet is also told by packetMade(), with or without a file.
    void setTapped(bool tapped);

    // The tool's transports, seen from the tool. The simulator, on the PBX's side, tells the
    // connection itself.
    void watch(TcpLink& link);
    void watch(SerialLine& line);

    // The TCP connection between the tool and the PBX, and what each side wrote on it. IPv4
    // only: a connection over IPv6 is said once and left out.
    void tcpOpened(const QHostAddress& tool, quint16 toolPort, const QHostAddress& pbx, quint16 pbxPort);
    void tcpData(capture::Side from, const QByteArray& bytes);
    void tcpFinished(capture::Side by);
    void tcpReset(capture::Side by);
    void serialData(capture::Side from, const QByteArray& bytes);

Q_SIGNALS:
    // Once per file: why the capture stopped or leaves something out.
    void failed(const QString& why);
    void packetMade(int linkType, const QByteArray& packet, qint64 epochUs);

private:
    // The connection's two ends, its packets numbered from first sequence numbers of its own.
    void begin(const QHostAddress& tool, quint16 toolPort, const QHostAddress& pbx, quint16 pbxPort);
    void followStandingConnection();
    void write(const QList<QByteArray>& packets, bool lan);
    bool building() const { return m_file.isOpen() || m_tapped; }
    void fail(const QString& why);
    bool lineCaptured(bool lan);

    CaptureFile m_file;
    QString m_path;
    const TcpLink* m_tcp = nullptr; // the tool's, when watched
    std::optional<capture::TcpPackets> m_connection;
    bool m_finished[2] = {false, false}; // by the tool, by the PBX: a side closes once
    bool m_failed = false;
    bool m_tapped = false;
};

} // namespace zkn
