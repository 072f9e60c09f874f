// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lamp/lamp_function.h"

#include <QByteArray>

namespace zkn::lamp {

// The message `LampControl` sends for one station of the load test: fixed fields with the station
// filling the area (12 characters, 26 with the expansion option) to an OLV PBX, tagged without a
// second station to a KRA PBX.
QByteArray lampControlMessage(qint32 station, LampFunction function, bool kraSelected, bool expansion);

} // namespace zkn::lamp
