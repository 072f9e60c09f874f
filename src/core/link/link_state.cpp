// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/link_state.h"

namespace zkn::link {

LinkState nextLinkState(LinkState state, LinkEvent event)
{
    switch (event) {
    case LinkEvent::ConnectStarted:
        return state == LinkState::Idle ? LinkState::Connecting : state;
    case LinkEvent::SocketConnected:
        return LinkState::AwaitingConnect;
    case LinkEvent::ConnectAccepted:
        return state == LinkState::AwaitingConnect ? LinkState::Up : state;
    case LinkEvent::ReleaseSent:
        return connectionStands(state) ? LinkState::Releasing : state;
    case LinkEvent::LinkEnded:
        return LinkState::Idle;
    }
    return state;
}

} // namespace zkn::link
