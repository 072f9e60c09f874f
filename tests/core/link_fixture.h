// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The link engine on a simulated clock, its transports and window played by a fake that records
// what it is asked: a LAN link of device "1" under odd parity. Every call through `engine->`
// is followed by taking the engine's outputs, its boxes answered by the scripted operator.
#include "check_byte.h"
#include "lan_link_setup.h"

#include "lamp/single_station_request.h"
#include "link/link_engine.h"

namespace zkn::test {

// The PBX's OK to the connect request numbered 0.
inline const QByteArray kOkSeq0 = QByteArray::fromHex("16 33 30 30 35 30 31 30 30 30 C8");

struct Link : LanLinkSetup
{
    link::LinkEngine realEngine{clock, connection, debug, expansion, loadTest};

    // The transports' states as the test set them reach the engine before the call.
    struct Drained
    {
        Link& l;
        link::LinkEngine* operator->() const
        {
            l.host.sync(l.realEngine);
            return &l.realEngine;
        }
        ~Drained() { l.host.drain(l.realEngine, l.op); }
    };
    struct Handle
    {
        Link& l;
        Drained operator->() const { return {l}; }
    };
    Handle engine{*this};

    Link(const QString& interval = QStringLiteral("5"), bool detail = false) : LanLinkSetup(interval)
    {
        debug.setDetail(detail);
        realEngine.setSendSpacing(0); // frames leave as they are handed over, unless a test spaces them
    }

    // Connect command, socket connected, connect request answered; 50 ms later.
    void bringUp()
    {
        engine->connectCommand();
        host.state = link::SocketState::Connected;
        engine->onSocketConnected();
        engine->onSocketData(kOkSeq0);
        tick(50); // the lamps go out
        host.sent.clear();
        host.terminal.clear();
        host.log.clear();
        host.txBlinks = 0;
    }

    void tick(qint64 ms = 1000)
    {
        clock.advance(ms);
        engine->advanceTo(clock.nowUs());
    }
    // Ticks one second at a time until the next health check leaves; returns the ticks taken.
    int ticksToHealthCheck()
    {
        const auto before = host.sent.size();
        for (int n = 1; n <= 200; ++n) {
            tick();
            if (host.sent.size() > before)
                return n;
        }
        return -1;
    }
    // The PBX's response with `code` to the last request sent.
    QByteArray responseToLast(char code = '0') const
    {
        return test::withCheckByte(QByteArray(1, '\x16') + "3005" + host.sent.last().mid(5, 4) + code);
    }
    void answerLastHealthCheck() { engine->onSocketData(responseToLast()); }
    // A lamp-control frame (the single-station dialog's VMM on for station 1000); returns the
    // PBX's OK answer to it.
    QByteArray sendLampMessage()
    {
        engine->singleStation().sendSingleStation({"1000", {}, {}, lamp::LampAction::On});
        return responseToLast();
    }
};

} // namespace zkn::test
