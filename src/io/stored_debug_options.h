#pragma once

namespace zkn {

class DebugOptions;
namespace settings {
class SettingsStore;
}

// The debug options remembered between runs. A stored text that does not convert leaves the
// option as it is; the stored hex view never opens the LAN debug window, so it is not read.
void loadDebugOptions(const settings::SettingsStore& store, DebugOptions& options);
void storeDebugOptions(settings::SettingsStore& store, const DebugOptions& options);

} // namespace zkn
