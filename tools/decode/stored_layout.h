// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decode/record_parts.h"
#include "settings/settings_store.h"

namespace zkn::decodetool {

// The layout the tool would decode records in, from its stored connection method (CType) and
// PBX type (PBXType), read as the tool reads them at start-up.
decode::RecordFormat storedRecordFormat(const settings::SettingsStore& store);

} // namespace zkn::decodetool
