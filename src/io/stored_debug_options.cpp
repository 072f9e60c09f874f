#include "stored_debug_options.h"

#include "model/debug_options.h"
#include "settings/setting_text.h"
#include "settings/settings_store.h"

#include <utility>

namespace zkn {

namespace {
using Forced = DebugOptions::ForcedAnswer;
using settings::Key;
} // namespace

void loadDebugOptions(const settings::SettingsStore& store, DebugOptions& options)
{
    const auto checkState = [&](Key key, void (DebugOptions::*set)(bool)) {
        if (const auto state = settings::parseInt(store.text(key)))
            (options.*set)(*state != 0);
    };
    checkState(Key::Detail, &DebugOptions::setDetail);
    checkState(Key::TogglePty, &DebugOptions::setToggleParity);
    checkState(Key::StopHC, &DebugOptions::setStopHealth);
    checkState(Key::IgnorePty, &DebugOptions::setIgnoreParity);
    // A later option stored as selected wins, as selecting an option clears the others.
    const std::pair<Key, Forced> answers[] = {{Key::RespNorm, Forced::Normal},
                                              {Key::RespPtyErr, Forced::ParityError},
                                              {Key::RespTextErr, Forced::InvalidText}};
    for (const auto& [key, answer] : answers)
        if (settings::parseBool(store.text(key)).value_or(false))
            options.setForcedAnswer(answer);
    options.setHealthCheckIntervalText(store.text(Key::HCinterval));
}

void storeDebugOptions(settings::SettingsStore& store, const DebugOptions& options)
{
    store.write(Key::Detail, settings::checkStateText(options.detail()));
    store.write(Key::Hex, settings::checkStateText(options.hexView()));
    store.write(Key::TogglePty, settings::checkStateText(options.toggleParity()));
    store.write(Key::StopHC, settings::checkStateText(options.stopHealth()));
    store.write(Key::IgnorePty, settings::checkStateText(options.ignoreParity()));
    store.write(Key::HCValue, options.healthCheckIntervalText());
    store.write(Key::RespNorm, settings::boolText(options.forcedAnswer() == Forced::Normal));
    store.write(Key::RespPtyErr, settings::boolText(options.forcedAnswer() == Forced::ParityError));
    store.write(Key::RespTextErr, settings::boolText(options.forcedAnswer() == Forced::InvalidText));
    store.write(Key::HCinterval, options.healthCheckIntervalText());
    store.sync();
}

} // namespace zkn
