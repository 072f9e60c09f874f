// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/serial_settings.h"

#include <QSerialPort>

namespace zkn {

// Gives a serial port the speed, parity, data and stop bits of `parameters` and the flow control.
// Returns false when the port (or, for an open port, its device) refuses one of them.
bool applyLineParameters(QSerialPort& port, const settings::LineParameters& parameters,
                         QSerialPort::FlowControl flow);

} // namespace zkn
