// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <initializer_list>

namespace zkn {

// The signals given reach the event loop by way of a pipe, the only safe road out of a handler:
// `caught` runs there with each signal's number. Once per program.
void catchSignals(std::initializer_list<int> signals, std::function<void(int signal)> caught);

} // namespace zkn
