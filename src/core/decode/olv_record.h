// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decode/breakdown.h"

#include <QByteArrayView>

namespace zkn::decode {

// Decodes an OLV body of one of the four fixed layouts, chosen by its length, into the window.
void decodeOlv(QByteArrayView body, Breakdown& window);

} // namespace zkn::decode
