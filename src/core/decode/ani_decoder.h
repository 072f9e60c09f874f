// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decode/breakdown.h"
#include "decode/record_parts.h"

#include <QByteArrayView>

namespace zkn::decode {

// Shows the calling number in sub-frame 61 when the ANI data (presence flag first) says it is
// provided, else the ANI area's plain frame. KRA data: flag, a two-digit count, then count - 1
// digits; OLV data: flag, then 32 characters. A KRA count that gives no length ends the decode:
// the general error is added and false returned.
bool ProcessANI(QByteArrayView data, RecordFormat format, Breakdown& window);

} // namespace zkn::decode
