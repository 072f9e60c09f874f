#pragma once

#include <QDateTime>
#include <QtGlobal>

namespace zkn::link {

// Where the link gets its time: a monotonic count for its deadlines and the wall clock for the
// time stamps it shows. The running tool reads the system; tests step a simulated clock.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual qint64 nowMs() const = 0;
    virtual QDateTime wallClock() const = 0;
};

} // namespace zkn::link
