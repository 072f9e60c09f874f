// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/font_steps.h"

#include "settings/setting_text.h"

namespace zkn::display {

static_assert(std::size(kFontSizes) == kLastFontStep + 1);

int fontStepFromText(const QString& stored)
{
    const int step = settings::parseInt(stored).value_or(kDefaultFontStep);
    return step >= kFirstFontStep && step <= kLastFontStep ? step : kDefaultFontStep;
}

} // namespace zkn::display
