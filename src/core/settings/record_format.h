// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/connection_type.h"

#include <QString>

namespace zkn::settings {

// The KRA format option as a stored PBXType selects it: only the exact text "True" does.
bool pbxTypeSelectsKra(const QString& storedPbxType);

// Whether records use the KRA layout: always on a LAN link, on a serial link when KRA is chosen.
bool recordFormatIsKra(ConnectionType connectionType, bool kraChosen);

} // namespace zkn::settings
