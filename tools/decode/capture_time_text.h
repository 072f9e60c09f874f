// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link_side.h"

#include <QByteArray>

namespace zkn::decodetool {

// A packet's time for people, in UTC to the microsecond: "2025-12-06 05:46:40.250000".
QByteArray readableCaptureTime(CaptureTime time);
// The same as a JSON number of seconds since the epoch: 1765000000.250000.
QByteArray jsonCaptureTime(CaptureTime time);

} // namespace zkn::decodetool
