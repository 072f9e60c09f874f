// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <map>
#include <optional>

namespace zkn::decodetool {

// Puts the segments of one direction of a TCP connection back in order by their sequence
// numbers. Bytes come out once each, in order: a retransmitted segment gives nothing again, an
// overlapping one only what is new, and one that arrives early is held until the bytes before
// it have come. The stream starts after the SYN's sequence number when the SYN was seen, else at
// the first data seen.
class StreamReassembly
{
public:
    void syn(quint32 initialSequence);
    // The bytes this segment puts in order behind those given before; often none.
    QByteArray segment(quint32 sequence, QByteArrayView payload);

    // Whether bytes wait behind ones that never came.
    bool holding() const { return !m_held.empty(); }
    // So much waits that the missing bytes are taken as lost by the capture.
    bool holdingTooMuch() const { return m_heldSize > kMostHeld; }
    // Gives up on the missing bytes: the held bytes up to the next gap.
    QByteArray skipGap();

private:
    static constexpr qsizetype kMostHeld = 4 * 1024 * 1024;

    // Appends what the held segments now continue.
    void drain(QByteArray& out);

    std::optional<quint32> m_start;      // the sequence number of the stream's first byte
    qint64 m_given = 0;                  // bytes given so far: the offset of the next one
    std::map<qint64, QByteArray> m_held; // early segments by their offset in the stream
    qsizetype m_heldSize = 0;
};

} // namespace zkn::decodetool
