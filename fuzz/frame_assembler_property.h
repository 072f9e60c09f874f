// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The rule for the simulator's frame assembler: any bytes give frames and junk, never a crash,
// and the same frames with the same junk between them whole, byte by byte or in any pieces. A
// frame is SYN, kind, a length n of at least 4 in three digits and n + 1 more bytes, and the
// pieces given out are the stream itself, in order.
#include "pieces.h"

#include "link/frame_reader.h"
#include "pbxsim/frame_assembler.h"

namespace zkn::fuzz {

// Frames as they came, junk joined up to the next frame: how finely junk is cut depends on the
// reads, what it holds does not.
inline QList<pbxsim::FrameAssembler::Piece> assemble(const QList<QByteArray>& reads)
{
    pbxsim::FrameAssembler assembler;
    QList<pbxsim::FrameAssembler::Piece> pieces;
    for (const QByteArray& read : reads) {
        for (const auto& piece : assembler.feed(read)) {
            if (!piece.isFrame && !pieces.isEmpty() && !pieces.back().isFrame)
                pieces.back().bytes += piece.bytes;
            else
                pieces.append(piece);
        }
    }
    return pieces;
}

inline bool wellFormedFrame(const QByteArray& frame)
{
    if (frame.size() < 5 || frame.front() != link::SYN)
        return false;
    bool ok = false;
    const int n = frame.mid(2, 3).toInt(&ok);
    return ok && n >= 4 && frame.size() == n + 6;
}

inline bool samePieces(const QList<pbxsim::FrameAssembler::Piece>& a,
                       const QList<pbxsim::FrameAssembler::Piece>& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (a[i].isFrame != b[i].isFrame || a[i].bytes != b[i].bytes)
            return false;
    return true;
}

// Returns false when the rule is broken.
inline bool checkFrameAssemblerInput(QByteArrayView input)
{
    const QList<Cuts> shapes = streamShapes(input);
    const auto whole = assemble(cutInto(input, shapes.front()));
    QByteArray given;
    for (const auto& piece : whole) {
        if (piece.isFrame && !wellFormedFrame(piece.bytes))
            return false;
        given += piece.bytes;
    }
    if (!input.startsWith(given))
        return false;
    for (const Cuts& cuts : shapes)
        if (!samePieces(assemble(cutInto(input, cuts)), whole))
            return false;
    return true;
}

} // namespace zkn::fuzz
