// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/setting_keys.h"

#include <QSettings>
#include <QString>

namespace zkn::settings {

// The per-user store of remembered values: text by section and key, in
// ~/.config/ZKN-Control Tool/ZKN-Control Tool.ini. Every value is text exactly as stored;
// conversions belong to the callers (see setting_text.h).
class SettingsStore
{
public:
    SettingsStore();

    // The stored text, or the key's default when nothing is stored.
    QString text(Key key) const;
    // The stored text when it is not empty, else the key's default (how start-up applies values).
    QString nonEmptyText(Key key) const;

    void write(Key key, const QString& value);

    // Forces pending writes to disk and reports whether the store can be written.
    bool sync();

    QString fileName() const { return m_settings.fileName(); }

private:
    mutable QSettings m_settings;
};

} // namespace zkn::settings
