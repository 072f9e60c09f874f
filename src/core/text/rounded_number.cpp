// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/rounded_number.h"

#include <limits>

namespace zkn::text {

namespace {

constexpr int kLimit = std::numeric_limits<int>::max();

// What the digits after the decimal point contribute to the rounding.
struct Fraction
{
    int firstDigit = 0;
    bool moreThanFirst = false; // a non-zero digit after the first: above a half when that is 5

    void add(int digit, bool first)
    {
        if (first)
            firstDigit = digit;
        else
            moreThanFirst = moreThanFirst || digit != 0;
    }

    bool roundsUp(int whole) const
    {
        if (firstDigit != 5)
            return firstDigit > 5;
        return moreThanFirst || whole % 2 == 1;
    }
};

} // namespace

int roundedNumber(QByteArrayView field)
{
    int whole = 0;
    Fraction fraction;
    int fractionDigits = -1; // -1 until the decimal point is read
    for (const char c : field) {
        if (c == ' ')
            continue;
        if (c == '.' && fractionDigits < 0) {
            fractionDigits = 0;
            continue;
        }
        if (c < '0' || c > '9')
            break;
        const int digit = c - '0';
        if (fractionDigits >= 0)
            fraction.add(digit, fractionDigits++ == 0);
        else
            whole = whole > (kLimit - digit) / 10 ? kLimit : whole * 10 + digit;
    }
    return fraction.roundsUp(whole) && whole < kLimit ? whole + 1 : whole;
}

} // namespace zkn::text
