// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/connection_type.h"

namespace zkn {

QString connectionTypeText(ConnectionType type)
{
    return type == ConnectionType::Serial ? QStringLiteral("Serial") : QStringLiteral("LAN");
}

ConnectionType connectionTypeFromText(const QString& text)
{
    return text == QLatin1String("Serial") ? ConnectionType::Serial : ConnectionType::Lan;
}

} // namespace zkn
