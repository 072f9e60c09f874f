// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace zkn::display {

// The terminal's font sizes in points, by the step of the size spinner; step 0 is never used.
inline constexpr int kFontSizes[] = {0, 5, 6, 9, 12, 14};
inline constexpr int kFirstFontStep = 1;
inline constexpr int kLastFontStep = 5;
inline constexpr int kDefaultFontStep = 3;

// The step a stored text names; the default for an empty text, a non-number or a step out of range.
int fontStepFromText(const QString& stored);

} // namespace zkn::display
