// SPDX-License-Identifier: GPL-3.0-or-later
#include "lamp/lamp_ledger_file.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <array>
#include <optional>

namespace zkn::lamp {

namespace {

constexpr int kVersion = 1;
constexpr qsizetype kLongestStation = 10;

struct OutcomeName
{
    LampOutcome outcome;
    const char* name;
};
constexpr std::array<OutcomeName, 6> kOutcomes{{{LampOutcome::Awaiting, "awaiting"},
                                                {LampOutcome::Confirmed, "confirmed"},
                                                {LampOutcome::Refused, "refused"},
                                                {LampOutcome::Unanswered, "unanswered"},
                                                {LampOutcome::NoAnswerComes, "no-answer-comes"},
                                                {LampOutcome::NotSent, "not-sent"}}};

QJsonObject entryJson(const LampEntry& entry)
{
    QJsonObject o{{QStringLiteral("on"), entry.on},
                  {QStringLiteral("asked"), entry.asked.toUTC().toString(Qt::ISODateWithMs)}};
    for (const OutcomeName& n : kOutcomes)
        if (n.outcome == entry.outcome)
            o.insert(QStringLiteral("outcome"), QLatin1String(n.name));
    if (entry.code >= 0)
        o.insert(QStringLiteral("code"), entry.code);
    return o;
}

std::optional<LampEntry> readEntry(const QJsonValue& value)
{
    const QJsonObject o = value.toObject();
    LampEntry entry;
    const QJsonValue on = o.value(QStringLiteral("on"));
    entry.asked = QDateTime::fromString(o.value(QStringLiteral("asked")).toString(), Qt::ISODateWithMs);
    const QString outcome = o.value(QStringLiteral("outcome")).toString();
    const auto named = std::find_if(kOutcomes.begin(), kOutcomes.end(),
                                    [&](const OutcomeName& n) { return outcome == QLatin1String(n.name); });
    if (!value.isObject() || !on.isBool() || !entry.asked.isValid() || named == kOutcomes.end())
        return std::nullopt;
    entry.on = on.toBool();
    entry.outcome = named->outcome;
    entry.code = o.value(QStringLiteral("code")).toInt(-1);
    return entry;
}

QByteArray csvField(const QByteArray& field)
{
    if (!field.contains(',') && !field.contains('"') && !field.contains('\n') && !field.contains('\r'))
        return field;
    QByteArray quoted = field;
    return '"' + quoted.replace("\"", "\"\"") + '"';
}

QByteArray stateText(const std::optional<LampEntry>& entry)
{
    return entry ? (entry->on ? "on" : "off") : "";
}

// The fields of one line, RFC 4180 quoting; none when a quote is left open.
std::optional<QList<QByteArray>> csvFields(const QByteArray& line)
{
    QList<QByteArray> fields{QByteArray()};
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
            fields.last() += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            fields.append(QByteArray());
        } else {
            fields.last() += c;
        }
    }
    if (quoted)
        return std::nullopt;
    return fields;
}

// "on", "off" (or 1, 0), or empty for a lamp the map leaves alone.
std::optional<std::optional<bool>> lampState(const QByteArray& field)
{
    const QByteArray text = field.trimmed().toLower();
    if (text.isEmpty())
        return std::optional<bool>();
    if (text == "on" || text == "1")
        return std::optional<bool>(true);
    if (text == "off" || text == "0")
        return std::optional<bool>(false);
    return std::nullopt;
}

// Why a station's name cannot be one, or nothing when it can: 1 to 10 digits, as the lamp frames
// carry them.
std::optional<QString> notAStation(QByteArrayView station)
{
    const bool digits =
        std::all_of(station.begin(), station.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!station.isEmpty() && station.size() <= kLongestStation && digits)
        return std::nullopt;
    return QStringLiteral("\"%1\" is not a station number of 1 to %2 digits")
        .arg(QString::fromLatin1(station.first(std::min(station.size(), kLongestStation + 1))) +
             (station.size() > kLongestStation + 1 ? QStringLiteral("...") : QString()))
        .arg(kLongestStation);
}

} // namespace

