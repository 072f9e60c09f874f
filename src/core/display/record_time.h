// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace zkn::display {

// The date and time of a record as the breakdown window shows it: the locale's short date and
// its time with seconds (records a few seconds apart must not look the same), in its order.
QString recordTimeText(const QDateTime& when, const QLocale& locale = QLocale());

} // namespace zkn::display
