// The link's part of the program's exit.
#include "link/link_engine.h"
#include "link/link_host.h"
#include "link/link_transport.h"

#include <utility>

namespace zkn::link {

// The exit gives up an open link in order: a running load test finishes its sweep first, then
// after a pause the connect command closes the port or asks the PBX to release the link. A line
// that went during the sweep is not opened again by that connect command.
void LinkEngine::releaseForExit(std::function<void()> done)
{
    m_releasedAtExit = std::move(done);
    if (!loadTestRunning()) {
        releaseNowForExit();
        return;
    }
    stopLoadTest([this] {
        if (loadTestLineUp())
            m_timers.restart(Timer::ExitPause, now());
        else
            releaseNowForExit();
    });
}

void LinkEngine::releaseNowForExit()
{
    if (loadTestLineUp())
        connectCommand();
    if (m_releasedAtExit)
        std::exchange(m_releasedAtExit, {})();
}

// After the release the PBX closes the connection; if it has not within the limit, the tool
// does. A connection still being made just ends.
void LinkEngine::waitForLinkClosedAtExit(std::function<void()> done)
{
    const SocketState state = m_transport.socketState();
    if (state == SocketState::Closed) {
        done();
        return;
    }
    if (state != SocketState::Connected && state != SocketState::Closing) {
        shutDownLink();
        done();
        return;
    }
    m_linkClosedAtExit = std::move(done);
    m_timers.restart(Timer::ExitCloseLimit, now());
}

} // namespace zkn::link
