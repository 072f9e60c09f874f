// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QLineEdit;
class QWidget;

namespace zkn {

// The station boxes of the two lamp dialogs, sized by the expansion option.

// A box of `length` characters, as wide as they need (at least its designed width).
QLineEdit* newStationBox(const char* name, int length, QWidget* parent);
void fitBoxLength(QLineEdit* box, int length);

// 6 characters (a longer text is cut), or 8 with the expansion option.
void applyExpansionLength(QLineEdit* box, bool expanded);

} // namespace zkn
