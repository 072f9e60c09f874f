// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial_tap.h"

#include "serial_port_parameters.h"
#include "system_clock.h"

#include <utility>

namespace zkn {

using monitor::Side;

SerialTap::SerialTap(const QString& pbxPort, const QString& mcPort,
                     const settings::LineParameters& parameters, QObject* parent)
    : QObject(parent), m_parameters(parameters), m_pbxName(pbxPort), m_mcName(mcPort)
{
    m_pbx.setPortName(pbxPort);
    m_mc.setPortName(mcPort);
    for (const auto& end : {std::pair{&m_pbx, Side::Pbx}, std::pair{&m_mc, Side::Mc}}) {
        QSerialPort* port = end.first;
        const Side side = end.second;
        connect(port, &QSerialPort::readyRead, this, [this, port, side] { read(*port, side); });
        connect(port, &QSerialPort::errorOccurred, this,
                [this, port, side](QSerialPort::SerialPortError error) { portError(*port, side, error); });
    }
}

SerialTap::Opened SerialTap::open()
{
    return {open(m_pbx), open(m_mc)};
}

std::optional<QString> SerialTap::open(QSerialPort& port)
{
    if (!port.open(QIODevice::ReadOnly))
        return port.errorString();
    if (!applyLineParameters(port, m_parameters, QSerialPort::NoFlowControl)) {
        const QString why = port.errorString();
        port.close();
        return QStringLiteral("the settings %1 do not take: %2").arg(m_parameters.toText(), why);
    }
    return std::nullopt;
}

void SerialTap::read(QSerialPort& port, Side side)
{
    const QByteArray bytes = port.readAll();
    if (!bytes.isEmpty())
        Q_EMIT received(epochNowUs(), side, bytes);
}

// A hung-up device otherwise floods errors: the first read or resource error closes the port.
void SerialTap::portError(QSerialPort& port, Side side, QSerialPort::SerialPortError error)
{
    bool& failedBefore = side == Side::Pbx ? m_pbxFailed : m_mcFailed;
    if ((error != QSerialPort::ReadError && error != QSerialPort::ResourceError) || !port.isOpen() ||
        std::exchange(failedBefore, true))
        return;
    const QString why =
        QStringLiteral("the %1 port %2 failed: %3")
            .arg(side == Side::Pbx ? QStringLiteral("PBX's") : QStringLiteral("message centre's"),
                 side == Side::Pbx ? m_pbxName : m_mcName,
                 error == QSerialPort::ResourceError ? QStringLiteral("the device is no longer available")
                                                     : port.errorString());
    QMetaObject::invokeMethod(&port, &QSerialPort::close, Qt::QueuedConnection);
    Q_EMIT failed(epochNowUs(), side, why);
}

void SerialTap::close()
{
    m_pbx.close();
    m_mc.close();
}

} // namespace zkn
