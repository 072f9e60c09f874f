// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Finding frames again after a broken fragment. TCP may cut a frame anywhere, so a frame at the
// end of a read waits for the rest; but a stray SYN, or a header whose length field claims more
// than the frame holds, must not swallow the sound frames behind it. The decisions here depend on
// the bytes alone, never on where reads begin, so data gives the same frames whole or in pieces.
#include <QByteArrayView>

#include <optional>

namespace zkn::link {

// False once the bytes there show that the SYN at the front begins no frame: a kind other than
// "1" to "6" or a length field that is not three digits. Fewer bytes than a header are judged on
// what is there.
bool frontCanBeFrame(QByteArrayView data);

// Where the front frame ends by its length field (the length and six bytes around it), for a
// front that can be a frame; the end of the data while its header is not all there.
qsizetype claimedFrameEnd(QByteArrayView data);

// Where a sound frame starts that lies wholly before `limit` (the end of the front frame, or of
// the bytes there when that frame is not complete) and begins at a SYN after the front: the one
// that ends first, so that the answer is the same however the data arrives. A frame cut across
// reads has none inside it: its own 0x16 bytes (a check byte, say) begin no sound frame.
std::optional<qsizetype> soundFrameInside(QByteArrayView data, qsizetype limit);

} // namespace zkn::link
