// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/exit_steps.h"

#include <utility>

namespace zkn::link {

namespace {
using Out = LinkOutput::Type;
} // namespace

void ExitSteps::releaseForExit()
{
    m_context.then([this] {
        m_releasing = true;
        m_lamps.stopResync(); // at once: nothing holds this strand here
        if (!m_lamps.loadTestRunning()) {
            releaseNowForExit();
            return;
        }
        m_lamps.stopLoadTest([this] {
            if (m_lamps.lineUp())
                m_context.timers().restart(Timer::ExitPause, m_context.now());
            else
                releaseNowForExit();
        });
    });
}

void ExitSteps::pauseOver()
{
    m_context.timers().stop(Timer::ExitPause);
    releaseNowForExit();
}

void ExitSteps::releaseNowForExit()
{
    if (m_lamps.lineUp())
        m_commands.connectCommand();
    m_context.then([this] {
        if (std::exchange(m_releasing, false))
            m_context.out(Out::ReleasedForExit);
    });
}

void ExitSteps::waitForLinkClosedAtExit()
{
    m_context.then([this] {
        if (m_phase.connectionStands()) {
            m_closing = true;
            m_context.timers().restart(Timer::ExitCloseLimit, m_context.now());
            return;
        }
        if (m_phase.state() != LinkState::Idle)
            m_commands.shutDownLink();
        m_context.out(Out::LinkClosedForExit);
    });
}

void ExitSteps::linkClosed()
{
    if (!std::exchange(m_closing, false))
        return;
    m_context.timers().stop(Timer::ExitCloseLimit);
    m_context.out(Out::LinkClosedForExit);
}

} // namespace zkn::link
