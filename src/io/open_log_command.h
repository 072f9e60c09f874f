#pragma once

#include <QString>

#include <optional>

namespace zkn {

class LogFile;
class Operator;

// The open-log command: the operator picks a file; an existing one is replaced or appended to as
// the operator answers (Cancel returns to the file dialog). Failures are shown and leave the log
// closed. The dialog starts in `startFolder`. Returns the log file now open, or nothing.
std::optional<QString> openLogInteractively(LogFile& log, Operator& op, const QString& startFolder);

} // namespace zkn
