// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fake_link_host.h"
#include "scripted_operator.h"

#include "model/connection_options.h"
#include "model/debug_options.h"
#include "model/expansion_option.h"
#include "model/load_test_options.h"

namespace zkn::test {

// What a link engine under test runs with: the fakes of its transports, window, clock and
// operator, and the live options of a LAN link of device "1" under odd parity to 10.1.2.3.
struct LanLinkSetup
{
    FakeLinkHost host;
    FakeClock clock;
    ScriptedOperator op;
    ConnectionOptions connection;
    DebugOptions debug;
    ExpansionOption expansion;
    LoadTestOptions loadTest;

    explicit LanLinkSetup(const QString& healthCheckInterval)
    {
        connection.setConnectionType(ConnectionType::Lan);
        connection.setDeviceNumber(QStringLiteral("1"));
        connection.setLanParity(QStringLiteral("Odd"));
        connection.setRemoteHost(QStringLiteral("10.1.2.3"));
        debug.setHealthCheckIntervalText(healthCheckInterval);
    }
};

} // namespace zkn::test
