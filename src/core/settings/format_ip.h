// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace zkn::settings {

// Normalises a dotted host address to four numeric parts: missing parts become 0, each part is
// read from its leading digits, and written without leading zeros or, with `pad`, with at least
// three digits. "010.1.002.3" gives "10.1.2.3", "192.168.1" gives "192.168.1.0", "" gives
// "0.0.0.0". Everything after the third dot is the fourth part. Values above 255 pass unchanged.
QString FormatIP(const QString& text, bool pad);

} // namespace zkn::settings
