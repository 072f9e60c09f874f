// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>

namespace zkn {

// The tool's icon, the same pictures the desktop's launcher shows, in every size rendered.
QIcon applicationIcon();

} // namespace zkn
