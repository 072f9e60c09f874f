// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

namespace zkn::settings {

// The serial ports the operator knows as COM1 to COM16 are the devices /dev/ttyS0 to /dev/ttyS15.
constexpr int kComPorts = 16;

// "COM3" for 3.
QString comPortName(int n);
// The number of "COM1" to "COM16" in any letter case, blanks around allowed; nothing for any
// other text (a device path, "COM17", "COM01").
std::optional<int> comPortNumber(const QString& text);
// "/dev/ttyS2" for COM3.
QString comPortDevice(int n);
// 3 for "/dev/ttyS2"; nothing for a device that is none of COM1 to COM16.
std::optional<int> comPortOfDevice(const QString& path);
// What the operator reads when a port named by its path is not there: "Port /dev/ttyUSB1 is not present".
QString portNotPresent(const QString& path);

} // namespace zkn::settings
