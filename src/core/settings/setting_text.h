// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

namespace zkn::settings {

// How values are written as text in the store: numbers in plain decimal, booleans as
// "True"/"False", check-box states as "0"/"1".
QString boolText(bool value);
QString checkStateText(bool checked);

// Reads a stored boolean as the store's writers wrote it: "True"/"False" in any case, or a number
// (non-zero is true). Anything else does not convert.
std::optional<bool> parseBool(const QString& text);

// Reads a stored whole number, blanks around it allowed; anything else does not convert.
std::optional<int> parseInt(const QString& text);

} // namespace zkn::settings
