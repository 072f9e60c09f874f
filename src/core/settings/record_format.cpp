// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/record_format.h"

namespace zkn::settings {

bool pbxTypeSelectsKra(const QString& storedPbxType)
{
    return storedPbxType == QLatin1String("True");
}

bool recordFormatIsKra(ConnectionType connectionType, bool kraChosen)
{
    return connectionType == ConnectionType::Lan || kraChosen;
}

} // namespace zkn::settings
