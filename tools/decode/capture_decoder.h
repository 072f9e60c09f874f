// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame_printer.h"
#include "link/parity.h"
#include "record_printer.h"

#include <QString>

#include <cstdio>
#include <optional>

namespace zkn::decodetool {

// Where what an input holds goes: its records, or with --frames a capture's link frames.
struct DecodeTargets
{
    RecordPrinter* records = nullptr;
    FramePrinter* frames = nullptr;
    link::Parity parity = link::Parity::Odd; // judges the frames' check bytes
};

// Reads a capture from the stream, which it closes. Over TCP, each connection's directions are
// put in order and cut into link frames; the records are the texts of the PBX's record frames.
// On the serial line the records are found in the PBX's bytes as in a log. Records are printed
// with their blanks as dots, as the tool's log holds them. Returns why the capture could not be
// read to its end.
std::optional<QString> decodeCapture(std::FILE* stream, const DecodeTargets& targets);

} // namespace zkn::decodetool
