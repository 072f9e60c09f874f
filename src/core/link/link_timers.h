// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <array>
#include <bitset>
#include <optional>

namespace zkn::link {

// The link's timers as named deadlines on a monotonic microsecond clock; their intervals are whole
// milliseconds. A timer that is started while running keeps its deadline; stopping and starting
// it again restarts its interval.
enum class Timer
{
    StatusMonitor,    // 1000 ms, the health-check clock
    T2,               // 500 ms, the answer time of one health check
    T3,               // 10000 ms, the answer time of one lamp-control frame
    Timer1,           // 1000 ms, the connect-time display
    ConnectionStatus, // 250 ms, the "Status" panel
    Reconnect,        // 2000 ms after a reset, then the connect command
    ReleaseLimit,     // 10000 ms for the PBX to close the connection after answering a release
    ExitPause,        // 1000 ms at exit between a stopped load test and the release
    ExitCloseLimit,   // 5000 ms at exit for the PBX to close the connection
    Send,             // the load test's inter-message delay (300 ms until configured)
    Pace,             // the next frame to the socket leaves: set to its moment, never periodic
    TxLamp,           // 50 ms after the last thing sent, the transmit lamp goes out
    RxLamp,           // 50 ms after the last data handled, the receive lamp goes out
    SkipReport,       // 1000 ms: at most one line a second says the bytes skipped before frames
    Count
};

class LinkTimers
{
public:
    LinkTimers();

    void start(Timer timer, qint64 now);
    void restart(Timer timer, qint64 now);
    void stop(Timer timer);
    // Starts `timer` for the moment `dueUs`, whatever its interval.
    void startAt(Timer timer, qint64 dueUs) { at(timer).due = dueUs; }
    // Takes effect at the timer's next start.
    void setInterval(Timer timer, int ms) { at(timer).intervalUs = qint64(ms) * 1000; }
    bool isActive(Timer timer) const;

    // The earliest deadline of all running timers.
    std::optional<qint64> nextDeadline() const;
    // The running timer whose deadline has come (the earliest first), moved on by one interval
    // as if it were periodic; the handler stops the timers that are not. The timers in `skipped`
    // are passed over.
    using TimerSet = std::bitset<static_cast<std::size_t>(Timer::Count)>;
    std::optional<Timer> takeDue(qint64 now, const TimerSet& skipped = {});

private:
    struct Deadline
    {
        qint64 intervalUs = 0;
        std::optional<qint64> due;
    };
    Deadline& at(Timer timer) { return m_deadlines[static_cast<std::size_t>(timer)]; }
    const Deadline& at(Timer timer) const { return m_deadlines[static_cast<std::size_t>(timer)]; }

    std::array<Deadline, static_cast<std::size_t>(Timer::Count)> m_deadlines;
};

} // namespace zkn::link
