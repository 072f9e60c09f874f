// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/connection_options.h"

namespace zkn {

void ConnectionOptions::setConnectionType(ConnectionType type)
{
    if (type == m_connectionType)
        return;
    m_connectionType = type;
    Q_EMIT connectionTypeChanged(type);
}

void ConnectionOptions::setDeviceNumber(const QString& number)
{
    if (number == m_deviceNumber)
        return;
    m_deviceNumber = number;
    Q_EMIT deviceNumberChanged(number);
}

void ConnectionOptions::setLanParity(const QString& parity)
{
    if (parity == m_lanParity)
        return;
    m_lanParity = parity;
    Q_EMIT lanParityChanged(parity);
}

void ConnectionOptions::toggleLanParity()
{
    setLanParity(m_lanParity == QLatin1String("Odd") ? QStringLiteral("Even") : QStringLiteral("Odd"));
}

void ConnectionOptions::setHostField(const QString& host)
{
    if (host == m_hostField)
        return;
    m_hostField = host;
    Q_EMIT hostFieldChanged(host);
}

void ConnectionOptions::setKraSelected(bool kra)
{
    if (kra == m_kraSelected)
        return;
    m_kraSelected = kra;
    Q_EMIT kraSelectedChanged(kra);
}

} // namespace zkn
