// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame_splitter.h"

#include "link/control_chars.h"
#include "link/frame_sync.h"

namespace zkn::decodetool {

namespace {

// A header is read once its three length digits are there.
constexpr qsizetype kHeaderSize = 5;

} // namespace

FrameSplitter::FrameSplitter(link::Parity parity, Handler handler)
    : m_parity(parity), m_handler(std::move(handler))
{
}

void FrameSplitter::feed(QByteArrayView bytes)
{
    m_rest += bytes;
    qsizetype at = 0;
    for (qsizetype next = step(at); next != at; next = step(at))
        at = next;
    m_rest.remove(0, at);
}

qsizetype FrameSplitter::step(qsizetype at)
{
    const QByteArrayView rest = QByteArrayView(m_rest).sliced(at);
    if (rest.isEmpty())
        return at;
    if (rest.front() != link::SYN || !link::frontCanBeFrame(rest)) {
        const qsizetype next = rest.indexOf(link::SYN, 1);
        return next < 0 ? m_rest.size() : at + next;
    }
    const link::FrameHeader frame = link::readFrameHeader(rest, m_parity);
    const bool headerWhole = rest.size() >= kHeaderSize;
    const qsizetype frameEnd = headerWhole ? qsizetype(frame.length) + 6 : rest.size();
    if (const std::optional<qsizetype> sound = link::soundFrameInside(rest, frameEnd))
        return at + *sound;
    if (!headerWhole || rest.size() < frameEnd)
        return at;
    m_handler(frame);
    return at + frame.frame.size();
}

} // namespace zkn::decodetool
