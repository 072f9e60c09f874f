// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

namespace zkn::pbxsim {

// A link as a capture holds it: its TCP connections in order, each with its frames from both
// sides and how it ended.
struct CapturedFrame
{
    qint64 us = 0; // the time it was captured, in microseconds
    bool fromTool = false;
    QByteArray bytes; // the whole frame, SYN to check byte
};

struct CapturedConnection
{
    enum class End
    {
        Open,      // the capture ended first
        PbxClosed, // the PBX sent FIN first
        PbxReset,  // the PBX sent RST
        ToolEnded  // the tool closed or reset it
    };
    QList<CapturedFrame> frames;
    End end = End::Open;
    qint64 endUs = 0;
};

using CapturedLink = QList<CapturedConnection>;

} // namespace zkn::pbxsim
