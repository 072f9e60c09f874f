// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/connect_time.h"

#include "link/status_texts.h"

namespace zkn::link {

void ConnectTime::StartConnectTimer()
{
    m_start = m_context.wallClock();
    m_context.timers().start(Timer::Timer1, m_context.now());
}

void ConnectTime::StopConnectTimer()
{
    m_context.timers().stop(Timer::Timer1);
    m_context.setPanelText(LinkOutput::PanelId::ConnectTime, QString());
}

void ConnectTime::tick()
{
    m_context.setPanelText(LinkOutput::PanelId::ConnectTime, elapsedText(m_start, m_context.wallClock()));
}

} // namespace zkn::link
