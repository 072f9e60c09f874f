// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/transport_states.h"

#include <QDateTime>
#include <QString>

namespace zkn::link {

// The words of the "Status" panel for a socket state.
QString socketStateText(SocketState state);

// The "Status" panel's words for a serial line event or error.
QString lineEventText(SerialEvent event);

// The connect time shown: the time-of-day part of the time since the link came up, hh:mm:ss.
QString elapsedText(const QDateTime& since, const QDateTime& now);

} // namespace zkn::link
