// SPDX-License-Identifier: GPL-3.0-or-later
#include "lamp/lamp_message_reader.h"

#include "link/frame_reader.h"

#include <QList>

namespace zkn::lamp {

namespace {

constexpr int kPrefixSize = 4; // STX and "0!A"
constexpr int kNarrowArea = 12;
constexpr int kWideArea = 26;
// The load test writes one station of at most ten digits at the front of the area.
constexpr int kLongestSingleStation = 10;

bool isDigits(const QByteArray& text)
{
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

std::optional<LampFunction> functionFromCode(char code)
{
    switch (code) {
    case '1':
    case '2':
    case '5':
    case '6':
        return static_cast<LampFunction>(code);
    default:
        return std::nullopt;
    }
}

// One station left-aligned in a field of blanks: the station, or nothing when blanks follow digits.
std::optional<QByteArray> stationInField(const QByteArray& field)
{
    const QByteArray station = field.trimmed();
    if (field.startsWith(' ') && !station.isEmpty())
        return std::nullopt;
    if (!isDigits(station))
        return std::nullopt;
    return station;
}

// The station area holds either one station (the load test's form) or two stations in halves of
// 6 or 8 characters (the single-station dialog's form, the wide area ending in 10 blanks).
std::optional<LampCommand> parseStationArea(const QByteArray& area, LampCommand command)
{
    const QByteArray whole = area.trimmed();
    if (!whole.contains(' ') && area.startsWith(whole) && whole.size() <= kLongestSingleStation) {
        if (whole.isEmpty() || !isDigits(whole))
            return std::nullopt;
        command.firstStation = whole;
        return command;
    }
    const int half = area.size() == kNarrowArea ? 6 : 8;
    const auto first = stationInField(area.first(half));
    const auto second = stationInField(area.mid(half, half));
    if (!first || !second || first->isEmpty() || !area.mid(2 * half).trimmed().isEmpty())
        return std::nullopt;
    command.firstStation = *first;
    command.secondStation = *second;
    return command;
}

std::optional<LampCommand> parseFixedField(const QByteArray& text)
{
    const qsizetype area = text.size() - kPrefixSize - 2;
    if (area != kNarrowArea && area != kWideArea)
        return std::nullopt;
    const auto function = functionFromCode(text[kPrefixSize]);
    if (!function)
        return std::nullopt;
    return parseStationArea(text.mid(kPrefixSize + 1, area),
                            {LampCommand::Form::FixedField, *function, {}, {}});
}

std::optional<LampCommand> parseTagged(const QByteArray& text)
{
    const qsizetype end = text.size() - 1; // the ETX
    QList<QByteArray> values(3);
    QList<bool> seen(3, false);
    for (qsizetype at = kPrefixSize; at < end;) {
        const QByteArray tag = text.mid(at, 2);
        const QByteArray length = text.mid(at + 2, 2);
        if (at + 4 > end || !isDigits(tag) || !isDigits(length))
            return std::nullopt;
        const int index = tag.toInt() - 1;
        const int size = length.toInt();
        if (index < 0 || index > 2 || seen[index] || at + 4 + size > end)
            return std::nullopt;
        seen[index] = true;
        values[index] = text.mid(at + 4, size);
        at += 4 + size;
    }
    if (!seen[0] || !seen[1] || values[0].size() != 1 || values[1].isEmpty())
        return std::nullopt;
    const auto function = functionFromCode(values[0].front());
    if (!function || !isDigits(values[1]) || !isDigits(values[2]))
        return std::nullopt;
    return LampCommand{LampCommand::Form::Tagged, *function, values[1], values[2]};
}

} // namespace

QString functionWords(LampFunction function)
{
    switch (function) {
    case LampFunction::MwOn:
        return QStringLiteral("MW on");
    case LampFunction::MwOff:
        return QStringLiteral("MW off");
    case LampFunction::VmmOn:
        return QStringLiteral("VMM on");
    case LampFunction::VmmOff:
        return QStringLiteral("VMM off");
    }
    return {};
}

QString describeLampCommand(const LampCommand& command)
{
    QString words =
        functionWords(command.function) + QLatin1Char(' ') + QString::fromLatin1(command.firstStation);
    if (!command.secondStation.isEmpty())
        words += QLatin1Char('-') + QString::fromLatin1(command.secondStation);
    return words;
}

std::optional<LampCommand> parseLampMessage(const QByteArray& text)
{
    if (text.size() < kPrefixSize + 2 || text.front() != link::STX || text.back() != link::ETX ||
        text.mid(1, 3) != "0!A")
        return std::nullopt;
    // The tagged form always begins with the tag "01"; no function code is "0".
    return text[kPrefixSize] == '0' ? parseTagged(text) : parseFixedField(text);
}

} // namespace zkn::lamp
