// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

namespace zkn::test {

// A frame completed with its check byte, worked out here rather than by the tool's own code: the
// XOR of every byte after SYN, inverted under odd parity.
inline QByteArray withCheckByte(const QByteArray& frame, bool oddParity = true)
{
    quint8 x = 0;
    for (qsizetype i = 1; i < frame.size(); ++i)
        x ^= static_cast<quint8>(frame[i]);
    return frame + char(oddParity ? quint8(~x) : x);
}

} // namespace zkn::test
