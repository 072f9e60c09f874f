// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lamp/load_test_stats.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

namespace zkn::run {

// The answers to a load test's or a resynchronisation's messages in the words of every step:
// sent, answered (a response came, whatever its code), ok (code 0), refused (another code),
// unanswered (none in time), superseded (the single-station dialog's frame took the answer).
QList<std::pair<QString, qint64>> answerFigures(const lamp::LoadTestStats& stats);

// A load test's figures as the reports give them: the answers, then the answer times.
QList<std::pair<QString, qint64>> loadTestFigures(const lamp::LoadTestStats& stats);

// What went over the plan's limits, "2 unanswered, at most 0 allowed"; no limit, no check.
QStringList overLimits(const lamp::LoadTestStats& stats, std::optional<int> maxUnanswered,
                       std::optional<int> maxRefused);

} // namespace zkn::run
