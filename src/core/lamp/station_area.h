// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <optional>

namespace zkn::lamp {

// The station area of a fixed-field lamp message: 12 characters, or 26 with the expansion option.

// A station field of the dialogs' two-station area: 6 characters, 8 with the expansion option.
qsizetype stationFieldLength(bool expansion);

// One station, left-aligned and filled with blanks. Every whole number fits.
QByteArray oneStationArea(qint32 station, bool expansion);

// A range from `from` to `to` as the single-station dialog sends it: each text as it stands,
// left-aligned in 6 characters, or in 8 followed by 10 blanks with the expansion option. An empty
// text is a field of blanks. Nothing when a text is longer than its field: cutting it would
// switch another station's lamp, and letting it run on would shift every later position.
std::optional<QByteArray> twoStationArea(const QByteArray& from, const QByteArray& to, bool expansion);

} // namespace zkn::lamp
