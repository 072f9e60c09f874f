#pragma once

namespace zkn {

class LogFile;
class Operator;

// The open-log command: the operator picks a file; an existing one is replaced or appended to as
// the operator answers (Cancel returns to the file dialog). Failures are shown and leave the log
// closed. Returns whether a log is now open.
bool openLogInteractively(LogFile& log, Operator& op);

} // namespace zkn
