// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lamp/lamp_function.h"

#include <QByteArray>
#include <QList>

namespace zkn::lamp {

// What one group of the single-station dialog asks for its lamp.
enum class LampAction
{
    NoChange,
    On,
    Off
};

// One Send of the single-station dialog: the texts of its two station boxes as they stand, and
// the choice of its MW and VMM groups.
struct SingleStationRequest
{
    QByteArray from;
    QByteArray to;
    LampAction mw = LampAction::NoChange;
    LampAction vmm = LampAction::NoChange;
};

// The functions asked for, the MW lamp's first. Empty when both groups say "No Change".
QList<LampFunction> requestedFunctions(const SingleStationRequest& request);

// The range the two boxes name, as the dialog checks it before anything is sent: To below From
// is reversed; From = To, or To empty or one blank, is one station. Boxes that are not plain
// digits ("#" and "*" among them) are not compared: one station is assumed.
struct StationRange
{
    bool reversed = false;
    quint64 stations = 1; // at most the largest number
};
StationRange stationRange(const SingleStationRequest& request);

} // namespace zkn::lamp
