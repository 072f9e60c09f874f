// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/notice_hold.h"

#include <algorithm>
#include <utility>

namespace zkn::link {

NoticeHold::StrandRef NoticeHold::newStrand()
{
    return std::make_shared<Strand>();
}

void NoticeHold::runOn(const StrandRef& strand, std::function<void()> work)
{
    strand->waiting.push_back(std::move(work));
    resume(strand);
}

quint64 NoticeHold::open()
{
    Q_ASSERT(m_current); // every input runs on a strand
    const StrandRef strand = m_current ? m_current : newStrand();
    strand->open.push_back(++m_last);
    m_holds.emplace(m_last, strand);
    return m_last;
}

void NoticeHold::acknowledge(quint64 hold)
{
    const auto found = m_holds.find(hold);
    if (found == m_holds.end())
        return;
    const StrandRef strand = std::move(found->second);
    m_holds.erase(found);
    strand->open.erase(std::find(strand->open.begin(), strand->open.end(), hold));
    resume(strand);
}

void NoticeHold::then(std::function<void()> work)
{
    if (!m_current) {
        run(std::move(work));
        return;
    }
    if (!held()) {
        work();
        return;
    }
    (m_current->queuedByCurrent ? *m_current->queuedByCurrent : m_current->waiting)
        .push_back(std::move(work));
}

void NoticeHold::resume(const StrandRef& strand)
{
    if (strand->running)
        return; // acknowledged from inside its own work: the loop below goes on with it
    strand->running = true;
    StrandRef previous = std::exchange(m_current, strand);
    while (!isHeld(strand) && !strand->waiting.empty()) {
        std::function<void()> work = std::move(strand->waiting.front());
        strand->waiting.pop_front();
        std::deque<std::function<void()>> queued;
        strand->queuedByCurrent = &queued;
        work();
        strand->queuedByCurrent = nullptr;
        strand->waiting.insert(strand->waiting.begin(), std::make_move_iterator(queued.begin()),
                               std::make_move_iterator(queued.end()));
    }
    m_current = std::move(previous);
    strand->running = false;
}

} // namespace zkn::link
