// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/connection_type.h"

#include <QString>

namespace zkn {

class ConnectionOptions;
class SerialLine;
namespace settings {
class SettingsStore;
}

// What the fields of the properties dialog hold when the operator presses OK.
struct PropertiesForm
{
    ConnectionType connectionType = ConnectionType::Serial;
    QString deviceNumber;
    QString lanParity;
    QString hostText;
    QString portText; // as typed or chosen: "COM1" to "COM16", or the path of a serial device
    QString speed;
    QString parityItem; // "Even", "Odd", "None", "Mark", "Space"
    QString dataBits;
    QString stopBits;
    int flowChoice = 0; // 0 none, 1 XON/XOFF, 2 RTS, 3 RTS and XON/XOFF
    bool echoChoice = false;
    bool kraChosen = true;
    bool reopenPort = false; // the serial port is opened again when it comes back after going away
};

struct PropertiesResult
{
    QString error;             // not empty: a step was refused, the dialog stays up, nothing is stored
    bool portReopened = false; // the open port was closed to change it; opened again unless refused
    bool portOpen = false;     // whether the port is open afterwards
    bool kraChosen = true;     // the KRA option after OK (a LAN link always selects it)
};

// OK of the properties dialog: applies the choices to the serial port and the live options in
// order, and stores them only when the port accepted its number, parameters and handshaking.
// The port must be COM1 to COM16, a character device, or a device path not present yet. What was applied
// before a refused step stays applied.
PropertiesResult applyConnectionProperties(const PropertiesForm& form, SerialLine& serial,
                                           ConnectionOptions& options, settings::SettingsStore& store);

} // namespace zkn
