// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zkn::link {

inline constexpr char STX = 0x02; // first character of a message text
inline constexpr char ETX = 0x03; // last character of a message text
inline constexpr char SYN = 0x16; // first byte of every link frame

} // namespace zkn::link
