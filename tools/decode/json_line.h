// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decode/breakdown.h"
#include "link_side.h"

#include <optional>
#include <QByteArray>
#include <QByteArrayView>

namespace zkn::decodetool {

// Appends one record's decode as a JSON object on a line of its own (JSON Lines), in UTF-8:
// {"record", "caption", "areas": {source, calling, called, extended, callType, ani}, "messages"}.
// An area is null while its plain frame is in front; otherwise it gives the sub-frame's number
// ("FrmCallType" for the call type), caption and boxes by label. The record is Latin-1 text.
void appendJsonLine(QByteArray& out, QByteArrayView record, const decode::Breakdown& breakdown,
                    std::optional<CaptureTime> time = std::nullopt);

} // namespace zkn::decodetool
