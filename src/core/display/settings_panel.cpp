// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/settings_panel.h"

namespace zkn::display {

QString settingsPanelText(const ConnectionSummary& s)
{
    if (s.connectionType == ConnectionType::Lan)
        return QStringLiteral("Host:  ") + s.remoteHost + QStringLiteral("      Device:  ") + s.deviceNumber +
               QStringLiteral("      Parity:  ") + s.lanParity;
    return QStringLiteral("Settings: ") + s.serialSettings;
}

} // namespace zkn::display
