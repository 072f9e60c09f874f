// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The rule for what arrives on the serial line: any bytes give characters and records, never a
// crash, and the same ones whole, byte by byte or in any pieces. A record runs from STX to ETX
// and holds no blank (blanks are shown as dots); one cut for want of an ETX is as long as allowed.
#include "pieces.h"

#include "link/frame_reader.h"
#include "link/serial_receiver.h"

namespace zkn::fuzz {

// What the terminal is given, in order: "c" and a character, "r" and a record, or "x" and a
// record cut.
inline QList<QByteArray> receiveSerial(const QList<QByteArray>& pieces)
{
    QList<QByteArray> shown;
    link::SerialReceiver receiver({[&](const QByteArray& text) { shown.append('c' + text); },
                                   [&](const QByteArray& record) { shown.append('r' + record); },
                                   [&](const QByteArray& record) { shown.append('x' + record); }});
    for (const QByteArray& piece : pieces)
        receiver.receive(piece);
    return shown;
}

inline bool wellFormedRecord(const QByteArray& record)
{
    return record.size() >= 2 && record.front() == link::STX && record.back() == link::ETX &&
           record.count(link::ETX) == 1 && !record.contains(' ');
}

// Returns false when the rule is broken.
inline bool checkSerialReceiverInput(QByteArrayView input)
{
    const QList<Cuts> shapes = streamShapes(input);
    const QList<QByteArray> whole = receiveSerial(cutInto(input, shapes.front()));
    for (const QByteArray& item : whole)
        if ((item.front() == 'r' && !wellFormedRecord(item.sliced(1))) ||
            (item.front() == 'x' && item.size() - 1 != link::SerialReceiver::kLongestRecord))
            return false;
    for (const Cuts& cuts : shapes)
        if (receiveSerial(cutInto(input, cuts)) != whole)
            return false;
    return true;
}

} // namespace zkn::fuzz
