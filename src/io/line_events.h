// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/transport_states.h"

#include <QList>

namespace zkn {

// What a poll of a serial line saw: the modem line bits (TIOCM_*) and the driver's counters of
// line errors.
struct LineSnapshot
{
    int lines = 0;
    int breaks = 0;
    int framing = 0;
    int overruns = 0;
    int parity = 0;
};

// The events between two polls, in the classic control's order: a change of CTS, DSR or CD, a
// ring coming on, then each counter that grew.
QList<link::SerialEvent> lineEventsBetween(const LineSnapshot& before, const LineSnapshot& now);

} // namespace zkn
