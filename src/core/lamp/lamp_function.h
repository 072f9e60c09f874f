// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zkn::lamp {

// What a lamp-control message asks of the PBX; the message carries exactly this character.
enum class LampFunction : char
{
    MwOn = '1',
    VmmOn = '2',
    MwOff = '5',
    VmmOff = '6'
};

} // namespace zkn::lamp
