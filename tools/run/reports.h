// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "step_result.h"

#include "lamp/load_test_stats.h"

#include <QByteArray>
#include <QList>

namespace zkn::run {

// `text` for a line a person or a monitoring system reads: line ends as blanks, every other
// control character (STX and ETX of a record, say) and DEL as <HH>.
QString readableLine(const QString& text);

// The line stderr gets as a step ends: "PASS connect 12 ms", "FAIL lamps 1 of 2 answered: ...".
QByteArray stepLine(const StepResult& result);

// TAP version 14, a line per step as it ends, the plan line last.
QByteArray tapHeader();
QByteArray tapLine(int number, const StepResult& result);
QByteArray tapPlan(int steps);

// The summary as JSON: the plan, the link, the start and the end, and per step its result, time,
// figures and events.
QByteArray jsonReport(const QString& planPath, const QString& link, const QDateTime& started,
                      const QDateTime& ended, const QList<StepResult>& results);

// JUnit XML as CI servers read it: one testcase per step, a failure with its texts.
QByteArray junitReport(const QString& planName, const QList<StepResult>& results);

} // namespace zkn::run
