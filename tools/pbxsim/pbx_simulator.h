// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link_capture.h"
#include "pbxsim/frame_info.h"
#include "pbxsim/lamp_board.h"
#include "pbxsim/pbx_link.h"
#include "pbxsim/pbx_replay.h"
#include "pbxsim/serial_side.h"
#include "pbxsim/sim_stats.h"
#include "settings/serial_settings.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QIODevice>
#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace zkn::pbxsim {

// The PBX simulator in one object: the PBX-side logic (link() for TCP, serial() for a serial
// line) put on real transports. TCP serves one tool connection at a time; a second one is closed
// at once. The serial side runs on a pseudo-terminal it creates or on a serial device.
//
// Change behaviour and arm faults through link() and serial(); what they make due goes out by
// itself. Everything runs on the thread's event loop; the clock is now().
class PbxSimulator : public QObject
{
    Q_OBJECT

public:
    explicit PbxSimulator(QObject* parent = nullptr);
    ~PbxSimulator() override;

    PbxLink& link() { return m_link; }
    SerialSide& serial() { return m_serial; }
    const SimStats& stats() const { return m_stats; }
    const LampBoard& lamps() const { return m_lamps; }
    QJsonObject summary() const { return m_stats.toJson(m_lamps); }
    // Milliseconds since the simulator was made.
    qint64 now() const { return m_clock.elapsed(); }

    // Listens for the tool; port 0 takes any free port (see serverPort()).
    bool listen(const QHostAddress& address, quint16 port);
    quint16 serverPort() const { return m_server.serverPort(); }
    QString serverError() const { return m_server.errorString(); }
    bool hasConnection() const { return m_socket != nullptr; }

    // Creates a pseudo-terminal and returns the device path the tool opens; empty on failure.
    // Records wait until the tool has opened it (isLineReady()).
    QString openPty();
    bool openSerial(const QString& device, const settings::LineParameters& parameters);
    QString serialError() const { return m_serialError; }
    bool hasLine() const { return m_line != nullptr; }
    bool isLineReady() const { return m_serial.isOpen(); }
    // Hangs the serial line up: the pty's master is closed, a serial device is closed.
    void hangUp();
    // Plays `replay` to the tool over TCP instead of the PBX's own logic; replayEnded() says when
    // it is over.
    void replayInstead(PbxReplay& replay)
    {
        m_tcp = &replay;
        m_replay = &replay;
    }
    // Keeps what goes over the link in `capture` from now on, seen from the PBX's side.
    void captureTo(LinkCapture& capture) { m_capture = &capture; }

Q_SIGNALS:
    void frameIn(const zkn::pbxsim::FrameInfo& frame);
    void frameOut(const zkn::pbxsim::FrameInfo& frame);
    // A change of connection or line, in a few words for the trace.
    void event(const QString& text);
    void connectionChanged(bool connected);
    void replayEnded();

private:
    void acceptConnections();
    void readSocket();
    void socketClosed();
    void readLine();
    void attachLine(QIODevice* line, const QString& what);
    void lineReady(bool ready);
    void service();
    void perform(const LinkAction& action);
    void performOnLine(const LinkAction& action);
    void resetSocket();
    void hangUpWhenDelivered(qint64 deadline);
    void wake() { m_timer.start(0); }

    QElapsedTimer m_clock;
    SimStats m_stats;
    LampBoard m_lamps;
    PbxLink m_link;
    SerialSide m_serial;
    QTimer m_timer;
    QTcpServer m_server;
    QPointer<QTcpSocket> m_socket;
    bool m_closingInOrder = false;
    QPointer<QIODevice> m_line;
    QString m_serialError;
    QPointer<LinkCapture> m_capture;
    TcpPbxSide* m_tcp = &m_link;
    PbxReplay* m_replay = nullptr;
    bool m_replayEndTold = false;
};

} // namespace zkn::pbxsim
