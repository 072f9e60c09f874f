// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QTime>

namespace zkn::display {

// Direction markers at the start of every terminal line.
namespace marker {
inline constexpr char Sent[] = "<- :";     // a frame the tool sends to the PBX
inline constexpr char Received[] = " ->:"; // a frame from the PBX, or a condition on its side
inline constexpr char Local[] = "<->:";    // a local change of state
inline constexpr char Released[] = "-X-:"; // the link was released and the connection shut
} // namespace marker

// marker + "hh:mm:ss" + ": " + text + CR LF
QByteArray terminalLine(const char* marker, QTime time, const QByteArray& text);

// Lines of the LAN debug window, without a time stamp. Sent frames show each byte without a
// leading zero, received ones with two digits; both in upper case, each byte followed by a blank.
QByteArray sentHexTrace(const QByteArray& frame);
QByteArray receivedHexTrace(const QByteArray& data);

// A record as it is shown and decoded: every blank replaced by ".".
QByteArray DotBlanks(QByteArray text);

} // namespace zkn::display
