// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/clock.h"

#include <QElapsedTimer>

#include <time.h>

namespace zkn {

// The link's clock in the running tool: a monotonic count and the system's wall clock.
class SystemClock : public link::Clock
{
public:
    SystemClock() { m_elapsed.start(); }
    qint64 nowUs() const override { return m_elapsed.nsecsElapsed() / 1000; }
    QDateTime wallClock() const override { return QDateTime::currentDateTime(); }

private:
    QElapsedTimer m_elapsed;
};

// The wall clock to the microsecond, as captures stamp their packets.
inline qint64 epochNowUs()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return qint64(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

} // namespace zkn
