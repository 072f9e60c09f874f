// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/parity.h"

#include <QByteArray>

namespace zkn::link {

// The answer the tool gives to a record frame (kind "4").
enum class AnswerCode : char
{
    Normal = '0',
    ParityError = '1',
    InvalidText = '3'
};

// Frames the tool originates. `deviceNumber` is the operator's device number ("0" or "1"); the
// frame carries "0" followed by it. `sequence` is a value handed out by NextSequence.
QByteArray buildStatusFrame(const QByteArray& deviceNumber, int sequence, Parity parity);  // kind 5
QByteArray buildReleaseFrame(const QByteArray& deviceNumber, int sequence, Parity parity); // kind 6
QByteArray buildTextFrame(const QByteArray& deviceNumber, int sequence, const QByteArray& message,
                          Parity parity); // kind 1

// Answer to a record: device and sequence fields are copied from the record frame, a numeric field
// written with two digits ("7" becomes "07"), any other text unchanged.
QByteArray buildRecordAnswer(const QByteArray& deviceField, const QByteArray& sequenceField, AnswerCode code,
                             Parity parity);

// A field copied into an answer: its number with at least two digits when it reads as a number.
QByteArray twoDigitField(const QByteArray& field);

} // namespace zkn::link
