// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/link_commands.h"
#include "link/link_context.h"
#include "link/link_state.h"
#include "link/pending_requests.h"
#include "link/send_path.h"

#include <optional>

namespace zkn::link {

// The health check. While the connection stands a status frame (kind 5) leaves every interval
// + 1 ticks of the one-second health-check clock, and its answer is awaited (T2). Six unanswered
// checks only count; the seventh since the last reset resets the link: a box, under which no
// check leaves, then the link shut and connected again 2 s later, unless the connection ended
// meanwhile. An answer that has arrived is in time: a timeout falling due while received data
// waits is judged after it.
class HealthCheck
{
public:
    HealthCheck(LinkContext& context, SendPath& send, PendingRequests& pending, const LinkPhases& phases,
                LinkCommands& commands)
        : m_context(context), m_send(send), m_pending(pending), m_phases(phases), m_commands(commands)
    {
    }

    // The clock counts from naught, now that the connect request has left.
    void clockStarts();
    // After a connect command the clock's first tick sends a check.
    void dueAtFirstTick();
    // A tick of the health-check clock.
    void tick();
    // A check leaves now (none while the reset box is open).
    void checkNow();
    // Its answer's time ran out, while received data waited or not.
    void timedOut(bool dataWaits);
    // In a strand of its own, so a box it opens holds no received data.
    void judgeHeldTimeout();
    // No answer of a connection that has ended can come.
    void connectionEnded() { m_timeoutOf.reset(); }
    // The reset box is open for the connection that stands: no health check leaves.
    bool resetting() const { return m_resetOf == m_phases.connection(); }
    // A box stopped the clock: no check leaves on `connection` until data comes, if it stands.
    void holdUntilData(quint64 connection);
    int missed() const { return m_missed; }

private:
    void onTimeout();
    void resetLinkAfterMisses();

    LinkContext& m_context;
    SendPath& m_send;
    PendingRequests& m_pending;
    const LinkPhases& m_phases;
    LinkCommands& m_commands;
    int m_ticks = 0;
    int m_missed = 0;
    // The connection whose reset box is open.
    std::optional<quint64> m_resetOf;
    // A timeout that fell due while received data waited: the wait it was for.
    std::optional<quint64> m_timeoutOf;
};

} // namespace zkn::link
