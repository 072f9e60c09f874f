// SPDX-License-Identifier: GPL-3.0-or-later
#include "lamp/single_station_request.h"

namespace zkn::lamp {

QList<LampFunction> requestedFunctions(const SingleStationRequest& request)
{
    QList<LampFunction> functions;
    if (request.mw != LampAction::NoChange)
        functions.append(request.mw == LampAction::On ? LampFunction::MwOn : LampFunction::MwOff);
    if (request.vmm != LampAction::NoChange)
        functions.append(request.vmm == LampAction::On ? LampFunction::VmmOn : LampFunction::VmmOff);
    return functions;
}

} // namespace zkn::lamp
