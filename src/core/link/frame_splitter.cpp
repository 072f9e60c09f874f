// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/frame_splitter.h"

#include "link/frame_cutter.h"

namespace zkn::link {

FrameSplitter::FrameSplitter(Parity parity, Handler handler) : m_parity(parity), m_handler(std::move(handler))
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
    const FrameCut cut = cutFront(rest);
    if (cut.what == FrameCut::What::Frame)
        m_handler(readFrameHeader(rest.first(cut.size), m_parity));
    return at + cut.size;
}

} // namespace zkn::link
