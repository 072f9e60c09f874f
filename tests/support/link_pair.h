// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lan_link_setup.h"

#include "link/link_engine.h"
#include "pbxsim/lamp_board.h"
#include "pbxsim/pbx_link.h"
#include "pbxsim/sim_stats.h"

#include <algorithm>
#include <optional>

namespace zkn::test {

// The tool's link engine and the simulator's PBX side of the link on one simulated clock, in one
// process: a frame handed over reaches the PBX at once, what the PBX sends arrives when it is due,
// and the connection opens, closes and resets as a socket would tell it. A LAN link of device "1"
// under odd parity; boxes are answered by the scripted operator.
struct LinkPair : test::LanLinkSetup
{
    link::LinkEngine engine{clock, connection, debug, expansion, loadTest};
    pbxsim::SimStats stats;
    pbxsim::LampBoard lamps;
    pbxsim::PbxLink pbx{stats, lamps};

    explicit LinkPair(const QString& healthCheckInterval) : LanLinkSetup(healthCheckInterval)
    {
        host.frameLeaves = [this](const QByteArray& frame) {
            if (pbx.isOpen())
                pbx.receive(frame, clock.nowMs());
        };
    }

    // The connect command, and everything that is due now.
    void connect()
    {
        engine.connectCommand();
        settle();
    }

    // Runs the clock on by `ms`, stopping at every deadline of either side on the way (the
    // engine's are in microseconds, the simulator's in milliseconds).
    void run(qint64 ms)
    {
        const qint64 end = clock.nowUs() + ms * 1000;
        for (;;) {
            settle();
            std::optional<qint64> next = engine.timers().nextDeadline();
            if (const std::optional<qint64> due = pbx.nextDue(); due && (!next || *due * 1000 < *next))
                next = *due * 1000;
            if (!next || *next > end)
                break;
            clock.advanceUs(std::max<qint64>(0, *next - clock.nowUs()));
            engine.advanceTo(clock.nowUs());
        }
        clock.advanceUs(end - clock.nowUs());
    }

    bool linkUp() const { return pbx.isLinkUp() && host.connectChecked; }
    qsizetype linksUp() const { return host.terminal.count("Connect Message Rcv'd: OK"); }

private:
    // Until neither side has anything more to do at this moment.
    void settle()
    {
        for (bool moved = true; moved;) {
            host.drain(engine, op);
            moved = false;
            if (host.closes != m_closesSeen) {
                m_closesSeen = host.closes;
                if (pbx.isOpen())
                    pbx.connectionClosed();
                moved = true;
            }
            if (host.connects.size() != m_connectsSeen) {
                m_connectsSeen = host.connects.size();
                host.state = link::SocketState::Connected;
                host.sync(engine);
                pbx.connectionOpened();
                engine.onSocketConnected();
                moved = true;
            }
            for (const pbxsim::LinkAction& action : pbx.takeDue(clock.nowMs())) {
                moved = true;
                if (action.type == pbxsim::LinkAction::Type::Write) {
                    engine.onSocketData(action.bytes);
                    continue;
                }
                const bool closed = action.type == pbxsim::LinkAction::Type::Close; // else reset
                pbx.connectionClosed();
                host.state = closed ? link::SocketState::Closing : link::SocketState::Error;
                host.sync(engine);
                closed ? engine.onSocketClosed() : engine.onSocketReset();
            }
        }
    }

    int m_closesSeen = 0;
    qsizetype m_connectsSeen = 0;
};

} // namespace zkn::test
