// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zkn::link {

// Where the lamp load test stands: its commands follow it.
enum class LoadTestPhase
{
    Idle,
    Running,
    Stopping
};

} // namespace zkn::link
