// SPDX-License-Identifier: GPL-3.0-or-later
#include "lamp/load_test_plan.h"

namespace zkn::lamp {

namespace {

LampFunction phaseFunction(bool lampOn)
{
    return lampOn ? LampFunction::VmmOn : LampFunction::VmmOff;
}

} // namespace

void LoadTestPlan::useRange(qint32 first, qint32 last)
{
    m_usesFile = false;
    m_first = first;
    m_last = last;
    restart();
}

void LoadTestPlan::useStations(const QList<qint32>& stations)
{
    Q_ASSERT(!stations.isEmpty());
    m_usesFile = true;
    m_stations = stations;
    restart();
}

void LoadTestPlan::restart()
{
    m_current = m_first;
    m_nextLine = 0;
}

LoadTestPlan::Step LoadTestPlan::next()
{
    if (m_usesFile) {
        Step step{m_stations[m_nextLine], phaseFunction(m_lampOn), false};
        if (++m_nextLine >= m_stations.size()) {
            m_nextLine = 0;
            m_lampOn = !m_lampOn;
            step.passEnded = true;
        }
        return step;
    }
    if (m_current > m_last) {
        m_lampOn = !m_lampOn;
        m_current = m_first;
    }
    return {qint32(m_current++), phaseFunction(m_lampOn), false};
}

} // namespace zkn::lamp
