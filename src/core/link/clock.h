// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QtGlobal>

namespace zkn::link {

// Where the link gets its time: a monotonic count for its deadlines, in microseconds so that a
// short load-test delay is kept to well under a millisecond, and the wall clock for the time
// stamps it shows. The running tool reads the system; tests step a simulated clock.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual qint64 nowUs() const = 0;
    virtual QDateTime wallClock() const = 0;
    qint64 nowMs() const { return nowUs() / 1000; }
};

} // namespace zkn::link
