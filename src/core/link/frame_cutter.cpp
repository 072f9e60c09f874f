// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/frame_cutter.h"

#include "link/frame_reader.h"
#include "link/frame_sync.h"

namespace zkn::link {

namespace {

// Up to the next SYN at or after `from`, or all of it.
FrameCut skipToSyn(QByteArrayView rest, qsizetype from)
{
    const qsizetype next = rest.indexOf(SYN, from);
    return {FrameCut::What::Skip, next < 0 ? rest.size() : next};
}

} // namespace

FrameCut cutFront(QByteArrayView rest)
{
    if (rest.front() != SYN)
        return skipToSyn(rest, 0);
    if (!frontCanBeFrame(rest))
        return skipToSyn(rest, 1);
    const qsizetype frameEnd = claimedFrameEnd(rest);
    if (const std::optional<qsizetype> sound = soundFrameInside(rest, frameEnd))
        return {FrameCut::What::Skip, *sound};
    if (rest.size() < kFrameHeaderSize || rest.size() < frameEnd)
        return {FrameCut::What::Wait, 0};
    return {FrameCut::What::Frame, frameEnd};
}

} // namespace zkn::link
