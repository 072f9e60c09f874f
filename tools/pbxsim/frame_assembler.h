// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>

namespace zkn::pbxsim {

// Cuts the tool's byte stream into link frames, however TCP splits or joins them. A frame is SYN,
// kind, a three-digit length n of at least 4 and n + 1 more bytes. Anything else is junk: bytes
// before a SYN, or a SYN whose length field is no such number; the reader then looks for the next
// SYN, so one damaged header costs one frame, not the link.
class FrameAssembler
{
public:
    struct Piece
    {
        bool isFrame = false;
        QByteArray bytes;
    };

    QList<Piece> feed(const QByteArray& bytes);
    void clear() { m_buffer.clear(); }

private:
    // Length n of the frame at the front, 0 while the header is incomplete, -1 when it is no header.
    int frontLength() const;
    Piece takeJunk(qsizetype from);

    QByteArray m_buffer;
};

} // namespace zkn::pbxsim
