// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/format_ip.h"

#include "text/numeric_prefix.h"

#include <QStringList>

#include <algorithm>

namespace zkn::settings {

namespace {

// Adds one to a string of decimal digits.
QByteArray increment(QByteArray digits)
{
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        if (digits[i] != '9') {
            ++digits[i];
            return digits;
        }
        digits[i] = '0';
    }
    return '1' + digits;
}

// A part is read as a number from its leading digits; only the fourth part can hold a dot, and
// its fraction rounds the whole number half up ("4.5" gives 5).
QString formatPart(const QString& part, bool pad)
{
    const QByteArray latin = part.toLatin1();
    QByteArray digits = text::leadingDigits(latin);
    const qsizetype dot = latin.indexOf('.');
    const bool numberRunsToDot = dot >= 0 && std::all_of(latin.begin(), latin.begin() + dot, [](char c) {
                                     return c == ' ' || c == '\t' || (c >= '0' && c <= '9');
                                 });
    if (numberRunsToDot && dot + 1 < latin.size() && latin[dot + 1] >= '5' && latin[dot + 1] <= '9')
        digits = increment(digits.isEmpty() ? QByteArray("0") : digits);
    while (digits.size() > 1 && digits.front() == '0')
        digits.remove(0, 1);
    if (digits.isEmpty())
        digits = "0";
    return QString::fromLatin1(pad ? digits.rightJustified(3, '0') : digits);
}

} // namespace

QString FormatIP(const QString& text, bool pad)
{
    // Up to three dots split the text; whatever follows the third one is the fourth part.
    QStringList parts = text.split(QLatin1Char('.'));
    while (parts.size() > 4)
        parts[3] += QLatin1Char('.') + parts.takeAt(4);
    while (parts.size() < 4)
        parts.append(QString());

    QStringList formatted;
    for (const QString& part : parts)
        formatted.append(formatPart(part, pad));
    return formatted.join(QLatin1Char('.'));
}

} // namespace zkn::settings
