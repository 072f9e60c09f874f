#include "stored_expansion_option.h"

#include "model/expansion_option.h"
#include "settings/setting_text.h"
#include "settings/settings_store.h"

namespace zkn {

void loadExpansionOption(const settings::SettingsStore& store, ExpansionOption& expansion)
{
    if (const auto state = settings::parseInt(store.text(settings::Key::ZKNexpansion)))
        expansion.setEnabled(*state != 0);
}

void storeExpansionOption(settings::SettingsStore& store, const ExpansionOption& expansion)
{
    store.write(settings::Key::ZKNexpansion, settings::checkStateText(expansion.isEnabled()));
}

} // namespace zkn
