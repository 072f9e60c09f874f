// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace zkn {

class Operator;

// The file choice of the send-text-file command: the operator picks a file, starting in
// `startFolder`; one that does not exist is told and the choice comes back. `chosen` gets the
// absolute path of an existing file, or nothing when the operator cancelled.
void chooseTextFileToSend(Operator& op, const QString& startFolder,
                          std::function<void(const std::optional<QString>&)> chosen);

} // namespace zkn
