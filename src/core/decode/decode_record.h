// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decode/breakdown.h"
#include "decode/record_parts.h"

#include <QByteArrayView>

namespace zkn::decode {

// Decodes one received record text (STX, three header characters, the body, ETX; blanks may
// already show as ".") in the given layout into what the breakdown window shows. A lamp-control
// answer (STX "0!A") leaves the window alone. Faults of the record become messages, never reads
// beyond the text.
Breakdown DecodeRecord(QByteArrayView record, RecordFormat format);

} // namespace zkn::decode
