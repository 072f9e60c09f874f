// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lamp/lamp_function.h"

#include <QByteArray>

namespace zkn::lamp {

// The two forms of a lamp-control message, each a text from STX to ETX. Over the serial line it
// travels as it is; over TCP it is the data of a text frame (kind "1").

// Fixed fields: STX, "0!A", the function code, the station area, ETX.
QByteArray fixedFieldMessage(LampFunction function, const QByteArray& stationArea);

// Tagged fields of tag, length and value: STX, "0!A", the function ("01"), the first station
// ("02", present even when empty), the second station ("03", only when `second` is not empty),
// ETX.
QByteArray taggedMessage(LampFunction function, const QByteArray& first, const QByteArray& second);

} // namespace zkn::lamp
