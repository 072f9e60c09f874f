#include "settings/record_format.h"

namespace zkn::settings {

bool pbxTypeSelectsKra(const QString& storedPbxType)
{
    return storedPbxType == QLatin1String("True");
}

bool recordFormatIsKra(const QString& connectionType, bool kraChosen)
{
    return connectionType == QLatin1String("LAN") || (connectionType == QLatin1String("Serial") && kraChosen);
}

} // namespace zkn::settings
