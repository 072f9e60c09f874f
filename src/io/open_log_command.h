// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace zkn {

class LogFile;
class Operator;

// The open-log command: the operator picks a file; an existing one is replaced or appended to as
// the operator answers (Cancel returns to the file dialog). Failures are shown and leave the log
// closed. The dialog starts in `startFolder`. `opened` gets the log file now open, or nothing.
void openLogInteractively(LogFile& log, Operator& op, const QString& startFolder,
                          std::function<void(const std::optional<QString>&)> opened);

} // namespace zkn
