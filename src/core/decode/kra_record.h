// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decode/breakdown.h"

#include <QByteArrayView>

namespace zkn::decode {

// Decodes a KRA body (sections, then the ETX) into the window.
void decodeKra(QByteArrayView body, Breakdown& window);

} // namespace zkn::decode
