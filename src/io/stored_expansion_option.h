#pragma once

namespace zkn {

class ExpansionOption;
namespace settings {
class SettingsStore;
}

// The expansion option's stored state, shared by the two dialogs that show it: read each time one
// of them becomes active, stored each time one stops being active. A stored text that is not a
// number leaves the option as it is.
void loadExpansionOption(const settings::SettingsStore& store, ExpansionOption& expansion);
void storeExpansionOption(settings::SettingsStore& store, const ExpansionOption& expansion);

} // namespace zkn
