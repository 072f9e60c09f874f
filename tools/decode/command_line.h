// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decode/record_parts.h"
#include "link/parity.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

namespace zkn::decodetool {

// What one run of zkn-decode is asked to do.
struct DecodeConfig
{
    std::optional<decode::RecordFormat> format; // none: as the stored settings choose it
    bool json = false;
    bool frames = false;                     // a capture's link frames instead of its records
    link::Parity parity = link::Parity::Odd; // for the frames' check bytes
    QStringList inputs;                      // file names; "-" is standard input; never empty
};

// Text the run prints instead of decoding (--help, --version).
struct InfoText
{
    QString text;
};

// A mistake on the command line, as the message to show.
struct UsageError
{
    QString message;
};

// Reads the arguments (argv[0] first).
std::variant<DecodeConfig, InfoText, UsageError> parseCommandLine(const QStringList& arguments);

} // namespace zkn::decodetool
