// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/link_context.h"
#include "link/link_state.h"
#include "link/notice_hold.h"
#include "link/skipped_bytes.h"

#include <QByteArray>
#include <QByteArrayView>

#include <functional>

namespace zkn::link {

struct FrameHeader;

// Received TCP data on its way to the link. The connection's stream is one strand: each chunk is
// worked through after the one before it, and the connection's end (the PBX's close or reset, a
// socket error) comes after the data before it. TCP is a byte stream: a frame may arrive in
// pieces, several may arrive together. Whole frames are handed over in order; a partial one that
// begins with SYN waits for the rest while the connection stands. Bytes that begin no frame (stray
// characters, or a fragment that turns out broken) cost only themselves: they are skipped up to
// the next SYN that begins a frame, also in later reads, and said once a frame follows. A box shown
// for a frame holds the frames behind it.
class ReceivePath
{
public:
    struct Owner
    {
        virtual ~Owner() = default;
        // A chunk is being worked through, and is done (`moreWaits`: another waits behind it).
        virtual void chunkBegins() = 0;
        virtual void chunkDone(bool moreWaits) = 0;
        // A whole frame: false when it cannot be taken apart, which ends the chunk.
        virtual bool frameArrived(const FrameHeader& frame) = 0;
    };

    ReceivePath(LinkContext& context, const LinkPhases& phases, Owner& owner)
        : m_context(context), m_phases(phases), m_owner(owner)
    {
    }

    // The data of one receive event: traced as it comes, handled after the data before it.
    void onData(const QByteArray& data);
    // `work` in the stream's order, after the data before it; dropped if its connection ended.
    void after(std::function<void()> work);
    // Received data waits or is being worked through.
    bool busy() const { return NoticeHold::isHeld(m_strand) || NoticeHold::hasWaiting(m_strand); }
    // The connection ended: its partial frame and the skipped bytes not yet said go with it.
    void connectionEnded();
    // The second after a line about skipped bytes is over: what was skipped since is said.
    void saySkippedBytes();
    // Bytes skipped before frames because they began none.
    qint64 skippedBytes() const { return m_skipped.total(); }

private:
    void ProcessZKNPacket(const QByteArray& data);
    void processFramesOfChunk();
    void frameBegins();
    void endChunk();
    void reportProcessingError(QByteArrayView unprocessed);

    LinkContext& m_context;
    const LinkPhases& m_phases;
    Owner& m_owner;
    QByteArray m_partialFrame;
    SkippedBytes m_skipped;
    // The chunk whose frames are being handled, how far they have been, and the connection it
    // came on.
    QByteArray m_chunk;
    qsizetype m_chunkAt = 0;
    quint64 m_chunkConnection = 0;
    NoticeHold::StrandRef m_strand = NoticeHold::newStrand();
};

} // namespace zkn::link
