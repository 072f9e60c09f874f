// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/setting_text.h"

namespace zkn::settings {

QString boolText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString checkStateText(bool checked)
{
    return checked ? QStringLiteral("1") : QStringLiteral("0");
}

std::optional<bool> parseBool(const QString& text)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    if (const auto number = parseInt(t))
        return *number != 0;
    return std::nullopt;
}

std::optional<int> parseInt(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

} // namespace zkn::settings
