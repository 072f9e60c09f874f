// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QStringView>

namespace zkn::decodetool {

// Appends the text as a JSON string in UTF-8.
void appendJsonString(QByteArray& out, QStringView text);

// Appends "key": for the value that follows.
void appendJsonKey(QByteArray& out, const char* key);

} // namespace zkn::decodetool
