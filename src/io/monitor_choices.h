// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/parity.h"
#include "settings/serial_settings.h"
#include "settings/settings_store.h"
#include "tcp_relay.h"

#include <QString>

#include <variant>

namespace zkn {

// What the Monitor window watches and shows, as the operator last chose it; kept in the
// settings' section "Monitor", apart from the tool's own link.
struct MonitorChoices
{
    bool tap = false; // a serial tap, else a TCP relay
    QString listenAddress = QStringLiteral("0.0.0.0");
    int listenPort = 60020;
    QString pbxHost;
    int pbxPort = 60020;
    QString tapPbxPort; // on the PBX's transmit wire
    QString tapMcPort;  // on the message centre's
    QString tapSettings = QStringLiteral("9600,n,8,1");
    bool tapKra = true; // the tapped line's records in the KRA layout, else OLV
    link::Parity parity = link::Parity::Odd;
    bool showHealth = true;

    friend bool operator==(const MonitorChoices&, const MonitorChoices&) = default;
};

// The stored choices; a value that does not read keeps its default.
MonitorChoices storedMonitorChoices(const settings::SettingsStore& store);
void storeMonitorChoices(settings::SettingsStore& store, const MonitorChoices& choices);

// A relay as chosen, but for the PBX's address, which may still have to be looked up; or what is
// wrong with the choices, in words for the operator.
std::variant<TcpRelay::Options, QString> relayOptions(const MonitorChoices& choices);

// A tap as chosen: its line parameters; or what is wrong with the choices.
std::variant<settings::LineParameters, QString> tapParameters(const MonitorChoices& choices);

} // namespace zkn
