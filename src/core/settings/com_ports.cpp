// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/com_ports.h"

#include <QRegularExpression>

namespace zkn::settings {

namespace {
const QLatin1String kDevicePrefix("/dev/ttyS");
} // namespace

QString comPortName(int n)
{
    return QStringLiteral("COM%1").arg(n);
}

std::optional<int> comPortNumber(const QString& text)
{
    static const QRegularExpression com(QStringLiteral("^COM([1-9]|1[0-6])$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = com.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toInt();
}

QString comPortDevice(int n)
{
    return kDevicePrefix + QString::number(n - 1);
}

std::optional<int> comPortOfDevice(const QString& path)
{
    static const QRegularExpression device(QStringLiteral("^/dev/ttyS([0-9]|1[0-5])$"));
    const QRegularExpressionMatch match = device.match(path);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toInt() + 1;
}

QString portNotPresent(const QString& path)
{
    return QStringLiteral("Port %1 is not present").arg(path);
}

} // namespace zkn::settings