QByteArray ledgerJson(const LampMap& stations)
{
    QJsonObject members;
    for (auto it = stations.begin(); it != stations.end(); ++it) {
        QJsonObject lamps;
        if (it->mw)
            lamps.insert(QStringLiteral("mw"), entryJson(*it->mw));
        if (it->vmm)
            lamps.insert(QStringLiteral("vmm"), entryJson(*it->vmm));
        members.insert(QString::fromLatin1(it.key()), lamps);
    }
    const QJsonObject root{{QStringLiteral("version"), kVersion}, {QStringLiteral("stations"), members}};
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

std::variant<LampMap, QString> readLedgerJson(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        return QStringLiteral("not JSON: %1 at byte %2").arg(error.errorString()).arg(error.offset);
    const QJsonObject root = document.object();
    if (root.value(QStringLiteral("version")).toInt() != kVersion)
        return QStringLiteral("not a lamp ledger of version %1").arg(kVersion);
    const QJsonObject members = root.value(QStringLiteral("stations")).toObject();
    LampMap stations;
    for (auto it = members.begin(); it != members.end(); ++it) {
        if (const std::optional<QString> why = notAStation(it.key().toLatin1()))
            return *why;
        const QJsonObject lamps = it->toObject();
        StationLamps read;
        for (const auto& [name, lamp] : {std::pair{"mw", &read.mw}, std::pair{"vmm", &read.vmm}}) {
            if (!lamps.contains(QLatin1String(name)))
                continue;
            *lamp = readEntry(lamps.value(QLatin1String(name)));
            if (!*lamp)
                return QStringLiteral("station %1: its %2 lamp is not readable")
                    .arg(it.key(), QLatin1String(name));
        }
        stations.insert(it.key().toLatin1(), read);
    }
    return stations;
}

QByteArray lampMapCsv(const LampMap& stations)
{
    QByteArray csv = "station,MW,VMM\r\n";
    for (auto it = stations.begin(); it != stations.end(); ++it)
        csv += csvField(it.key()) + ',' + stateText(it->mw) + ',' + stateText(it->vmm) + "\r\n";
    return csv;
}

std::variant<LampMap, LampMapError> readLampMapCsv(const QByteArray& csv, const QDateTime& now)
{
    LampMap stations;
    QList<QByteArray> lines = csv.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (int i = 0; i < lines.size(); ++i) {
        const int number = i + 1;
        QByteArray line = lines[i];
        if (line.endsWith('\r'))
            line.chop(1);
        const std::optional<QList<QByteArray>> fields = csvFields(line);
        if (!fields)
            return LampMapError{number, QStringLiteral("a quote is not closed")};
        if (fields->size() != 3)
            return LampMapError{number,
                                QStringLiteral("%1 fields; a line is station,MW,VMM").arg(fields->size())};
        const QByteArray station = fields->at(0).trimmed();
        if (i == 0 && station.toLower() == "station")
            continue;
        if (const std::optional<QString> why = notAStation(station))
            return LampMapError{number, *why};
        if (stations.contains(station))
            return LampMapError{
                number, QStringLiteral("station %1 is given twice").arg(QString::fromLatin1(station))};
        const std::optional<std::optional<bool>> mw = lampState(fields->at(1));
        const std::optional<std::optional<bool>> vmm = lampState(fields->at(2));
        if (!mw || !vmm)
            return LampMapError{
                number, QStringLiteral("a lamp's state is \"%1\"; it is on, off or empty")
                            .arg(QString::fromLatin1((mw ? fields->at(2) : fields->at(1)).trimmed()))};
        if (!*mw && !*vmm)
            return LampMapError{
                number, QStringLiteral("station %1 has no lamp state").arg(QString::fromLatin1(station))};
        StationLamps lamps;
        if (*mw)
            lamps.mw = LampEntry{**mw, now, LampOutcome::NotSent};
        if (*vmm)
            lamps.vmm = LampEntry{**vmm, now, LampOutcome::NotSent};
        stations.insert(station, lamps);
    }
    return stations;
}

} // namespace zkn::lamp
