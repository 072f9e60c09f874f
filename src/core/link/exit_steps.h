// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/lamp_control.h"
#include "link/link_commands.h"
#include "link/link_context.h"
#include "link/link_state.h"

namespace zkn::link {

// The link's part of the program's exit, in two steps, each told by its output when finished.
// The release (ReleasedForExit): a running load test finishes its sweep first, then after a pause
// the connect command closes the port or asks the PBX to release the link; a line that went
// during the sweep is not opened again by that connect command. The close (LinkClosedForExit):
// after the release the PBX closes the connection; if it has not within the limit, the tool
// does; a connection still being made just ends.
class ExitSteps
{
public:
    ExitSteps(LinkContext& context, LampControl& lamps, LinkPhases& phases, LinkCommands& commands)
        : m_context(context), m_lamps(lamps), m_phases(phases), m_commands(commands)
    {
    }

    void releaseForExit();
    void waitForLinkClosedAtExit();
    // The pause after the sweep is over.
    void pauseOver();
    // The link has ended: the close step is done, if it was waiting.
    void linkClosed();

private:
    void releaseNowForExit();

    LinkContext& m_context;
    LampControl& m_lamps;
    LinkPhases& m_phases;
    LinkCommands& m_commands;
};

} // namespace zkn::link
