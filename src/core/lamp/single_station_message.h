// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lamp/lamp_function.h"
#include "model/connection_type.h"

#include <QByteArray>

#include <optional>

namespace zkn::lamp {

// The message of the single-station dialog for the stations `from` and `to`, the texts of its two
// boxes as they stand. On the serial line: fixed fields with both stations in the area (6 + 6, or
// 8 + 8 + 10 with the expansion option); nothing when a station is longer than its field. Over
// TCP: tagged, with the second station only when its box is neither empty nor one blank (a
// single station's box holds one blank).
std::optional<QByteArray> singleStationMessage(ConnectionType type, LampFunction function,
                                               const QByteArray& from, const QByteArray& to, bool expansion);

} // namespace zkn::lamp
