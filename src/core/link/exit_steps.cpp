// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/exit_steps.h"

namespace zkn::link {

namespace {
using Out = LinkOutput::Type;
} // namespace

void ExitSteps::releaseForExit()
{
    m_context.then([this] {
        m_lamps.stopResync(); // at once: nothing holds this strand here
        if (!m_lamps.loadTestRunning()) {
            releaseNowForExit();
            return;
        }
        m_phases.step(ExitEvent::SweepToEnd);
        m_lamps.stopLoadTest([this] {
            if (m_lamps.lineUp()) {
                m_phases.step(ExitEvent::SweepEndedLineUp);
                m_context.timers().restart(Timer::ExitPause, m_context.now());
            } else {
                releaseNowForExit();
            }
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
    m_phases.step(ExitEvent::ReleaseStarted);
    if (m_lamps.lineUp())
        m_commands.connectCommand();
    m_context.then([this] {
        if (m_phases.exit() != ExitPhase::Releasing)
            return;
        m_phases.step(ExitEvent::ReleaseDone);
        m_context.out(Out::ReleasedForExit);
    });
}

void ExitSteps::waitForLinkClosedAtExit()
{
    m_context.then([this] {
        if (m_phases.connectionStands()) {
            m_phases.step(ExitEvent::CloseAwaited);
            m_context.timers().restart(Timer::ExitCloseLimit, m_context.now());
            return;
        }
        if (m_phases.tcp() != TcpPhase::Idle)
            m_commands.shutDownLink();
        m_phases.step(ExitEvent::NothingToClose);
        m_context.out(Out::LinkClosedForExit);
    });
}

void ExitSteps::linkClosed()
{
    if (m_phases.exit() != ExitPhase::AwaitingClose)
        return;
    m_phases.step(ExitEvent::LinkClosed);
    m_context.timers().stop(Timer::ExitCloseLimit);
    m_context.out(Out::LinkClosedForExit);
}

} // namespace zkn::link
