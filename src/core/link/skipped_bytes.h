// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <utility>

namespace zkn::link {

// Received bytes passed over because they began no frame: stray characters before or between
// frames, and broken fragments. They are counted until a frame follows them, then said; what a
// frame follows within the second after a report is said with the next one.
class SkippedBytes
{
public:
    void skip(qsizetype count) { m_beforeFrame += count; }
    // A frame begins: true when bytes were skipped before it.
    bool frameBegins()
    {
        if (m_beforeFrame == 0)
            return false;
        m_unsaid += m_beforeFrame;
        m_total += m_beforeFrame;
        m_beforeFrame = 0;
        return true;
    }
    // The count not yet said, now said.
    qint64 takeUnsaid() { return std::exchange(m_unsaid, 0); }
    // The connection has ended: what it left is no longer news.
    void forget() { m_beforeFrame = m_unsaid = 0; }
    // Every byte skipped before a frame since the engine began.
    qint64 total() const { return m_total; }

private:
    qint64 m_beforeFrame = 0;
    qint64 m_unsaid = 0;
    qint64 m_total = 0;
};

} // namespace zkn::link
