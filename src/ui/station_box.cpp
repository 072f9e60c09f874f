// SPDX-License-Identifier: GPL-3.0-or-later
#include "station_box.h"

#include "lamp/station_area.h"

#include <QLineEdit>

#include <algorithm>

namespace zkn {

namespace {

// The designed widths of 6 and 8 characters (740 and 975 twips).
constexpr int kPlainWidth = 49;
constexpr int kExpandedWidth = 65;

} // namespace

QLineEdit* newStationBox(const char* name, int length, QWidget* parent)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    fitBoxLength(box, length);
    return box;
}

void fitBoxLength(QLineEdit* box, int length)
{
    box->setMaxLength(length); // cuts a longer text
    const int designed = length > lamp::stationFieldLength(false) ? kExpandedWidth : kPlainWidth;
    const int needed = box->fontMetrics().horizontalAdvance(QString(length, QLatin1Char('0'))) + 12;
    box->setFixedWidth(std::max(designed, needed));
}

void applyExpansionLength(QLineEdit* box, bool expanded)
{
    // The boxes hold what the serial line's station fields take.
    fitBoxLength(box, int(lamp::stationFieldLength(expanded)));
}

} // namespace zkn
