// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

namespace zkn::test {

// Every byte value in turn, over and over: a byte changed, added or lost on the way shows.
inline QByteArray byteRun(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i % 256);
    return bytes;
}

} // namespace zkn::test
