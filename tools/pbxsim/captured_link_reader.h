// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/parity.h"
#include "pbxsim/captured_link.h"

#include <QString>

#include <variant>

namespace zkn::pbxsim {

// The TCP connections of a capture file (pcap or pcapng, any link type zkn-decode reads), each
// with its frames and how it ended; or why the file cannot be read.
std::variant<CapturedLink, QString> readCapturedLink(const QString& path, link::Parity parity);

} // namespace zkn::pbxsim
