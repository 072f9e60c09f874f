// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decode/breakdown.h"

#include <QByteArrayView>

namespace zkn::decode {

// Shows a call-type part (loop number, two-digit code) in FrmCallType, the code as its text from
// the call-type table. An unknown code shows as an error and adds the "Unknown Call Type" box;
// decoding goes on.
void ProcessCallType(QByteArrayView data, Breakdown& window);

} // namespace zkn::decode
