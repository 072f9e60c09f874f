#pragma once

#include <QString>
#include <QStringList>

namespace zkn {

// The system-information programs tried, in order; the first one found on PATH is started.
QStringList systemInfoPrograms();

// Starts the desktop's system-information program. Returns false when none is installed or it
// does not start.
bool StartSysInfo();

} // namespace zkn
