// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace zkn {

// Opens a text file for the operator to edit, without waiting for the editor: in the desktop's
// editor for the file, else in $VISUAL or $EDITOR inside a terminal. A missing file is created
// empty first. Returns why nothing could open it, else empty.
QString openInTextEditor(const QString& path);

} // namespace zkn
