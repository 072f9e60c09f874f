// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The rule for zkn-run's plans: a plan the reader accepts can be run, so every value it gives the
// tool's own options lies within their bounds (their assertions would stop the run otherwise).
#include "model/load_test_options.h"
#include "run_plan.h"

namespace zkn::fuzz {

// Returns false when the rule is broken.
inline bool checkRunPlanInput(QByteArrayView input)
{
    const auto read = run::readPlan(input.toByteArray(), QStringLiteral("plan.json"));
    const auto* plan = std::get_if<run::Plan>(&read);
    if (!plan)
        return true;
    for (const run::Step& step : plan->steps) {
        if (step.kind != run::Step::Kind::LoadTest)
            continue;
        if (step.delayMs < LoadTestOptions::kFirstDelay || step.delayMs > LoadTestOptions::kLastDelay)
            return false;
        if (!step.range == step.stationsFile.isEmpty())
            return false;
        LoadTestOptions options;
        options.setDelayMs(step.delayMs);
    }
    return true;
}

} // namespace zkn::fuzz
