// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/settings_store.h"

#include "app_identity.h"

#include <QStringList>

namespace zkn::settings {

namespace {

QString path(const KeyInfo& info)
{
    return QLatin1String(info.section) + QLatin1Char('/') + QLatin1String(info.name);
}

} // namespace

SettingsStore::SettingsStore()
    : m_settings(QSettings::IniFormat, QSettings::UserScope, QLatin1String(kApplicationTitle),
                 QLatin1String(kApplicationTitle))
{
}

QString SettingsStore::text(Key key) const
{
    const KeyInfo& info = keyInfo(key);
    const QVariant stored = m_settings.value(path(info));
    if (!stored.isValid())
        return QLatin1String(info.fallback);
    // A hand-edited file may hold 9600,n,8,1 unquoted, which the INI reader returns as a list.
    if (stored.typeId() == QMetaType::QStringList)
        return stored.toStringList().join(QLatin1Char(','));
    return stored.toString();
}

QString SettingsStore::nonEmptyText(Key key) const
{
    const QString stored = text(key);
    return stored.isEmpty() ? QLatin1String(keyInfo(key).fallback) : stored;
}

void SettingsStore::write(Key key, const QString& value)
{
    m_settings.setValue(path(keyInfo(key)), value);
}

bool SettingsStore::sync()
{
    m_settings.sync();
    return m_settings.status() == QSettings::NoError;
}

} // namespace zkn::settings
