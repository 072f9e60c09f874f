// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "operator/operator.h"

#include <QStringList>

namespace zkn::link {

// What the PBX or the network did wrong, as the operator is told in a box.
enum class PeerFault
{
    ImproperSequence,       // a response that answers no request: its sequence field, SeqLamp
    UnreadableFrame,        // a frame the processor cannot take apart: the time, the data left
    HealthChecksUnanswered, // the seventh health check in a row went unanswered
    LampControlUnanswered,  // no answer to a lamp-control frame within 10 s
    SocketError,            // the socket failed: its description, the time, the error's number
};

// The fault's box, with the details in the order listed above.
Operator::Message faultBox(PeerFault fault, const QStringList& details = {});

} // namespace zkn::link
