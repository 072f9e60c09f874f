// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace zkn::pbxsim {

// One unit seen on the link, for the trace and for observers: a link frame on TCP, a message text
// on a serial line, or bytes that are neither.
struct FrameInfo
{
    enum class Direction
    {
        In,
        Out
    };

    static constexpr char kJunk = '-'; // bytes that are no frame
    static constexpr char kText = 't'; // a serial message text or plain characters

    Direction direction = Direction::In;
    int index = 0; // running number of the unit in its direction, from 1
    char kind = 0; // the frame's kind digit, kJunk or kText
    QByteArray sequenceField;
    QByteArray bytes;
    QString note; // what the simulator made of it
};

} // namespace zkn::pbxsim
