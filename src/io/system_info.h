// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace zkn {

// Starts the desktop's system-information program, the first of a short list found on PATH.
// Returns false when none is installed or it does not start.
bool StartSysInfo();

} // namespace zkn
