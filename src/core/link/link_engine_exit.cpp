// SPDX-License-Identifier: GPL-3.0-or-later
// The link's part of the program's exit.
#include "link/link_engine.h"

#include <utility>

namespace zkn::link {

namespace {
using Out = LinkOutput::Type;
} // namespace

// The exit gives up an open link in order: a running load test finishes its sweep first, then
// after a pause the connect command closes the port or asks the PBX to release the link. A line
// that went during the sweep is not opened again by that connect command.
void LinkEngine::releaseForExit()
{
    m_context.then([this] {
        m_releasingForExit = true;
        m_lamps.stopResync();
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

void LinkEngine::releaseNowForExit()
{
    if (m_lamps.lineUp())
        connectCommand();
    m_context.then([this] {
        if (std::exchange(m_releasingForExit, false))
            m_context.out(Out::ReleasedForExit);
    });
}

// After the release the PBX closes the connection; if it has not within the limit, the tool
// does. A connection still being made just ends.
void LinkEngine::waitForLinkClosedAtExit()
{
    m_context.then([this] {
        if (m_phase.connectionStands()) {
            m_closingForExit = true;
            m_context.timers().restart(Timer::ExitCloseLimit, m_context.now());
            return;
        }
        if (m_phase.state() != LinkState::Idle)
            shutDownLink();
        m_context.out(Out::LinkClosedForExit);
    });
}

} // namespace zkn::link
