// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The ZKN link as the tool drives it, over TCP (see link_state.h) or the serial line.
//
// The engine does no I/O: bytes, events and the transports' states come in through its methods,
// time through its clock, and everything it asks of the program around it is taken with poll().
// Its timers are deadlines that the program turns into one real timer.
//
// It is made of parts over one shared context (link_context.h) and the link's phases, each moved
// only by its table (link_state.h): received data (receive_path.h), the socket's outgoing side
// (send_path.h), the health check (health_check.h), the serial line (serial_session.h), lamp
// control (lamp_control.h) and the dialog's Send (single_station_send.h), the connect time
// (connect_time.h) and the exit (exit_steps.h). The engine itself keeps the TCP session: the
// connect command, the connection opened, released and ended, and what a received frame means.
//
// Work waits only where the link itself waits (see notice_hold.h): each input runs at once as a
// strand of its own, and a box for the operator (a notice), a request the program answers (open
// the socket, toggle the port, read the extensions file) or a frame waiting to leave holds the
// rest of the strand that raised it, nothing else. Socket data, the PBX's close and reset, socket
// errors, serial data and line events, commands the tool gives itself and every timer go on while
// a box is open. The connection's stream is one strand: what arrives while a chunk is being worked
// through waits its turn, the PBX's close or reset and a socket error come after the data before
// them, and the health-check clock stays stopped until the chunk is done. Each frame handed over
// leaves 20 ms later; what follows it in its handler (its terminal line, the timer that awaits its
// answer, the next frame of a chunk) runs once it has left. An answer that has arrived is in time:
// a timeout falling due while received data waits is judged after it.
// What each box holds:
//   "PBX did not respond to Lamp Control."  stopping the health-check clock, if the connection
//       still stands; the timeout counted and a waiting load test let go on, if the message still
//       awaits its answer (an answer arriving under the box is its answer).
//   "Health Check Timout"                   the reset: the warning, the link shut and connected
//       again 2 s later, unless the connection ended meanwhile. While it is open no health check
//       leaves, so no second one can follow.
//   "Improper sequence received!"           the rest of its chunk and the stream behind it; the
//       requests awaited when it was raised are forgotten after it, later ones stay.
//   "Error" (a frame that cannot be read)   the end of its chunk and the stream behind it.
//   "IP-Error!"                              nothing: the link was shut before it.
//   the connect command's failure           closing the socket, the not-connected look.
//   "The COMM port ... does not exist", "MODEM/PBX not connected, check COM port settings or
//       cable!"                              the rest of the connect command, and the command
//       that opened the port for its work (Start, the dialog's Send).
//   the single-station dialog's boxes       the dialog's Quit, closing a port without DSR.
//   the load test's and the ledger's boxes  nothing: the command ends with them.
// The boxes of records that cannot be decoded are the window's (see decoding_boxes.h): they come
// after the record's answer and hold nothing of the link.
// A continuation acts only on what it was about: work held while the connection ended, or
// while its request was answered or replaced, does nothing of what no longer applies.

#include "link/connect_time.h"
#include "link/exit_steps.h"
#include "link/health_check.h"
#include "link/lamp_control.h"
#include "link/link_context.h"
#include "link/link_output.h"
#include "link/link_state.h"
#include "link/link_timers.h"
#include "link/notice_hold.h"
#include "link/pending_requests.h"
#include "link/receive_path.h"
#include "link/send_path.h"
#include "link/serial_session.h"
#include "link/single_station_send.h"
#include "link/transport_states.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace zkn::link {

struct FrameHeader;

class LinkEngine : private LinkCommands, private ReceivePath::Owner, private SerialSession::Owner
{
public:
    LinkEngine(const Clock& clock, const ConnectionOptions& connection, DebugOptions& debug,
               const ExpansionOption& expansion, const LoadTestOptions& loadTest);

    // What the link asks of the program, oldest first; nothing once everything has been taken.
    std::optional<LinkOutput> poll() { return m_context.poll(); }
    // The operator closed the notice's box.
    void acknowledge(quint64 notice) { m_context.hold().acknowledge(notice); }

    // Operator commands: the connect command (opens the link, or releases it) and a click on the
    // connected picture (a running load test is stopped first). Timers call them too.
    void connectCommand() override;
    void connectedPictureClicked();

    // The exit's two link steps (see exit_steps.h).
    ExitSteps& exit() { return m_exit; }

