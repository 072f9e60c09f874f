// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/setting_keys.h"

#include <QtGlobal>

namespace zkn::settings {

namespace {
constexpr char P[] = "Properties";
constexpr char D[] = "Debug";
constexpr char C[] = "Capture";
constexpr char L[] = "LampLedger";
constexpr char S[] = "Snapshot";
constexpr char M[] = "Monitor";
} // namespace

const std::array<KeyInfo, 43> kKeys = {{
    {Key::Settings, P, "Settings", ""},
    {Key::CommPort, P, "CommPort", ""},
    {Key::PortName, P, "PortName", ""},
    {Key::Handshaking, P, "Handshaking", ""},
    {Key::Echo, P, "Echo", ""},
    {Key::CType, P, "CType", "Serial"},
    {Key::DevID, P, "DevID", "0"},
    {Key::LANParity, P, "LANParity", "Odd"},
    {Key::PBXType, P, "PBXType", "True"},
    {Key::RemoteHost, P, "RemoteHost", "0.0.0.0"},
    {Key::StnA, P, "StnA", "1000"},
    {Key::StnB, P, "StnB", " "},
    {Key::StartSTN, P, "StartSTN", "1000"},
    {Key::EndSTN, P, "EndSTN", "1000"},
    {Key::FontSize, P, "FontSize", "3"},
    {Key::ReopenPort, P, "ReopenPort", "False"},
    {Key::Detail, D, "Detail", "1"},
    {Key::Hex, D, "Hex", "0"},
    {Key::TogglePty, D, "TogglePty", "0"},
    {Key::StopHC, D, "StopHC", "0"},
    {Key::IgnorePty, D, "IgnorePty", "0"},
    {Key::RespNorm, D, "RespNorm", "True"},
    {Key::RespPtyErr, D, "RespPtyErr", "False"},
    {Key::RespTextErr, D, "RespTextErr", "False"},
    {Key::HCinterval, D, "HCinterval", "5"},
    {Key::HCValue, D, "HCValue", "5"},
    {Key::ZKNexpansion, D, "ZKNexpansion", "0"},
    {Key::CaptureFile, C, "File", ""},
    {Key::ResyncAfterReconnect, L, "ResyncAfterReconnect", "0"},
    {Key::SnapshotOnFault, S, "OnFault", "0"},
    {Key::SnapshotSeconds, S, "Seconds", "60"},
    {Key::SnapshotKeep, S, "Keep", "20"},
    {Key::MonitorSource, M, "Source", "Relay"},
    {Key::MonitorListenAddress, M, "ListenAddress", "0.0.0.0"},
    {Key::MonitorListenPort, M, "ListenPort", "60020"},
    {Key::MonitorPbxHost, M, "PbxHost", ""},
    {Key::MonitorPbxPort, M, "PbxPort", "60020"},
    {Key::MonitorTapPbxPort, M, "TapPbxPort", ""},
    {Key::MonitorTapMcPort, M, "TapMcPort", ""},
    {Key::MonitorTapSettings, M, "TapSettings", "9600,n,8,1"},
    {Key::MonitorTapFormat, M, "TapFormat", "KRA"},
    {Key::MonitorParity, M, "Parity", "Odd"},
    {Key::MonitorShowHealth, M, "ShowHealth", "1"},
}};

const KeyInfo& keyInfo(Key key)
{
    const KeyInfo& info = kKeys[static_cast<std::size_t>(key)];
    Q_ASSERT(info.key == key);
    return info;
}

} // namespace zkn::settings
