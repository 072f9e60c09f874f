#pragma once

namespace zkn {

// The application title names the settings store, captions the main window and titles every
// message box that has no caption of its own.
inline constexpr char kApplicationTitle[] = "ZKN-Control Tool";
inline constexpr char kVersion[] = "2.1.102";

} // namespace zkn
