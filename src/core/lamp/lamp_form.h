// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/connection_type.h"

namespace zkn::lamp {

enum class LampForm
{
    FixedField, // the OLV form
    Tagged      // the KRA form
};

// `LampControl` (the load test) speaks the PBX's format: fixed fields to an OLV PBX, tagged to a
// KRA PBX (`kraSelected` is the KRA option of the connection properties).
LampForm lampControlForm(bool kraSelected);

// The single-station dialog goes by the line instead: fixed fields on the serial line, tagged
// over TCP.
LampForm singleStationForm(ConnectionType type);

} // namespace zkn::lamp
