// SPDX-License-Identifier: GPL-3.0-or-later
#include "lamp/single_station_request.h"

#include <algorithm>
#include <limits>
#include <optional>

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

namespace {

std::optional<quint64> plainNumber(const QByteArray& text)
{
    if (text.isEmpty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    bool ok = false;
    const quint64 value = text.toULongLong(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

} // namespace

StationRange stationRange(const SingleStationRequest& request)
{
    const std::optional<quint64> first = plainNumber(request.from);
    const std::optional<quint64> last = plainNumber(request.to);
    if (!first || !last)
        return {};
    if (*last < *first)
        return {true, 0};
    return {false,
            *last - *first == std::numeric_limits<quint64>::max() ? *last - *first : *last - *first + 1};
}

} // namespace zkn::lamp
