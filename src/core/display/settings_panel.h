// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/connection_type.h"

#include <QString>

namespace zkn::display {

// What the "Settings" panel of the status bar describes: the live connection method and, for
// each method, the values it shows.
struct ConnectionSummary
{
    ConnectionType connectionType = ConnectionType::Serial;
    QString remoteHost;
    QString deviceNumber;
    QString lanParity;
    QString serialSettings; // the serial line parameters as the port reports them
};

// Text of the "Settings" panel, as UpdateSettingsPanel writes it.
QString settingsPanelText(const ConnectionSummary& summary);

} // namespace zkn::display
