// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "monitor/link_watch.h"
#include "serial_tap.h"
#include "tcp_relay.h"
#include "watch_capture.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

namespace zkn {

// The link between a PBX and a message centre watched through a relay or a serial tap, or fed
// by a capture's reader: what passes goes through the watch, and into a capture when one is kept.
// A request whose time is up is found on time, by a timer of its own. Times are the wall clock's
// microseconds since the epoch.
class LinkWatcher : public QObject
{
    Q_OBJECT

public:
    explicit LinkWatcher(link::Parity parity, QObject* parent = nullptr);
    ~LinkWatcher() override;

    monitor::LinkWatch& watch() { return m_watch; }

    // Keeps what is watched in a capture (`serial`: a tapped line's); why it cannot be written,
    // empty when it can. Opened before the relay or the tap, so it sees every connection.
    QString captureTo(const QString& path, WatchCapture::Rotation rotation, bool serial);
    // Every packet the capture makes, with or without a file.
    void tapPackets(bool serial, WatchCapture::PacketTap tap)
    {
        m_capture.tapPackets(serial, std::move(tap));
    }

    // Passes the message centre's connections through to the PBX: why it cannot listen, nothing
    // when it listens.
    std::optional<QString> relay(const TcpRelay::Options& options);
    quint16 relayPort() const { return m_relay ? m_relay->port() : 0; }
    // Reads the two tap ports: why each one that did not open did not. A port that fails later is
    // a fault, and the other is still read.
    SerialTap::Opened tap(const QString& pbxPort, const QString& mcPort,
                          const settings::LineParameters& parameters);
    // Stops relaying or tapping and ends the capture; a capture that stopped on its way is a fault.
    void stop();

    // What passed, as a relay or a capture's reader tells it.
    void began(int connection, qint64 timeUs, const QString& from);
    void passed(int connection, qint64 timeUs, monitor::Side from, const QByteArray& bytes);
    void ending(int connection, qint64 timeUs, monitor::Side by, bool reset);
    void finished(int connection, qint64 timeUs);
    void serialPassed(qint64 timeUs, monitor::Side from, const QByteArray& bytes);
    // A fault the watch cannot see for itself: the relay's, a tap port's.
    void fault(int connection, qint64 timeUs, const QString& what);

Q_SIGNALS:
    void frameSeen(const monitor::WatchedFrame& frame);
    void faultSeen(const monitor::WatchFault& fault);
    // A connection's beginning and end: "began from 192.0.2.7", "closed by the PBX (device 01)".
    void connectionChanged(qint64 timeUs, int connection, const QString& event);
    // A connection the relay turned away (not allowed, or too many), with why.
    void turnedAway(qint64 timeUs, const QString& why);

private:
    void armDeadline();

    monitor::LinkWatch m_watch;
    QTimer m_deadline;
    WatchCapture m_capture;
    std::unique_ptr<TcpRelay> m_relay;
    std::unique_ptr<SerialTap> m_tap;
};

} // namespace zkn
