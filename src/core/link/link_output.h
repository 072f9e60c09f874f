// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lamp/load_test_phase.h"
#include "link/pending_requests.h"
#include "operator/operator.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <utility>

namespace zkn::lamp {
class LoadTestStats;
}

namespace zkn::link {

// A box for the operator. The link holds the work that follows it until it is acknowledged.
struct Notice
{
    quint64 id = 0;
    Operator::Message message;
};

// One thing the link asks of the program around it, taken in order with LinkEngine::poll(). The
// link decides; the program only carries out and shows.
struct LinkOutput
{
    enum class Type
    {
        OpenSocket,      // a connection to the host `text`; answer with LinkEngine::onSocketOpened
        Transmit,        // the frame `bytes` leaves on the socket now
        CloseSocket,     // the socket is closed; `on`: gracefully, the frames that left on it still go
        TogglePort,      // the serial port closed if open, else opened; answer with SerialSession::onToggled
        SerialReceive,   // the serial port delivers what it receives: `on`
        SerialWrite,     // `bytes` to the serial port
        ReadExtensions,  // the extensions file read; answer with onExtensionsRead
        Terminal,        // `bytes` to the terminal (and so to the log)
        Panel,           // status-bar panel `panel` reads `text`
        SettingsPanel,   // the "Settings" panel describes the connection as it is now
        Connected,       // the connection picture shows `on`
        ConnectChecked,  // the connect item is checked: `on`
        SendTextEnabled, // the text-file command is offered: `on`
        PropertiesEnabled, // the properties command is offered: `on`
        DebugLanEnabled,   // the LAN debug options item is offered: `on`
        LinkCameUp,        // the PBX took the connect request, or the serial port is open with DSR
        TxLamp,            // the transmit lamp shows `on`
        RxLamp,            // the receive lamp shows `on`
        Dsr,               // the DSR lamp shows `on`
        WaitWindow,        // the release wait window is shown: `on`
        ShowProperties,    // the properties dialog is shown
        TraceReceived,     // a received TCP chunk, `bytes`, for the LAN debug window
        TraceSent,         // a frame that left, `bytes`, for the LAN debug window
        SerialBufferLevel, // the serial buffer gauge follows the port
        RecordArrived,     // a record, `bytes`, with `on` for a good check byte, at `when`
        Response,          // the PBX answered `request` with `code`
        LampTimedOut,      // the lamp frame awaited had no answer in time
        Fault,             // something went wrong on the link, as `text` says (a snapshot is kept)
        ConnectFailed,     // the connection never stood: `text` names the host, the port and why
        LampLedgerChanged, // the lamp ledger holds something new
        ResyncProgress,    // a resynchronisation runs (`on`) and has got as far as `text`
        LoadTestPhase,     // the load test's commands follow `phase`
        LoadTestFigures,   // `figures` changed; answers come when `on`
        Notice,            // `notice` is shown; acknowledge it when the operator closes it
        QuitSingleStation, // the single-station dialog does what its Quit does
        ReleasedForExit,   // the exit's release step is done
        LinkClosedForExit, // the exit's wait for the link to close is done
    };
    enum class PanelId
    {
        Status,
        Settings,
        HealthChk,
        ConnectTime
    };

    LinkOutput(Type type, QByteArray bytes = {}) : type(type), bytes(std::move(bytes)) {}

    Type type = Type::Terminal;
    QByteArray bytes;
    QString text;
    PanelId panel = PanelId::Status;
    bool on = false;
    QDateTime when;
    link::LoadTestPhase phase = link::LoadTestPhase::Idle;
    const lamp::LoadTestStats* figures = nullptr;
    link::Notice notice;
    Request request = Request::Count;
    int code = 0;
    // A request the program answers at once, by this ticket; the link's work after it waits.
    quint64 ticket = 0;
};

} // namespace zkn::link
