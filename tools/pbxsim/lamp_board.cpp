// SPDX-License-Identifier: GPL-3.0-or-later
#include "pbxsim/lamp_board.h"

namespace zkn::pbxsim {

bool LampBoard::apply(const LampCommand& command)
{
    if (command.secondStation.isEmpty()) {
        set(command.firstStation, command.function);
        return true;
    }
    bool firstOk = false;
    bool lastOk = false;
    const qulonglong first = command.firstStation.toULongLong(&firstOk);
    const qulonglong last = command.secondStation.toULongLong(&lastOk);
    if (!firstOk || !lastOk || last < first || last - first >= kLargestRange)
        return false;
    // Stations of a range keep the width of the first one, so "0100" to "0102" stays in that numbering.
    // Counted from the first, so a range that ends at the largest number ends too.
    for (qulonglong offset = 0; offset <= last - first; ++offset)
        set(QByteArray::number(first + offset).rightJustified(command.firstStation.size(), '0'),
            command.function);
    return true;
}

void LampBoard::set(const QByteArray& station, LampFunction function)
{
    LampState& lamps = m_stations[station];
    switch (function) {
    case LampFunction::MwOn:
        lamps.mw = true;
        break;
    case LampFunction::MwOff:
        lamps.mw = false;
        break;
    case LampFunction::VmmOn:
        lamps.vmm = true;
        break;
    case LampFunction::VmmOff:
        lamps.vmm = false;
        break;
    }
}

} // namespace zkn::pbxsim
