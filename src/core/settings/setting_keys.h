// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>

namespace zkn::settings {

// Every value the tool remembers between runs.
enum class Key
{
    // Section "Properties"
    Settings,    // serial line parameters as the port reports them, e.g. 9600,n,8,1
    CommPort,    // serial port number 1 to 16
    PortName,    // a serial device path that is not one of COM1 to COM16; empty otherwise
    Handshaking, // flow control 0 to 3
    Echo,
    CType,
    DevID,
    LANParity,
    PBXType,
    RemoteHost,
    StnA,
    StnB,
    StartSTN,
    EndSTN,
    FontSize,
    ReopenPort, // "True": a serial port that went away is opened again when it comes back

    // Section "Debug"
    Detail,
    Hex,
    TogglePty,
    StopHC,
    IgnorePty,
    RespNorm,
    RespPtyErr,
    RespTextErr,
    HCinterval,
    HCValue,
    ZKNexpansion,
    // Section "Capture"
    CaptureFile, // the file the last capture went to

    // Section "LampLedger"
    ResyncAfterReconnect, // "1": the ledger's lamps are sent again whenever the link comes back

    // Section "Snapshot"
    SnapshotOnFault, // "1": the last seconds are written to a file on a fault
    SnapshotSeconds, // how many seconds a snapshot holds
    SnapshotKeep,    // how many snapshots are kept; older ones are removed

    // Section "Monitor": the Monitor window's last choices
    MonitorSource,        // "Relay" or "Tap"
    MonitorListenAddress, // where the relay listens
    MonitorListenPort,
    MonitorPbxHost, // the PBX the relay passes connections to
    MonitorPbxPort,
    MonitorTapPbxPort, // the tap's port on the PBX's transmit wire
    MonitorTapMcPort,  // and on the message centre's
    MonitorTapSettings,
    MonitorTapFormat, // "KRA" or "OLV": how the tapped line's records are laid out
    MonitorParity,    // the link's check-byte parity, "Odd" or "Even"
    MonitorShowHealth,
};

struct KeyInfo
{
    Key key;
    const char* section;
    const char* name;
    // What a read gives when nothing is stored. Empty for the serial values, where nothing stored
    // means the port keeps its design (port 1, 9600,n,8,1, no handshaking).
    const char* fallback;
};

// The one table of keys, sections and defaults, in the order of Key.
extern const std::array<KeyInfo, 43> kKeys;

const KeyInfo& keyInfo(Key key);

} // namespace zkn::settings
