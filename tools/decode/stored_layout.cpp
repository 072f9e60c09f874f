// SPDX-License-Identifier: GPL-3.0-or-later
#include "stored_layout.h"

#include "model/connection_type.h"
#include "settings/record_format.h"

namespace zkn::decodetool {

decode::RecordFormat storedRecordFormat(const settings::SettingsStore& store)
{
    using settings::Key;
    const ConnectionType type = connectionTypeFromText(store.nonEmptyText(Key::CType));
    const bool kraChosen = settings::pbxTypeSelectsKra(store.nonEmptyText(Key::PBXType));
    return settings::recordFormatIsKra(type, kraChosen) ? decode::RecordFormat::Kra
                                                        : decode::RecordFormat::Olv;
}

} // namespace zkn::decodetool
