#include "link_timer_driver.h"

#include "link/clock.h"
#include "link/link_engine.h"

namespace zkn {

LinkTimerDriver::LinkTimerDriver(link::LinkEngine& engine, const link::Clock& clock, QObject* parent)
    : QObject(parent), m_engine(engine), m_clock(clock)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &LinkTimerDriver::fire);
    // Armed on every change, also while a handler runs: one may wait on a box, and the other
    // timers must keep running meanwhile.
    m_engine.timers().setOnChange([this] { arm(); });
    arm();
}

void LinkTimerDriver::arm()
{
    const std::optional<qint64> next = m_engine.timers().nextDeadline();
    if (!next) {
        m_timer.stop();
        return;
    }
    m_timer.start(static_cast<int>(qBound<qint64>(0, *next - m_clock.nowMs(), 24LL * 3600 * 1000)));
}

void LinkTimerDriver::fire()
{
    m_engine.advanceTo(m_clock.nowMs());
    arm();
}

} // namespace zkn
