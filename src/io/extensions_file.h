// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace zkn {

// "Extensions.dat": the stations a load test runs through when it takes them from a file, kept in
// the tool's per-user data folder, ~/.local/share/ZKN-Control Tool/Extensions.dat.
QString extensionsFilePath();

// The file's whole content, or nothing with the system's reason in `error`.
std::optional<QByteArray> readExtensionsFile(const QString& path, QString* error);

// Creates the file empty, with its folder, when it is not there yet, so an editor opens it rather
// than asking what to do with a missing file. An existing file is left as it is. Returns the reason
// when it could not be created, else empty.
QString ensureFileExists(const QString& path);

} // namespace zkn
