// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zkn::link {

// The link's own commands, which its parts give it: the connect command (opens the link, or
// releases it; on the serial line opens or closes the port) and the link's end.
class LinkCommands
{
public:
    virtual ~LinkCommands() = default;
    virtual void connectCommand() = 0;
    virtual void shutDownLink() = 0;
};

} // namespace zkn::link
