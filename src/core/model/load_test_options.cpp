// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/load_test_options.h"

namespace zkn {

void LoadTestOptions::setDelayMs(int ms)
{
    Q_ASSERT(ms >= kFirstDelay && ms <= kLastDelay);
    if (ms == m_delayMs)
        return;
    m_delayMs = ms;
    Q_EMIT delayChanged(ms);
}

void LoadTestOptions::setRange(qint32 start, qint32 end)
{
    m_start = start;
    m_end = end;
}

} // namespace zkn
