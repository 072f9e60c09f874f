// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

namespace zkn::decodetool {

// Which side of the link sent something.
enum class LinkSide
{
    Tool,
    Pbx
};

// Microseconds since the epoch, as a capture gives a packet's time.
using CaptureTime = qint64;

} // namespace zkn::decodetool
