// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

namespace zkn {

// A serial port present now, and what tells it apart from the others: the stable name udev gives
// it under /dev/serial/by-id (the same after a replug or a reboot), its maker, product and serial
// number, as far as the device reports them.
struct SerialPortFacts
{
    QString device; // /dev/ttyUSB0
    QString byId;   // /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A12345-if00-port0, or empty
    QString manufacturer;
    QString product;
    QString serialNumber;

    // The name to choose it by: its by-id path when it has one, else its device.
    const QString& name() const { return byId.isEmpty() ? device : byId; }
    friend bool operator==(const SerialPortFacts&, const SerialPortFacts&) = default;
};

// The ports the system lists now, each given the by-id link in `byIdFolder` that points at it.
QList<SerialPortFacts> presentSerialPorts(const QString& byIdFolder = QStringLiteral("/dev/serial/by-id"));
// Each port given the link of `byIdFolder` that resolves to its device, if one does.
void addByIdNames(QList<SerialPortFacts>& ports, const QString& byIdFolder);

// "FTDI FT232R USB UART, serial A12345, /dev/ttyUSB0": what is known of it, its device last.
QString portDescription(const SerialPortFacts& port);

// The port that `name` (a device or a by-id path, as typed or stored) names among `present`.
const SerialPortFacts* findPort(const QList<SerialPortFacts>& present, const QString& name);

// The name to keep for a port chosen or typed: its by-id path when one points at it, so the same
// adapter is found after a replug; else the name as it was given.
QString stablePortName(const QList<SerialPortFacts>& present, const QString& name);

} // namespace zkn
