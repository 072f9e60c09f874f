// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The rule every received-data reader must keep: any bytes give frames or a reported fault,
// never a crash, and whole, byte by byte or in any pieces they give the same lines and answers
// (unless the data held something the processor drops with what follows it) up to the end of
// the link: what follows a release or refusal belongs to no connection.
#include "fake_link_host.h"
#include "pieces.h"
#include "scripted_operator.h"

#include "link/link_engine.h"
#include "model/connection_options.h"
#include "model/debug_options.h"
#include "model/expansion_option.h"
#include "model/load_test_options.h"

#include <QList>

#include <optional>

namespace zkn::fuzz {

struct Outcome
{
    QList<QByteArray> sent;
    QByteArray terminal;
    QStringList boxes;
};

// Feeds `data` to a connected link in the pieces given by `cuts` (offsets where a new receive
// event begins).
inline Outcome feed(const QByteArray& data, const QList<qsizetype>& cuts, bool detail)
{
    test::FakeLinkHost host;
    test::FakeClock clock;
    test::ScriptedOperator op;
    ConnectionOptions connection;
    DebugOptions debug;
    ExpansionOption expansion;
    LoadTestOptions loadTest;
    connection.setConnectionType(ConnectionType::Lan);
    connection.setDeviceNumber(QStringLiteral("1"));
    debug.setDetail(detail);
    link::LinkEngine engine(clock, connection, debug, expansion, loadTest);
    engine.setSendSpacing(0); // every answer leaves as it is handed over
    host.state = link::SocketState::Connected;
    host.sync(engine);
    engine.onSocketConnected();
    host.drain(engine, op);
    host.sent.clear();
    host.terminal.clear();
    std::optional<std::pair<qsizetype, qsizetype>> linkEnd; // sent and terminal sizes
    host.whileWriting = [&](const QByteArray& text) {
        if (!linkEnd && text.contains("LINK RELEASED..."))
            linkEnd = {host.sent.size(), host.terminal.size()};
    };

    qsizetype from = 0;
    for (qsizetype i = 0; i <= cuts.size(); ++i) {
        const qsizetype to = i < cuts.size() ? cuts[i] : data.size();
        if (to > from) {
            // A refusal or release in the data ended the link; keep feeding.
            host.state = link::SocketState::Connected;
            host.sync(engine);
            engine.onSocketData(data.mid(from, to - from));
            host.drain(engine, op);
        }
        from = qMax(from, to);
    }
    if (linkEnd) {
        host.sent.resize(linkEnd->first);
        host.terminal.resize(linkEnd->second);
    }
    Outcome o{host.sent, host.terminal, {}};
    for (const auto& m : op.messages)
        o.boxes.append(m.title + QLatin1Char('|') + m.text);
    return o;
}

inline bool sameTraffic(const Outcome& a, const Outcome& b)
{
    return a.sent == b.sent && a.terminal == b.terminal;
}

// Returns false when the rule is broken.
inline bool checkPacketProperty(const QByteArray& data, bool detail)
{
    QList<Outcome> outcomes;
    for (const Cuts& cuts : streamShapes(data))
        outcomes.append(feed(data, cuts, detail));

    // A frame that could not be taken apart ends a receive event early, so the pieces may differ
    // there; everything else must match.
    const Outcome& whole = outcomes.front();
    if (!whole.boxes.filter(QStringLiteral("Error|")).isEmpty())
        return true;
    for (const Outcome& other : outcomes)
        if (!sameTraffic(whole, other))
            return false;
    return true;
}

// One fuzz input: its first byte chooses the detail lines, the rest is the received data.
inline bool checkPacketInput(QByteArrayView input)
{
    if (input.isEmpty())
        return true;
    return checkPacketProperty(input.sliced(1).toByteArray(), input.front() & 1);
}

} // namespace zkn::fuzz
