// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The rule for the texts read from the settings store at start-up and typed into the properties
// dialog: any text gives a value or "does not convert", never a crash, and a value read back from
// the text it is written as stays the same. The input holds one text per line; each line goes to
// every reader.
#include "display/font_steps.h"
#include "model/connection_type.h"
#include "settings/com_ports.h"
#include "settings/format_ip.h"
#include "settings/record_format.h"
#include "settings/serial_settings.h"
#include "settings/setting_text.h"
#include "text/numeric_prefix.h"
#include "text/rounded_number.h"

#include <QRegularExpression>

namespace zkn::fuzz {

inline bool serialSettingsKeepTheRule(const QString& text)
{
    if (const auto parameters = settings::LineParameters::parse(text);
        parameters && settings::LineParameters::parse(parameters->toText()) != parameters)
        return false;
    const settings::SerialSettingsFields fields = settings::splitSerialSettings(text);
    const QString joined = settings::joinSerialSettings(
        fields.speed, settings::parityItemForLetter(fields.parityLetter), fields.dataBits, fields.stopBits);
    return joined.count(QLatin1Char(',')) >= 3;
}

// Four parts of digits, and a formatted address formats to itself.
inline bool formatIpKeepsTheRule(const QString& text)
{
    static const QRegularExpression address(QStringLiteral("^[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+$"));
    for (const bool pad : {false, true}) {
        const QString formatted = settings::FormatIP(text, pad);
        if (!address.match(formatted).hasMatch() || settings::FormatIP(formatted, pad) != formatted)
            return false;
    }
    return true;
}

inline bool storedValuesKeepTheRule(const QString& text)
{
    if (const auto number = settings::parseInt(text);
        number && settings::parseInt(QString::number(*number)) != number)
        return false;
    if (const auto flag = settings::parseBool(text);
        flag && settings::parseBool(settings::boolText(*flag)) != flag)
        return false;
    const int step = display::fontStepFromText(text);
    if (step < display::kFirstFontStep || step > display::kLastFontStep)
        return false;
    if (settings::pbxTypeSelectsKra(text) != (text == QLatin1String("True")))
        return false;
    const ConnectionType type = connectionTypeFromText(text);
    if (connectionTypeFromText(connectionTypeText(type)) != type)
        return false;
    if (const auto port = settings::comPortNumber(text);
        port && (*port < 1 || *port > settings::kComPorts ||
                 settings::comPortOfDevice(settings::comPortDevice(*port)) != port))
        return false;
    if (const auto port = settings::comPortOfDevice(text); port && settings::comPortDevice(*port) != text)
        return false;
    const QByteArray latin = text.toLatin1();
    return text::leadingNumber(latin) >= 0 && text::roundedNumber(latin) >= 0;
}

// Returns false when the rule is broken.
inline bool checkSettingTextsInput(QByteArrayView input)
{
    for (const QByteArray& line : input.toByteArray().split('\n')) {
        const QString text = QString::fromUtf8(line);
        if (!serialSettingsKeepTheRule(text) || !formatIpKeepsTheRule(text) || !storedValuesKeepTheRule(text))
            return false;
    }
    return true;
}

} // namespace zkn::fuzz
