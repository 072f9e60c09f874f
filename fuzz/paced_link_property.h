// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The rule for the link at its real pace under a long stream from the PBX, read as the TCP link
// reads it (64 KB at a time, and only while the tool is ready for more), its boxes answered at
// once or only once reading has stopped for them: the tool never waits on nothing (reading comes
// back on while the link stands), frames leave at least 20 ms apart, they are the frames the same
// stream gets when they leave at once, and the receive path copies no more than a few times what
// it is given.
#include "allocation_counter.h"
#include "lan_link_setup.h"

#include "link/link_engine.h"

namespace zkn::fuzz {

inline constexpr qsizetype kReadSize = 64 * 1024; // as the TCP link reads
inline constexpr qsizetype kLongestStream = 4 * kReadSize;
inline constexpr int kSpacingMs = 20;

struct PacedOutcome
{
    bool stalled = false;
    bool spacedEnough = true;
    QList<QByteArray> sent;
    bool comparable = true; // no frame that could not be taken apart
    std::size_t copied = 0;
};

class PacedLink
{
public:
    PacedLink(int spacingMs, bool lateOperator)
        : m_engine(m_s.clock, m_s.connection, m_s.debug, m_s.expansion, m_s.loadTest)
    {
        m_s.debug.setStopHealth(true); // the stream's PBX answers no health check
        m_engine.setSendSpacing(spacingMs);
        m_s.host.frameLeaves = [this, spacingMs](const QByteArray&) {
            const qint64 now = m_s.clock.nowUs();
            if (m_lastLeftUs && now - *m_lastLeftUs < qint64(spacingMs) * 1000)
                m_outcome.spacedEnough = false;
            m_lastLeftUs = now;
        };
        m_engine.connectCommand();
        m_s.host.drain(m_engine, m_s.op);
        m_s.host.state = link::SocketState::Connected;
        work([&] { m_engine.onSocketConnected(); });
        work([&] { m_engine.onSocketData(QByteArray::fromHex("16 33 30 30 35 30 31 30 30 30 C8")); });
        finish();
        m_s.host.sent.clear();
        m_s.op.keepOpen = lateOperator;
    }

    PacedOutcome play(const QList<QByteArray>& reads)
    {
        for (const QByteArray& read : reads) {
            while (linkStands() && !m_engine.readsSocket())
                if (!waitForNextDeadline())
                    return stalled();
            if (!linkStands())
                break;
            work([&] { m_engine.onSocketData(read); });
        }
        finish();
        m_outcome.sent = m_s.host.sent;
        m_outcome.comparable =
            std::none_of(m_s.op.messages.begin(), m_s.op.messages.end(),
                         [](const Operator::Message& m) { return m.title == QLatin1String("Error"); });
        return m_outcome;
    }

private:
    template <typename Work> void work(Work w)
    {
        m_s.host.sync(m_engine);
        m_outcome.copied += test::bytesAllocatedBy(w).value_or(0);
        m_s.host.drain(m_engine, m_s.op);
    }

    bool linkStands() const { return m_s.host.state == link::SocketState::Connected; }

    // Reading is off: the boxes still open are read, else time moves on to the next deadline.
    // False when the tool waits on nothing that would end.
    bool waitForNextDeadline()
    {
        if (m_s.op.closeBox()) {
            work([] {});
            return true;
        }
        if (!m_engine.timers().isActive(link::Timer::Pace))
            return false;
        const qint64 due = *m_engine.timers().nextDeadline();
        m_s.clock.advanceUs(due - m_s.clock.nowUs());
        work([&] { m_engine.advanceTo(due); });
        return true;
    }

    // Every frame waiting leaves and every box is read.
    void finish()
    {
        while (m_s.op.closeBox() || m_engine.timers().isActive(link::Timer::Pace)) {
            const qint64 due = m_engine.timers().nextDeadline().value_or(m_s.clock.nowUs());
            m_s.clock.advanceUs(std::max<qint64>(0, due - m_s.clock.nowUs()));
            work([&] { m_engine.advanceTo(m_s.clock.nowUs()); });
        }
    }

    PacedOutcome stalled()
    {
        m_outcome.stalled = true;
        return m_outcome;
    }

    test::LanLinkSetup m_s{QStringLiteral("5")};
    link::LinkEngine m_engine;
    PacedOutcome m_outcome;
    std::optional<qint64> m_lastLeftUs;
};

// One fuzz input: its first byte chooses the late operator (bit 0), the next two how many times
// the rest is repeated to make the stream (little-endian), up to four reads.
inline bool checkPacedLinkInput(QByteArrayView input)
{
    if (input.size() < 4)
        return true;
    const bool lateOperator = input[0] & 1;
    const int repeats = quint8(input[1]) | quint8(input[2]) << 8;
    const QByteArrayView pattern = input.sliced(3);
    const QByteArray stream =
        pattern.toByteArray().repeated(std::min<qsizetype>(repeats, kLongestStream / pattern.size()));
    QList<QByteArray> reads;
    for (qsizetype at = 0; at < stream.size(); at += kReadSize)
        reads.append(stream.mid(at, kReadSize));

    const PacedOutcome paced = PacedLink(kSpacingMs, lateOperator).play(reads);
    if (paced.stalled || !paced.spacedEnough || paced.copied > 4 * std::size_t(stream.size()) + 4 * kReadSize)
        return false;
    const PacedOutcome atOnce = PacedLink(0, false).play(reads);
    return !paced.comparable || !atOnce.comparable || paced.sent == atOnce.sent;
}

} // namespace zkn::fuzz
