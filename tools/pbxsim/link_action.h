// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pbxsim/frame_info.h"

#include <QByteArray>
#include <QList>

namespace zkn::pbxsim {

// What a transport does next on behalf of the PBX side, once `due` has come.
struct LinkAction
{
    enum class Type
    {
        Write, // put `bytes` on the line
        Close, // end the connection in order (TCP: FIN; serial: hang up)
        Reset, // abort the connection (TCP: RST)
    };

    Type type = Type::Write;
    qint64 due = 0;
    QByteArray bytes;
    QList<FrameInfo> frames; // the units this write completes, for the trace
};

} // namespace zkn::pbxsim
