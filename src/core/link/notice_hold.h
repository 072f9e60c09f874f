// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <deque>
#include <functional>
#include <map>
#include <memory>

namespace zkn::link {

// A box the operator must close holds the rest of the work that raised it, and nothing else.
//
// Work runs in strands. Each input (a command, an event of the line, a timer's tick) runs as a
// strand of its own; work that must keep its order across inputs (the received data) runs on a
// strand that lasts. A box, a request the program answers, or a frame waiting for its moment to
// leave holds the strand that opened it: what that strand queues with then() from then on waits
// until the hold is acknowledged, and then runs in order. Other strands go on meanwhile. Nothing
// waits inside a handler, so nothing is re-entered.
class NoticeHold
{
    struct Strand;

public:
    using StrandRef = std::shared_ptr<Strand>;

    // A strand for work that keeps its order across inputs.
    static StrandRef newStrand();
    // Runs `work` on `strand`, after what waits on it there; now when nothing does.
    void runOn(const StrandRef& strand, std::function<void()> work);
    // Runs `work` as a strand of its own.
    void run(std::function<void()> work) { runOn(newStrand(), std::move(work)); }

    // Holds the strand running now; returns the number the hold is acknowledged by.
    quint64 open();
    // The hold ends: when its strand holds nothing more, the work waiting there runs.
    void acknowledge(quint64 hold);
    // The strand running now is held.
    bool held() const { return m_current && !m_current->open.empty(); }
    // Holds are open on `strand`.
    static bool isHeld(const StrandRef& strand) { return !strand->open.empty(); }
    // Work waits on `strand` behind what runs or is held now.
    static bool hasWaiting(const StrandRef& strand) { return !strand->waiting.empty(); }

    // Runs `work` on the strand running now: at once when it is not held, else once it is free,
    // after the rest of the work running now and after what waited before. Outside any strand,
    // `work` begins a strand of its own.
    void then(std::function<void()> work);

private:
    struct Strand
    {
        std::deque<quint64> open;
        std::deque<std::function<void()>> waiting;
        // Work queued by the piece of held work that runs now, which goes before what waited.
        std::deque<std::function<void()>>* queuedByCurrent = nullptr;
        bool running = false;
    };
    void resume(const StrandRef& strand);

    // The strand of every open hold, kept while it is held.
    std::map<quint64, StrandRef> m_holds;
    StrandRef m_current;
    quint64 m_last = 0;
};

} // namespace zkn::link
