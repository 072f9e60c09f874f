// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>

namespace zkn::link {

// One step of cutting received bytes into link frames, by the receiver's rules: bytes that begin
// no frame are skipped up to the next SYN that may begin one; a broken fragment (a header that is
// no frame's, or one a sound frame begins inside) is skipped up to that sound frame; a frame not
// yet whole waits for the rest. The answer depends on the bytes alone, never on where reads
// begin, so data gives the same frames whole or in pieces.
struct FrameCut
{
    enum class What
    {
        Skip,  // the first `size` bytes begin no frame
        Wait,  // the bytes there may begin a frame that is not whole yet
        Frame, // the first `size` bytes are a frame
    };
    What what = What::Wait;
    qsizetype size = 0;
};

// What the front of `rest` is; `rest` is not empty.
FrameCut cutFront(QByteArrayView rest);

} // namespace zkn::link
