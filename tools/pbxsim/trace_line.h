// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pbxsim/frame_info.h"

#include <QString>
#include <QTime>

namespace zkn::pbxsim {

// One line of the simulator's trace, e.g.
//   10:15:02.123 in  #1   kind 5 seq 07 | 16 35 30 30 36 30 31 30 37 30 30 FA | connect request, accepted
QString traceLine(const FrameInfo& frame, const QTime& time);
//   10:15:02.100 --  connection from 127.0.0.1:40512
QString eventLine(const QString& text, const QTime& time);

} // namespace zkn::pbxsim
