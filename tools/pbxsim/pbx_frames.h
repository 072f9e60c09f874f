// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/parity.h"

#include <QByteArray>

namespace zkn::pbxsim {

// Frames the PBX side puts on the link. Device and sequence fields of an answer are copied as the
// tool sent them; the PBX's own frames carry its own two-digit numbers.
QByteArray responseFrame(const QByteArray& deviceField, const QByteArray& sequenceField, int code,
                         link::Parity parity); // kind 3
QByteArray recordFrame(const QByteArray& deviceField, int sequence, const QByteArray& text,
                       link::Parity parity);                                               // kind 2
QByteArray releaseFrame(const QByteArray& deviceField, int sequence, link::Parity parity); // kind 6
QByteArray statusFrame(const QByteArray& deviceField, int sequence, link::Parity parity);  // kind 5

// The same frame with another sequence field and a check byte that fits it again.
QByteArray withSequence(const QByteArray& frame, int sequence, link::Parity parity);

// "07" for 7.
QByteArray sequenceText(int sequence);

} // namespace zkn::pbxsim
