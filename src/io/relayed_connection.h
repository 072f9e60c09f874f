// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "monitor/watched_frame.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <optional>
#include <utility>

namespace zkn {

// One message centre's connection passed through to the PBX: every byte both ways at once and
// unchanged (TCP_NODELAY on both legs, each read written before it is reported), broken frames as
// they are. A FIN from one side is passed on once what it sent before has been delivered; a reset
// is passed on as a reset. When the PBX refuses the relay's connection, the message centre's
// connection is reset; when the PBX does not answer in time, it is closed. What waits for a slow
// leg is bounded: the other leg is not read meanwhile, so TCP slows its sender.
class RelayedConnection : public QObject
{
    Q_OBJECT

public:
    RelayedConnection(int number, int mcSocket, const QHostAddress& pbx, quint16 pbxPort, int connectLimitMs,
                      QObject* parent = nullptr);
    ~RelayedConnection() override;

    // Connects to the PBX and starts passing bytes.
    void start();
    // Both legs closed now (the relay is stopping); the bytes still waiting go first, as far as
    // the sockets take them.
    void close();

    static constexpr qsizetype kMostWaiting = 64 * 1024;

Q_SIGNALS:
    void passed(int connection, qint64 timeUs, monitor::Side from, const QByteArray& bytes);
    // The connection's first FIN or reset, and the side that sent it.
    void ending(int connection, qint64 timeUs, monitor::Side by, bool reset);
    void failed(int connection, qint64 timeUs, const QString& what);
    // Both legs are closed; the connection may be deleted.
    void finished(int connection);

private:
    struct Leg
    {
        int socket = -1;
        monitor::Side side = monitor::Side::Mc;
        // The connection's children; a leg closed from inside one's own signal lets it go later.
        QSocketNotifier* readable = nullptr;
        QSocketNotifier* writable = nullptr;
        QByteArray waiting;    // bytes for this leg not yet written
        bool finished = false; // its peer sent FIN
        bool shutDown = false; // the relay sent FIN on it
        bool connected = false;
    };

    void connectDone();
    void pbxRefused(int error);
    void pbxConnected();
    void read(Leg& from, Leg& to);
    void flush(Leg& to, Leg& from);
    void pbxDidNotAnswer();
    void resetBy(Leg& by, Leg& other);
    void end(monitor::Side by, bool reset);
    void closeLeg(Leg& leg, bool abortive);
    void finishIfDone();
    void watch(Leg& leg);

    int m_number;
    QHostAddress m_pbx;
    quint16 m_pbxPort;
    Leg m_mc;
    Leg m_pbxLeg;
    QTimer m_connectLimit;
    bool m_ending = false;
    bool m_finished = false;
    // While a read is written on, what the write meets waits until the bytes are reported.
    bool m_reading = false;
    std::optional<std::pair<monitor::Side, bool>> m_heldEnding;
};

} // namespace zkn
