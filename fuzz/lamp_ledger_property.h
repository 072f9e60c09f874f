// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The rules for the lamp ledger's files, both read from disk and so from anyone: a ledger or a
// lamp map the reader accepts holds only station numbers the lamp frames can carry, and written
// out and read back it is the same.
#include "lamp/lamp_ledger_file.h"

#include <algorithm>

namespace zkn::fuzz {

inline bool onlyStationNumbers(const lamp::LampMap& stations)
{
    return std::all_of(stations.keyBegin(), stations.keyEnd(), [](const QByteArray& station) {
        return !station.isEmpty() && station.size() <= 10 &&
               std::all_of(station.begin(), station.end(), [](char c) { return c >= '0' && c <= '9'; });
    });
}

// Returns false when the rule is broken.
inline bool checkLedgerJsonInput(QByteArrayView input)
{
    const auto read = lamp::readLedgerJson(input.toByteArray());
    const auto* stations = std::get_if<lamp::LampMap>(&read);
    if (!stations)
        return true;
    const auto again = lamp::readLedgerJson(lamp::ledgerJson(*stations));
    const auto* same = std::get_if<lamp::LampMap>(&again);
    return onlyStationNumbers(*stations) && same && *same == *stations;
}

// Returns false when the rule is broken.
inline bool checkLampMapInput(QByteArrayView input)
{
    const QDateTime now(QDate(2026, 12, 9), QTime(9, 30), Qt::UTC);
    const auto read = lamp::readLampMapCsv(input.toByteArray(), now);
    const auto* stations = std::get_if<lamp::LampMap>(&read);
    if (!stations)
        return true;
    const auto again = lamp::readLampMapCsv(lamp::lampMapCsv(*stations), now);
    const auto* same = std::get_if<lamp::LampMap>(&again);
    return onlyStationNumbers(*stations) && same && *same == *stations;
}

} // namespace zkn::fuzz
