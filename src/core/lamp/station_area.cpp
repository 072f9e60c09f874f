// SPDX-License-Identifier: GPL-3.0-or-later
#include "lamp/station_area.h"

namespace zkn::lamp {

namespace {

constexpr qsizetype kPlainWidth = 12;
constexpr qsizetype kExpandedWidth = 26;
constexpr qsizetype kPlainField = 6;
constexpr qsizetype kExpandedField = 8;

} // namespace

qsizetype stationFieldLength(bool expansion)
{
    return expansion ? kExpandedField : kPlainField;
}

QByteArray oneStationArea(qint32 station, bool expansion)
{
    return QByteArray::number(station).leftJustified(expansion ? kExpandedWidth : kPlainWidth, ' ');
}

std::optional<QByteArray> twoStationArea(const QByteArray& from, const QByteArray& to, bool expansion)
{
    const qsizetype field = stationFieldLength(expansion);
    if (from.size() > field || to.size() > field)
        return std::nullopt;
    const qsizetype width = expansion ? kExpandedWidth : kPlainWidth;
    return (from.leftJustified(field, ' ') + to).leftJustified(width, ' ');
}

} // namespace zkn::lamp
