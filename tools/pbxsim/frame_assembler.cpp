// SPDX-License-Identifier: GPL-3.0-or-later
#include "pbxsim/frame_assembler.h"

#include "link/frame_reader.h"

namespace zkn::pbxsim {

namespace {

constexpr int kHeaderSize = 5;    // SYN, kind, three length digits
constexpr int kShortestCount = 4; // device and sequence fields
constexpr int kOverhead = 6;      // SYN, kind, length and check byte around the counted bytes

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

QList<FrameAssembler::Piece> FrameAssembler::feed(const QByteArray& bytes)
{
    m_buffer.append(bytes);
    QList<Piece> pieces;
    while (!m_buffer.isEmpty()) {
        if (m_buffer.front() != link::SYN) {
            pieces.append(takeJunk(0));
            continue;
        }
        const int n = frontLength();
        if (n < 0) {
            pieces.append(takeJunk(1));
            continue;
        }
        if (n == 0 || m_buffer.size() < n + kOverhead)
            break;
        pieces.append({true, m_buffer.first(n + kOverhead)});
        m_buffer.remove(0, n + kOverhead);
    }
    return pieces;
}

int FrameAssembler::frontLength() const
{
    if (m_buffer.size() < kHeaderSize)
        return 0;
    int n = 0;
    for (int i = 2; i < kHeaderSize; ++i) {
        if (!isDigit(m_buffer[i]))
            return -1;
        n = n * 10 + (m_buffer[i] - '0');
    }
    return n >= kShortestCount ? n : -1;
}

// Everything up to the next SYN at or after `from`, or all of it.
FrameAssembler::Piece FrameAssembler::takeJunk(qsizetype from)
{
    qsizetype end = m_buffer.indexOf(link::SYN, from);
    if (end < 0)
        end = m_buffer.size();
    Piece junk{false, m_buffer.first(end)};
    m_buffer.remove(0, end);
    return junk;
}

} // namespace zkn::pbxsim
