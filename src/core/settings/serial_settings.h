// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QChar>
#include <QString>

#include <optional>

namespace zkn::settings {

// Serial line parameters as the port holds them. Their text is speed, parity letter, data bits
// and stop bits separated by commas, e.g. 9600,n,8,1; the port writes the letter in lower case.
struct LineParameters
{
    int speed = 9600;
    char parity = 'n';                      // one of e o n m s
    int dataBits = 8;                       // 4 to 8
    QString stopBits = QStringLiteral("1"); // "1", "1.5" or "2"

    // Accepts the letters in either case and blanks around each field; rejects anything else.
    static std::optional<LineParameters> parse(const QString& text);
    QString toText() const;

    friend bool operator==(const LineParameters&, const LineParameters&) = default;
};

// The port's parameters split for the properties dialog's boxes, read by position from the end
// of the text so that a speed of any width fits.
struct SerialSettingsFields
{
    QString speed;
    QChar parityLetter; // null when the text is too short to hold one
    QString dataBits;
    QString stopBits;
};
SerialSettingsFields splitSerialSettings(const QString& text);

// The parity item ("Even", "Odd", "None", "Mark", "Space") a letter selects; empty for any other.
QString parityItemForLetter(QChar letter);

// The text the dialog hands to the port: trimmed speed, the first letter of the parity item,
// trimmed data and stop bits, e.g. 9600,N,8,1.
QString joinSerialSettings(const QString& speed, const QString& parityItem, const QString& dataBits,
                           const QString& stopBits);

} // namespace zkn::settings
