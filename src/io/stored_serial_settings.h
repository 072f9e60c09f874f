#pragma once

#include <QString>

namespace zkn {

class SerialLine;
namespace settings {
class SettingsStore;
}

// Gives the serial port the parameters, port and handshaking remembered from the last run.
// Returns the description of a refused value that ends the start-up's settings, or nothing.
// A refused port number is reported only together with a stored handshaking value, and the port
// keeps its previous number.
QString applyStoredSerialSettings(const settings::SettingsStore& store, SerialLine& serial);

} // namespace zkn
