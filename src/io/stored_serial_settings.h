#pragma once

#include <QString>

namespace zkn {

class SerialLine;
namespace settings {
class SettingsStore;
}

// Gives the serial port the parameters, port and handshaking remembered from the last run.
// Returns the description of a refused line parameter or handshaking value, which ends the
// start-up's settings, or nothing. A stored port number the port cannot take is skipped silently
// and the port keeps its previous number.
QString applyStoredSerialSettings(const settings::SettingsStore& store, SerialLine& serial);

} // namespace zkn
