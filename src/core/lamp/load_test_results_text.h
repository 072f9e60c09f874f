// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace zkn::lamp {

struct LoadTestResults;
struct StationFault;

struct ResultLine
{
    QString caption;
    QString value;
};

// The figures as the results window lists them; without answers (the serial line) only what is
// known of the messages sent.
std::vector<ResultLine> resultLines(const LoadTestResults& results, bool answersExpected);

// A row of the stations that did not answer ok: station, function, how often, what came of it,
// when the last one was sent.
QStringList faultRow(const StationFault& fault);

} // namespace zkn::lamp
