// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lamp/lamp_function.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace zkn::lamp {

// One lamp-control message as the PBX understands it: a function for one station, or for every
// station from the first to the second.
struct LampCommand
{
    enum class Form
    {
        FixedField,
        Tagged
    };

    Form form = Form::FixedField;
    LampFunction function = LampFunction::MwOn;
    QByteArray firstStation;
    QByteArray secondStation; // empty for one station

    friend bool operator==(const LampCommand&, const LampCommand&) = default;
};

// Reads a message text STX "0!A" ... ETX in either form; nothing when it is malformed.
// Fixed field: the function code, then a station area of 12 or 26 characters. Tagged: fields of
// two-digit tag, two-digit length and value, tags "01" function, "02" first and "03" second
// station. Stations are digits.
std::optional<LampCommand> parseLampMessage(const QByteArray& text);

// "VMM on": the function in a few words.
QString functionWords(LampFunction function);
// "VMM on 1000", "MW off 1000-1010": the command in a few words for the trace.
QString describeLampCommand(const LampCommand& command);

} // namespace zkn::lamp
