// SPDX-License-Identifier: GPL-3.0-or-later
#include "line_events.h"

#include <sys/ioctl.h>

namespace zkn {

QList<link::SerialEvent> lineEventsBetween(const LineSnapshot& before, const LineSnapshot& now)
{
    using link::SerialEvent;
    const int changed = before.lines ^ now.lines;
    QList<SerialEvent> events;
    if (changed & TIOCM_CTS)
        events << SerialEvent::CtsChange;
    if (changed & TIOCM_DSR)
        events << SerialEvent::DsrChange;
    if (changed & TIOCM_CD)
        events << SerialEvent::CdChange;
    if (changed & now.lines & TIOCM_RI)
        events << SerialEvent::Ring;
    if (now.breaks > before.breaks)
        events << SerialEvent::Break;
    if (now.framing > before.framing)
        events << SerialEvent::FramingError;
    if (now.overruns > before.overruns)
        events << SerialEvent::OverrunError;
    if (now.parity > before.parity)
        events << SerialEvent::ParityError;
    return events;
}

} // namespace zkn
