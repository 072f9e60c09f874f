// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app_identity.h"
#include "decode/breakdown.h"

namespace zkn::decodetool {

// The areas in the order both outputs print them, the order of a record's parts, with their
// JSON keys.
struct PrintedArea
{
    decode::Area area;
    const char* key;
};

inline constexpr PrintedArea kPrintedAreas[] = {
    {decode::Area::SourceDestination, "source"}, {decode::Area::CallingParty, "calling"},
    {decode::Area::CalledParty, "called"},       {decode::Area::ExtendedCallingParty, "extended"},
    {decode::Area::CallType, "callType"},        {decode::Area::Ani, "ani"},
};

// A message box without a title of its own carries the application's.
inline QString messageTitle(const Operator::Message& message)
{
    return message.title.isEmpty() ? QString::fromLatin1(kApplicationTitle) : message.title;
}

} // namespace zkn::decodetool
