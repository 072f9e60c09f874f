// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/numeric_prefix.h"

#include <limits>

namespace zkn::text {

QByteArray leadingDigits(QByteArrayView text)
{
    QByteArray digits;
    for (const char c : text) {
        if (c == ' ' || c == '\t')
            continue;
        if (c < '0' || c > '9')
            break;
        digits.append(c);
    }
    return digits;
}

int leadingNumber(QByteArrayView text)
{
    constexpr int limit = std::numeric_limits<int>::max();
    int value = 0;
    for (const char c : leadingDigits(text)) {
        const int digit = c - '0';
        if (value > (limit - digit) / 10)
            return limit;
        value = value * 10 + digit;
    }
    return value;
}

} // namespace zkn::text
