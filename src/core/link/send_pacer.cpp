// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/send_pacer.h"

#include <algorithm>

namespace zkn::link {

std::optional<qint64> SendPacer::dueUs() const
{
    if (m_waiting.empty())
        return std::nullopt;
    qint64 due = m_waiting.front().handedOverUs + m_spacingUs;
    if (m_lastLeftUs)
        due = std::max(due, *m_lastLeftUs + m_spacingUs);
    return due;
}

SendPacer::Frame SendPacer::takeFront(bool sent, qint64 nowUs)
{
    Frame front = std::move(m_waiting.front());
    m_waiting.pop_front();
    if (sent) {
        m_lastLeftUs = nowUs;
        *front.left = true;
    }
    return front;
}

std::vector<quint64> SendPacer::giveUp()
{
    std::vector<quint64> holds;
    for (const Frame& frame : m_waiting)
        if (frame.hold)
            holds.push_back(frame.hold);
    m_waiting.clear();
    m_lastLeftUs.reset();
    return holds;
}

} // namespace zkn::link
