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

// A link frame from device 1: SYN, kind, three-digit length, "01", the two-digit sequence number,
// the data and the check byte.
inline QByteArray linkFrame(char kind, const QByteArray& sequence, const QByteArray& data = {})
{
    return withCheckByte('\x16' + QByteArray(1, kind) +
                         QByteArray::number(4 + data.size()).rightJustified(3, '0') + "01" + sequence + data);
}

} // namespace zkn::test
