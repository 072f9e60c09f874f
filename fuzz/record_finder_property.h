// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The rule for zkn-decode's record finder: any stream gives records or nothing, never a crash,
// and the same records whole, byte by byte or in any pieces. Each record is STX, two header
// characters, "J", the body and ETX, with no other STX or ETX inside.
#include "pieces.h"

#include "record_finder.h"

namespace zkn::fuzz {

inline QList<QByteArray> findRecords(const QList<QByteArray>& blocks)
{
    QList<QByteArray> records;
    decodetool::RecordFinder finder([&](QByteArrayView record) { records.append(record.toByteArray()); });
    for (const QByteArray& block : blocks)
        finder.feed(block);
    return records;
}

inline bool wellFormedCallRecord(const QByteArray& record)
{
    return record.size() >= 5 && record.front() == '\x02' && record.back() == '\x03' && record[3] == 'J' &&
           record.count('\x02') == 1 && record.count('\x03') == 1;
}

// Returns false when the rule is broken.
inline bool checkRecordFinderInput(QByteArrayView input)
{
    const QList<Cuts> shapes = streamShapes(input);
    const QList<QByteArray> whole = findRecords(cutInto(input, shapes.front()));
    for (const QByteArray& record : whole)
        if (!wellFormedCallRecord(record))
            return false;
    for (const Cuts& cuts : shapes)
        if (findRecords(cutInto(input, cuts)) != whole)
            return false;
    return true;
}

} // namespace zkn::fuzz
