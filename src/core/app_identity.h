// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zkn {

// The application title names the settings store, captions the main window and titles every
// message box that has no caption of its own.
inline constexpr char kApplicationTitle[] = "ZKN-Control Tool";
// The project version of the build, e.g. "2.1.102".
inline constexpr char kVersion[] = ZKN_VERSION;

} // namespace zkn
