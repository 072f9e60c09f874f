// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zkn::decode {

// The layout records are read in: the sectioned KRA layout or the fixed OLV layouts, as the
// connection settings choose it (RecordFormatFlag).
enum class RecordFormat
{
    Kra,
    Olv
};

// The parts of a record, numbered as both layouts number them; the party decoders get the number
// as their DataType.
enum class Part
{
    SourceDestination = 1,
    CallType = 2,
    CallingParty = 3,
    CalledParty = 4,
    ExtendedCallingParty = 5,
    Ani = 6
};

// Party kinds 0 station, 1 attendant, 2 trunk and 3 trunk with ANI; any other is unknown.
inline constexpr int kPartyKinds = 4;

} // namespace zkn::decode
