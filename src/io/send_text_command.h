#pragma once

#include <QString>

#include <optional>

namespace zkn {

class Operator;

// The file choice of the send-text-file command: the operator picks a file, starting in
// `startFolder`; one that does not exist is told and the choice comes back. Returns the
// absolute path of an existing file, or nothing when the operator cancelled.
std::optional<QString> chooseTextFileToSend(Operator& op, const QString& startFolder);

} // namespace zkn
