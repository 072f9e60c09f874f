// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lamp/lamp_function.h"

#include <QtGlobal>

namespace zkn::lamp {

// One message of a load test, the switch-off sweep's among them, and what became of it.
struct LoadTestMessage
{
    qint64 sentUs = 0; // on the link's monotonic clock
    qint32 station = 0;
    LampFunction function = LampFunction::VmmOn;
    int sequence = -1;    // the frame's sequence number; none on the serial line
    int code = -1;        // the answer's code; none while unanswered
    qint64 answerMs = -1; // from the message leaving to its answer
    bool timedOut = false;
    bool superseded = false; // the single-station dialog's frame took its answer
};

} // namespace zkn::lamp
