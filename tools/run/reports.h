#pragma once

#include "step_result.h"

#include <QByteArray>
#include <QList>

namespace zkn::run {

// The line stderr gets as a step ends: "PASS connect 12 ms", "FAIL lamps 1 of 2 answered: ...".
QByteArray stepLine(const StepResult& result);

// JUnit XML as CI servers read it: one testcase per step, a failure with its texts.
QByteArray junitReport(const QString& planName, const QList<StepResult>& results);

} // namespace zkn::run
