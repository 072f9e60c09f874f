// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pbxsim/frame_info.h"
#include "pbxsim/link_action.h"

#include <QByteArray>
#include <QList>

#include <optional>

namespace zkn::pbxsim {

// What the simulator's TCP transport drives: the PBX's own logic, or a capture played back.
// Bytes and the time (ms) in, actions out.
class TcpPbxSide
{
public:
    virtual ~TcpPbxSide() = default;
    virtual void connectionOpened() = 0;
    virtual void connectionClosed() = 0;
    // Bytes from the tool; returns what was found in them, for the trace.
    virtual QList<FrameInfo> receive(const QByteArray& bytes, qint64 now) = 0;
    // Everything due at `now`, in order.
    virtual QList<LinkAction> takeDue(qint64 now) = 0;
    // When takeDue next has work; nothing while it has none.
    virtual std::optional<qint64> nextDue() const = 0;
};

} // namespace zkn::pbxsim
