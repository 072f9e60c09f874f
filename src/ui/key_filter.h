// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringView>

class QKeyEvent;

namespace zkn {

// What a station box takes, and what a box of a number takes.
inline constexpr QStringView kStationKeys = u"0123456789#*";
inline constexpr QStringView kDigitKeys = u"0123456789";

// A box that takes only some characters drops every other printable key; editing and moving keys
// (Backspace, Delete, arrows, Tab) always pass.
bool isRefusedKey(const QKeyEvent* key, QStringView allowed);

} // namespace zkn
