// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/link_output.h"

namespace zkn {

// Where the link is shown: every output of the link engine that is neither a transport's work nor
// a notice (terminal lines, panels, lamps, records, the load test's figures). The tool's main
// window is one; a program without a window keeps what it needs of them.
class LinkView
{
public:
    virtual ~LinkView() = default;
    virtual void show(const link::LinkOutput& output) = 0;
};

} // namespace zkn
