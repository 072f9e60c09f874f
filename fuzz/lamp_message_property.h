// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The rule for the lamp-message reader: any text gives a command or nothing, never a crash, and
// a command names a known function and stations of digits only, the first never empty.
#include "lamp/lamp_message_reader.h"

namespace zkn::fuzz {

inline bool onlyDigits(const QByteArray& text)
{
    for (const char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// Returns false when the rule is broken.
inline bool checkLampMessageInput(QByteArrayView input)
{
    const std::optional<lamp::LampCommand> command = lamp::parseLampMessage(input.toByteArray());
    if (!command)
        return true;
    return !command->firstStation.isEmpty() && onlyDigits(command->firstStation) &&
           onlyDigits(command->secondStation) && !lamp::describeLampCommand(*command).isEmpty();
}

} // namespace zkn::fuzz
