// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>

namespace zkn::text {

// The number a field of a call-information record stands for: blanks are ignored, the first "."
// is the decimal point, reading ends at any other character that is no digit, no digits read as
// 0, and the value is rounded to a whole number, halves to the even one. So " 1 2x" is 12, "2.5"
// is 2, "3.5" is 4 and ".." is 0. Saturates instead of overflowing.
int roundedNumber(QByteArrayView field);

} // namespace zkn::text
