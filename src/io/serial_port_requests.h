// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "connection_properties.h"

#include <QByteArray>
#include <QString>

namespace zkn {

// What the windows ask of the serial port. Only the link carries it out, so it always knows the
// port as it is: open or closed, on which device.
class SerialPortRequests
{
public:
    virtual ~SerialPortRequests() = default;

    // The properties dialog's OK: its port, parameters and handshaking on the port, then the
    // options it sets.
    virtual PropertiesResult applyProperties(const PropertiesForm& form) = 0;
    // The stored port, parameters and handshaking at start-up; why they were refused, else nothing.
    virtual QString applyStoredSerialSettings() = 0;
    // A block of a text file to the port; why it was not taken, else nothing.
    virtual QString writeTextBlock(const QByteArray& block) = 0;
};

} // namespace zkn
