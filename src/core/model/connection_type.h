// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace zkn {

// How the tool reaches the PBX.
enum class ConnectionType
{
    Serial,
    Lan
};

// The text of the connection method box and of the stored value: "Serial" or "LAN". A text that
// is not "Serial" means a LAN link, as the properties dialog shows the LAN frame for it.
QString connectionTypeText(ConnectionType type);
ConnectionType connectionTypeFromText(const QString& text);

} // namespace zkn
