// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "monitor/watched_frame.h"

#include <QByteArray>
#include <QString>

namespace zkn::monitortool {

// The lines zkn-monitor prints, for people or as JSON Lines in zkn-decode's style. For people,
// in the tool terminal's markers (" ->:" from the PBX, "<- :" from the message centre), the local
// time to the millisecond and the connection's number:
//   2026-12-09 17:20:01.123 #1 <- : kind 1 lamp message  dev 01 seq 07 check good  VMM on 1000
//   2026-12-09 17:20:01.125 #1  ->: kind 3 response      dev 01 seq 07 check good  code 0 OK,
//       answers the lamp message in 1.902 ms
// As JSON: time (seconds since the epoch to the microsecond), connection, from ("pbx" or "mc"),
// kind, kind_name, device, seq, check_good, data, and as they apply lamp {function, first,
// second}, record, answers, answer_ms, late, code.
QByteArray frameLine(const monitor::WatchedFrame& frame, bool json);
// A fault: "2026-12-09 17:20:03.125 #1 dev 01 FAULT a negative answer to ...".
QByteArray faultLine(const monitor::WatchFault& fault, bool json);
// What happened to a connection: "began from 192.0.2.7", "closed by the PBX", "reset by the
// message centre"; in JSON as "event".
QByteArray connectionLine(qint64 timeUs, int connection, const QString& event, bool json);

} // namespace zkn::monitortool
