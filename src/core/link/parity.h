// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace zkn::link {

// Sense of the check byte on the LAN link. The caller passes the value of the moment, so a
// change of the setting applies to the very next frame, sent or checked.
enum class Parity
{
    Even,
    Odd
};

// Only the exact text "Odd" inverts the check byte; any other text counts as even.
Parity parityFromText(const QString& text);

// Check byte of a frame text that runs from SYN up to its last data byte: the XOR of every byte
// after the SYN, inverted under odd parity. A text of fewer than two bytes XORs nothing.
quint8 ComputeParity(const QByteArray& frameText, Parity parity);

// True when the last byte of a complete frame is the check byte of all the bytes before it.
bool CheckParity(const QByteArray& frame, Parity parity);

} // namespace zkn::link
