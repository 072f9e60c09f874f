#include "link/link_timers.h"

namespace zkn::link {

LinkTimers::LinkTimers()
{
    at(Timer::StatusMonitor).interval = 1000;
    at(Timer::T2).interval = 500;
    at(Timer::T3).interval = 10000;
    at(Timer::Timer1).interval = 1000;
    at(Timer::ConnectionStatus).interval = 250;
    at(Timer::Reconnect).interval = 2000;
    at(Timer::ReleaseLimit).interval = 10000;
    at(Timer::ExitPause).interval = 1000;
    at(Timer::ExitCloseLimit).interval = 5000;
    at(Timer::Send).interval = 300;
}

void LinkTimers::start(Timer timer, qint64 now)
{
    if (at(timer).due)
        return;
    restart(timer, now);
}

void LinkTimers::restart(Timer timer, qint64 now)
{
    at(timer).due = now + at(timer).interval;
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
    *d.due += d.interval;
    if (*d.due <= now)
        d.due = now + d.interval;
    return static_cast<Timer>(*earliest);
}

} // namespace zkn::link
