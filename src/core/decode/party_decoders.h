// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decode/breakdown.h"
#include "decode/record_parts.h"

#include <QByteArrayView>

namespace zkn::decode {

// Each shows one party (its data after the kind character) in the sub-frame 10 x dataType + id of
// the party's area, every box of it filled from the layout's field table or emptied.
void ProcessStation(QByteArrayView data, Part dataType, int id, RecordFormat format, Breakdown& window);
void ProcessAttendant(QByteArrayView data, Part dataType, int id, RecordFormat format, Breakdown& window);
void ProcessTrunk(QByteArrayView data, Part dataType, int id, RecordFormat format, Breakdown& window);

// Hands the party to the decoder of its kind; false for a kind that is not 0 to 3, which shows
// nothing and is the dispatcher's to report.
bool decodeParty(QByteArrayView data, Part part, int kind, RecordFormat format, Breakdown& window);

} // namespace zkn::decode
