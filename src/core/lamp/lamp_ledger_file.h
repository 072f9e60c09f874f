// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lamp/lamp_ledger.h"

#include <QByteArray>
#include <QMap>
#include <QString>

#include <variant>

namespace zkn::lamp {

using LampMap = QMap<QByteArray, StationLamps>;

// The ledger as kept between runs: a small JSON object, one member per station.
QByteArray ledgerJson(const LampMap& stations);
// A ledger read back, or why it cannot be.
std::variant<LampMap, QString> readLedgerJson(const QByteArray& json);

// A site's lamp map as CSV, RFC 4180, lines ended by CR LF: a header "station,MW,VMM" and one row
// per station with "on", "off", or empty for a lamp never asked for.
QByteArray lampMapCsv(const LampMap& stations);

// A line of an imported map that cannot be taken, counted from 1.
struct LampMapError
{
    int line = 0;
    QString why;
};
// Every row of a map, as asked-for states not yet sent; the header row is optional. The first bad
// line makes the whole import fail.
std::variant<LampMap, LampMapError> readLampMapCsv(const QByteArray& csv, const QDateTime& now);

} // namespace zkn::lamp
