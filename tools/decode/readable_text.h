// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decode/breakdown.h"
#include "link_side.h"

#include <optional>
#include <QByteArray>

namespace zkn::decodetool {

// Appends one record's decode for people, in UTF-8: the heading "Record <number>: <caption>",
// one line per filled box ("Calling Party (Station)  STN: 2003...."), one per message the decode
// raised ("Message  ERROR: Unknown Call Type"), and an empty line.
void appendReadable(QByteArray& out, int number, const decode::Breakdown& breakdown,
                    std::optional<CaptureTime> time = std::nullopt);

} // namespace zkn::decodetool
