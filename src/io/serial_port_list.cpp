// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial_port_list.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

namespace zkn {

QList<SerialPortFacts> presentSerialPorts(const QString& byIdFolder)
{
    QList<SerialPortFacts> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        ports.append(
            {info.systemLocation(), {}, info.manufacturer(), info.description(), info.serialNumber()});
    addByIdNames(ports, byIdFolder);
    return ports;
}

void addByIdNames(QList<SerialPortFacts>& ports, const QString& byIdFolder)
{
    const QDir folder(byIdFolder);
    for (const QFileInfo& link :
         folder.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
        const QString target = link.canonicalFilePath();
        for (SerialPortFacts& port : ports)
            if (port.byId.isEmpty() && !target.isEmpty() &&
                QFileInfo(port.device).canonicalFilePath() == target)
                port.byId = link.absoluteFilePath();
    }
}

QString portDescription(const SerialPortFacts& port)
{
    QStringList parts;
    QString maker = port.manufacturer;
    // Many adapters repeat their maker in the product's name.
    if (!port.product.isEmpty())
        maker = port.product.startsWith(maker) ? port.product
                                               : (maker + QLatin1Char(' ') + port.product).trimmed();
    if (!maker.isEmpty())
        parts.append(maker);
    if (!port.serialNumber.isEmpty())
        parts.append(QStringLiteral("serial ") + port.serialNumber);
    parts.append(port.device);
    return parts.join(QStringLiteral(", "));
}

const SerialPortFacts* findPort(const QList<SerialPortFacts>& present, const QString& name)
{
    const QString wanted = name.trimmed();
    for (const SerialPortFacts& port : present)
        if (port.device == wanted || (!port.byId.isEmpty() && port.byId == wanted))
            return &port;
    return nullptr;
}

QString stablePortName(const QList<SerialPortFacts>& present, const QString& name)
{
    const SerialPortFacts* port = findPort(present, name);
    return port ? port->name() : name.trimmed();
}

} // namespace zkn
