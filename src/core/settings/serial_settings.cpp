// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/serial_settings.h"

#include <QStringList>

namespace zkn::settings {

std::optional<LineParameters> LineParameters::parse(const QString& text)
{
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() != 4)
        return std::nullopt;

    LineParameters p;
    bool ok = false;
    p.speed = fields[0].trimmed().toInt(&ok);
    if (!ok || p.speed <= 0)
        return std::nullopt;

    const QString parity = fields[1].trimmed().toLower();
    if (parity.size() != 1 || !QStringLiteral("eonms").contains(parity))
        return std::nullopt;
    p.parity = parity[0].toLatin1();

    p.dataBits = fields[2].trimmed().toInt(&ok);
    if (!ok || p.dataBits < 4 || p.dataBits > 8)
        return std::nullopt;

    p.stopBits = fields[3].trimmed();
    if (p.stopBits != QLatin1String("1") && p.stopBits != QLatin1String("1.5") &&
        p.stopBits != QLatin1String("2"))
        return std::nullopt;
    return p;
}

QString LineParameters::toText() const
{
    return QStringLiteral("%1,%2,%3,%4").arg(speed).arg(QLatin1Char(parity)).arg(dataBits).arg(stopBits);
}

SerialSettingsFields splitSerialSettings(const QString& text)
{
    // k counts the two extra characters of stop bits "1.5".
    const qsizetype k = text.contains(QLatin1Char('.')) ? 2 : 0;
    const qsizetype n = text.size();
    const auto charAt = [&](qsizetype position) {
        return position >= 1 && position <= n ? text[position - 1] : QChar();
    };

    SerialSettingsFields f;
    f.speed = text.left(qMax<qsizetype>(0, n - 6 - k));
    f.parityLetter = charAt(n - 4 - k);
    if (const QChar bits = charAt(n - 2 - k); !bits.isNull())
        f.dataBits = bits;
    f.stopBits = text.right(k + 1);
    return f;
}

QString parityItemForLetter(QChar letter)
{
    switch (letter.toLower().unicode()) {
    case 'e':
        return QStringLiteral("Even");
    case 'o':
        return QStringLiteral("Odd");
    case 'n':
        return QStringLiteral("None");
    case 'm':
        return QStringLiteral("Mark");
    case 's':
        return QStringLiteral("Space");
    default:
        return {};
    }
}

QString joinSerialSettings(const QString& speed, const QString& parityItem, const QString& dataBits,
                           const QString& stopBits)
{
    return speed.trimmed() + QLatin1Char(',') + parityItem.left(1) + QLatin1Char(',') + dataBits.trimmed() +
           QLatin1Char(',') + stopBits.trimmed();
}

} // namespace zkn::settings
