// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <deque>
#include <functional>

namespace zkn::link {

// A box the operator must close holds the work that follows it: what comes after the box, and
// every input that arrives while it is open, waits until the last open box is acknowledged and
// then runs in order. Nothing waits inside a handler, so nothing is re-entered.
class NoticeHold
{
public:
    // A box is shown; returns the number it is acknowledged by.
    quint64 open();
    // The operator closed the box: when no other is open, the work held runs.
    void acknowledge(quint64 notice);
    bool held() const { return !m_open.empty(); }
    // The boxes opened so far, so a caller can tell whether a piece of work opened one.
    quint64 opened() const { return m_last; }

    // Runs `work` now when no box is open, else once none is: after the work of the handler
    // running now, and after what waited before.
    void then(std::function<void()> work);

private:
    void runHeldWork();

    std::deque<quint64> m_open;
    std::deque<std::function<void()>> m_waiting;
    // Work queued by the piece of held work that runs now, which goes before what waited.
    std::deque<std::function<void()>>* m_queuedByCurrent = nullptr;
    quint64 m_last = 0;
};

} // namespace zkn::link
