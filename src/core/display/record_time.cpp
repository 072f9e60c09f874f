// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/record_time.h"

#include <QRegularExpression>

namespace zkn::display {

QString recordTimeText(const QDateTime& when, const QLocale& locale)
{
    // The long time format is the one with seconds; its time zone ("t", maybe in brackets) goes.
    static const QRegularExpression zone(QStringLiteral("\\s*[(\\[]?\\bt+\\b[)\\]]?\\s*"));
    QString time = locale.timeFormat(QLocale::LongFormat);
    time.replace(zone, QStringLiteral(" "));
    return locale.toString(when, locale.dateFormat(QLocale::ShortFormat) + QLatin1Char(' ') + time.trimmed());
}

} // namespace zkn::display
