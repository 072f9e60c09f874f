// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/notice_hold.h"

#include <algorithm>
#include <utility>

namespace zkn::link {

quint64 NoticeHold::open()
{
    m_open.push_back(++m_last);
    return m_last;
}

void NoticeHold::acknowledge(quint64 notice)
{
    const auto it = std::find(m_open.begin(), m_open.end(), notice);
    if (it == m_open.end())
        return;
    m_open.erase(it);
    runHeldWork();
}

void NoticeHold::then(std::function<void()> work)
{
    if (!held()) {
        work();
        return;
    }
    (m_queuedByCurrent ? *m_queuedByCurrent : m_waiting).push_back(std::move(work));
}

void NoticeHold::runHeldWork()
{
    if (m_queuedByCurrent)
        return; // acknowledged from inside held work: the loop below goes on with it
    while (!held() && !m_waiting.empty()) {
        std::function<void()> work = std::move(m_waiting.front());
        m_waiting.pop_front();
        std::deque<std::function<void()>> queued;
        m_queuedByCurrent = &queued;
        work();
        m_queuedByCurrent = nullptr;
        m_waiting.insert(m_waiting.begin(), std::make_move_iterator(queued.begin()),
                         std::make_move_iterator(queued.end()));
    }
}

} // namespace zkn::link
