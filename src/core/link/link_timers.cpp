// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/link_timers.h"

namespace zkn::link {

LinkTimers::LinkTimers()
{
    setInterval(Timer::StatusMonitor, 1000);
    setInterval(Timer::T2, 500);
    setInterval(Timer::T3, 10000);
    setInterval(Timer::Timer1, 1000);
    setInterval(Timer::ConnectionStatus, 250);
    setInterval(Timer::Reconnect, 2000);
    setInterval(Timer::ReleaseLimit, 10000);
    setInterval(Timer::ExitPause, 1000);
    setInterval(Timer::ExitCloseLimit, 5000);
    setInterval(Timer::Send, 300);
    setInterval(Timer::TxLamp, 50);
    setInterval(Timer::RxLamp, 50);
    setInterval(Timer::SkipReport, 1000);
}

void LinkTimers::start(Timer timer, qint64 now)
{
    if (at(timer).due)
        return;
    restart(timer, now);
}

void LinkTimers::restart(Timer timer, qint64 now)
{
    at(timer).due = now + at(timer).intervalUs;
}

void LinkTimers::stop(Timer timer)
{
    if (!at(timer).due)
        return;
    at(timer).due.reset();
}

bool LinkTimers::isActive(Timer timer) const
{
    return at(timer).due.has_value();
}

std::optional<qint64> LinkTimers::nextDeadline() const
{
    std::optional<qint64> next;
    for (const Deadline& d : m_deadlines)
        if (d.due && (!next || *d.due < *next))
            next = d.due;
    return next;
}

std::optional<Timer> LinkTimers::takeDue(qint64 now, const TimerSet& skipped)
{
    std::optional<std::size_t> earliest;
    for (std::size_t i = 0; i < m_deadlines.size(); ++i) {
        const auto& due = m_deadlines[i].due;
        if (m_deadlines[i].due && !skipped.test(i) && *due <= now &&
            (!earliest || *due < *m_deadlines[*earliest].due))
            earliest = i;
    }
    if (!earliest)
        return std::nullopt;
    Deadline& d = m_deadlines[*earliest];
    // A late tick is not made up for: the next one comes a whole interval after this one.
    *d.due += d.intervalUs;
    if (*d.due <= now)
        d.due = now + d.intervalUs;
    return static_cast<Timer>(*earliest);
}

} // namespace zkn::link
