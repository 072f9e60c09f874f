// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zkn::link {

// The TCP socket's states, by the numbers the status panel has always named.
enum class SocketState : int
{
    Closed = 0,
    Open = 1,
    Listening = 2,
    ConnectionPending = 3,
    ResolvingHost = 4,
    HostResolved = 5,
    Connecting = 6,
    Connected = 7,
    Closing = 8, // also after the peer closed, until the tool closes its side
    Error = 9,
};

// Events and errors of the serial line, by the classic serial control's numbers.
enum class SerialEvent : int
{
    Send = 1,
    Receive = 2,
    CtsChange = 3,
    DsrChange = 4,
    CdChange = 5,
    Ring = 6,
    EndOfFile = 7,
    Break = 1001,
    CtsTimeout = 1002,
    DsrTimeout = 1003,
    FramingError = 1004,
    OverrunError = 1006,
    CdTimeout = 1007,
    ReceiveOverflow = 1008,
    ParityError = 1009,
    TransmitFull = 1010,
    ControlBlockError = 1011,
};

// What a connect command's toggle of the serial port came to. A port that failed to open for
// another reason than a missing device comes with the reason.
enum class PortToggle
{
    Opened,
    Closed,
    NotFound,
    Failed
};

} // namespace zkn::link
