// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "monitor/watched_frame.h"

#include <QByteArray>
#include <QString>

namespace zkn::monitor {

// How bytes of the link are shown: as they are (a terminal draws control characters itself), or
// in a form a plain text stream can carry.
using ShowBytes = QByteArray (*)(const QByteArray& bytes);

// What a watched frame says, after its time and marker: over TCP "kind 1 lamp message    dev 01
// seq 07 check good  VMM on 1000", an answer with "code 0 OK, answers the lamp message in
// 1.902 ms"; on a serial line the message's name and text.
QByteArray frameText(const WatchedFrame& frame, ShowBytes show);

// "the PBX", "the message centre".
QString sideWords(Side side);
// How a connection ended: "closed by the PBX (device 01)", "reset by the message centre".
QString connectionEndText(Side by, bool reset, const QByteArray& device);

// The lines of a terminal that watches, in the tool's markers with the local time to the
// millisecond, the connection's number (none on a serial line) and CR LF:
// "<- :14:03:59.125: #1 kind 1 lamp message    dev 01 seq 07 check good  VMM on 1000". Blanks
// show as dots, as the tool shows what it receives.
QByteArray frameTerminalLine(const WatchedFrame& frame);
// "<->:14:03:59.125: #1 dev 01 FAULT a negative answer to ..."
QByteArray faultTerminalLine(const WatchFault& fault);
// "<->:14:03:59.125: #1 began from 192.0.2.7"; also what is not tied to a connection (0).
QByteArray eventTerminalLine(qint64 timeUs, int connection, const QString& event);

} // namespace zkn::monitor
