// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The shapes a stream reader is fed in: whole, one byte at a time, and in pieces whose sizes
// follow from the input itself, so an input that breaks the rule breaks it again on replay.
#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <random>

namespace zkn::fuzz {

// A stream cut at the given offsets.
using Cuts = QList<qsizetype>;

inline Cuts everyByte(qsizetype size)
{
    Cuts cuts;
    for (qsizetype i = 1; i < size; ++i)
        cuts.append(i);
    return cuts;
}

// Pieces of 1 to 16 bytes, their sizes drawn from `seed`.
inline Cuts randomCuts(qsizetype size, quint32 seed)
{
    std::minstd_rand random(seed);
    Cuts cuts;
    for (qsizetype at = 1 + qsizetype(random() % 16); at < size; at += 1 + qsizetype(random() % 16))
        cuts.append(at);
    return cuts;
}

inline quint32 seedOf(QByteArrayView data)
{
    quint32 seed = quint32(data.size());
    for (const char c : data)
        seed = seed * 31 + quint8(c);
    return seed;
}

// Whole, byte by byte and in random pieces: every reader must give the same result for each.
inline QList<Cuts> streamShapes(QByteArrayView data)
{
    return {{}, everyByte(data.size()), randomCuts(data.size(), seedOf(data))};
}

inline QList<QByteArray> cutInto(QByteArrayView data, const Cuts& cuts)
{
    QList<QByteArray> pieces;
    qsizetype from = 0;
    for (const qsizetype to : cuts) {
        pieces.append(data.sliced(from, to - from).toByteArray());
        from = to;
    }
    if (from < data.size() || pieces.isEmpty())
        pieces.append(data.sliced(from).toByteArray());
    return pieces;
}

} // namespace zkn::fuzz
