// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/receive_path.h"

#include "display/terminal_line.h"
#include "link/frame_cutter.h"
#include "link/frame_reader.h"
#include "link/peer_faults.h"

namespace zkn::link {

namespace {
using Out = LinkOutput::Type;
} // namespace

void ReceivePath::onData(const QByteArray& data)
{
    m_context.out({Out::TraceReceived, data});
    after([this, data] {
        m_owner.chunkBegins();
        m_context.blink(Timer::RxLamp);
        ProcessZKNPacket(data);
    });
}

void ReceivePath::after(std::function<void()> work)
{
    m_context.hold().runOn(m_strand, [this, work = std::move(work), connection = m_phases.connection()] {
        if (connection == m_phases.connection())
            work();
    });
}

void ReceivePath::connectionEnded()
{
    m_partialFrame.clear();
    m_skipped.forget();
    m_context.timers().stop(Timer::SkipReport);
}

void ReceivePath::ProcessZKNPacket(const QByteArray& data)
{
    m_context.blink(Timer::TxLamp);
    m_chunkConnection = m_phases.connection();
    m_chunk = m_partialFrame + data;
    m_chunkAt = 0;
    m_partialFrame.clear();
    processFramesOfChunk();
}

// A frame follows skipped bytes: said at once unless a line said some within the second.
void ReceivePath::frameBegins()
{
    if (m_skipped.frameBegins() && !m_context.timers().isActive(Timer::SkipReport)) {
        saySkippedBytes();
        m_context.timers().start(Timer::SkipReport, m_context.now());
    }
}

// Each line is a fault for the snapshot; a flood of junk is a line and a fault a second.
void ReceivePath::saySkippedBytes()
{
    const qint64 count = m_skipped.takeUnsaid();
    if (count == 0) {
        m_context.timers().stop(Timer::SkipReport);
        return;
    }
    m_context.fault(QStringLiteral("bytes skipped before a frame"));
    m_context.writeLine(display::marker::Received, QByteArray::number(count) +
                                                       (count == 1 ? " byte" : " bytes") +
                                                       " skipped before a frame");
}

// The frames of the chunk in order, walked with an offset so a chunk costs its size once; a box
// shown for one, or its answer waiting to leave, holds the ones behind it. A chunk worked through
// while its connection has ended is dropped.
void ReceivePath::processFramesOfChunk()
{
    if (m_chunkConnection != m_phases.connection()) {
        m_chunk.clear();
        return;
    }
    while (m_chunkAt < m_chunk.size()) {
        // Nothing of a frame is copied before it is known to be one.
        const QByteArrayView rest = QByteArrayView(m_chunk).sliced(m_chunkAt);
        const FrameCut cut = cutFront(rest);
        if (cut.what == FrameCut::What::Skip) {
            m_skipped.skip(cut.size);
            m_chunkAt += cut.size;
            continue;
        }
        if (cut.what == FrameCut::What::Wait) {
            // A frame in this very read may have ended the link: nothing is kept for it.
            if (m_phases.connectionStands())
                m_partialFrame = rest.toByteArray();
            m_chunkAt = m_chunk.size();
            break;
        }
        frameBegins();
        const FrameHeader frame = readFrameHeader(rest.first(cut.size), m_context.parity());
        m_chunkAt += cut.size;
        if (!m_owner.frameArrived(frame)) {
            reportProcessingError(rest);
            m_chunkAt = m_chunk.size();
            break;
        }
        if (m_context.hold().held()) {
            m_context.then([this] { processFramesOfChunk(); });
            return;
        }
    }
    m_chunk.clear();
    m_context.then([this] { endChunk(); });
}

void ReceivePath::endChunk()
{
    if (m_chunkConnection == m_phases.connection())
        m_owner.chunkDone(NoticeHold::hasWaiting(m_strand));
}

// A frame the processor cannot take apart (a record without STX, or too short for its text)
// ends this receive event; the rest of its data is dropped.
// The box quotes the start of what was left, enough to recognise the frame.
void ReceivePath::reportProcessingError(QByteArrayView unprocessed)
{
    constexpr qsizetype kQuoted = 256;
    QString quoted = QString::fromLatin1(unprocessed.first(qMin(unprocessed.size(), kQuoted)));
    if (unprocessed.size() > kQuoted)
        quoted += QStringLiteral("... (%1 bytes more)").arg(unprocessed.size() - kQuoted);
    m_context.fault(QStringLiteral("a frame that cannot be read"));
    m_context.tell(faultBox(PeerFault::UnreadableFrame, {m_context.timeStamp(), quoted}));
}

} // namespace zkn::link