    // TCP events. The socket's state is taken as it changes, also while a box is open.
    void onSocketStateChanged(SocketState state) { m_send.onSocketState(state); }
    // The answer to OpenSocket: why the connection could not even be started, else nothing;
    // `said` as for onSocketError, given before the box.
    void onSocketOpened(quint64 ticket, const QString& failure, const QString& said = {});
    void onSocketConnected();
    // The data of one receive event; while the data before it is worked through (its boxes, its
    // answers leaving) it waits, and is handled after it in the order it came.
    void onSocketData(const QByteArray& data) { m_receive.onData(data); }
    // Whether the program reads the socket now: not while received data waits or is worked
    // through, nor while many frames wait to leave. A flooding PBX is held back by TCP then, not
    // by the tool's memory.
    bool readsSocket() const;
    void onSocketClosed();
    void onSocketReset();
    // `said`, for a connection that never stood: the host, the port and why, in words; the terminal
    // gives it after the link's end.
    void onSocketError(int number, const QString& description, const QString& said = {});

    // The serial line's events, typed keys and a text file's blocks (see serial_session.h).
    SerialSession& serial() { return m_serial; }

    // The spacing of frames on the socket, 20 ms on a real link; with none they leave at once.
    void setSendSpacing(int ms) { m_send.setSpacingUs(qint64(ms) * 1000); }

    // A health check leaves now, beside those of the health-check clock (a probe of the link).
    void healthCheckNow();

    // A line of the program's own on the terminal (and in the log).
    void noteOnTerminal(const QByteArray& line);

    // Time, in microseconds of the clock: handles every deadline that has come.
    void advanceTo(qint64 nowUs);
    LinkTimers& timers() { return m_context.timers(); }

    // The link ends: shown down, socket closed, its timers stopped.
    void shutDownLink() override;

    // Lamp control: the load test, the resynchronisation, the ledger (see lamp_control.h).
    LampControl& lamps() { return m_lamps; }
    const LampControl& lamps() const { return m_lamps; }
    // The single-station dialog's Send (see single_station_send.h).
    SingleStationSend& singleStation() { return m_singleStation; }
    // The serial port that went away is there again at `path`: opened again, unless the operator
    // has opened a port, changed to LAN or is leaving meanwhile.
    void reopenReturnedPort(const QString& path);
    int missedHealthChecks() const { return m_health.missed(); }
    QByteArray recordText() const { return m_recordText; }
    // Received TCP bytes skipped before frames because they began none.
    qint64 skippedBytes() const { return m_receive.skippedBytes(); }

private:
    void runConnectCommand();
    void runConnectedPictureClick();
    void linkConnected();
    void releaseLink();
    void sendRelease();
    void openConnection();
    void onAnswerTimeout(Timer timer);
    void judgeTimeoutsHeldByData();
    void onConnectionStatusTick();
    void onTimer(Timer timer);
    // The serial line as it comes and goes.
    void serialLineUp() override { m_connectTime.StartConnectTimer(); }
    void showSerialLineDown() override { showLinkDown(); }
    void lampsLoseSerialLine() override;
    void showLinkDown();
    void sayConnectFailed(const QString& said);

    // Received data, in order (see receive_path.h).
    void chunkBegins() override;
    void chunkDone(bool moreWaits) override;
    bool frameArrived(const FrameHeader& frame) override;
    // What belongs to one connection ends with it: a partial frame, data waiting, and every
    // answer still awaited.
    void dropConnectionState();
    void processResponse(const FrameHeader& frame);
    void finishResponse(const FrameHeader& frame, std::optional<Request> matched);
    bool processRecord(const FrameHeader& frame);

    // The shared state first: the parts after it keep references to it.
    LinkContext m_context;
    LinkPhases m_phases;
    PendingRequests m_pending;
    SendPath m_send{m_context, m_phases};
    ConnectTime m_connectTime{m_context};
    QString m_openFailure;
    QString m_openFailureSaid;
    QByteArray m_recordText;

    SerialSession m_serial{m_context, m_phases, *this};
    ReceivePath m_receive{m_context, m_phases, *this};
    HealthCheck m_health{m_context, m_send, m_pending, m_phases, *this};
    LampControl m_lamps{m_context, m_serial, m_send, m_pending, m_connectTime, m_health, m_phases, *this};
    ExitSteps m_exit{m_context, m_lamps, m_phases, *this};
    SingleStationSend m_singleStation{m_context, m_serial, m_pending, m_phases, m_lamps, *this};
};

} // namespace zkn::link
