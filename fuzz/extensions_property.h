// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The rule for the extensions file: any content gives stations and skipped lines, never a crash,
// and every line is one or the other, the skipped ones numbered in order.
#include "lamp/extensions.h"

namespace zkn::fuzz {

inline qsizetype lineCount(const QByteArray& content)
{
    if (content.isEmpty())
        return 0;
    return content.count('\n') + (content.endsWith('\n') ? 0 : 1);
}

// Returns false when the rule is broken.
inline bool checkExtensionsInput(QByteArrayView input)
{
    const QByteArray content = input.toByteArray();
    const lamp::Extensions found = lamp::parseExtensions(content);
    const qsizetype lines = lineCount(content);
    if (found.stations.size() + found.skipped.size() != lines)
        return false;
    int previous = 0;
    for (const lamp::SkippedLine& line : found.skipped) {
        if (line.number <= previous || line.number > lines)
            return false;
        previous = line.number;
    }
    for (const qint32 station : found.stations)
        if (station < 0)
            return false;
    return true;
}

} // namespace zkn::fuzz
