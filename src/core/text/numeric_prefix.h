// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace zkn::text {

// The digits a text begins with, blanks skipped, as the PBX-facing fields and the host box are
// read: " 12x" gives "12", "x12" and "" give nothing.
QByteArray leadingDigits(QByteArrayView text);

// The number those digits make, 0 when there are none; saturates instead of overflowing.
int leadingNumber(QByteArrayView text);

} // namespace zkn::text
