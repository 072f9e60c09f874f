#pragma once

// The rule every received-data reader must keep: any bytes give frames or a reported fault,
// never a crash, and whole, byte by byte or in any pieces they give the same lines and answers
// (unless the data held something the processor drops with what follows it) up to the end of
// the link: what follows a release or refusal belongs to no connection.
#include "fake_link_host.h"
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
    int dropped = 0;
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
    link::LinkEngine engine(host, host, op, clock, connection, debug, expansion, loadTest);
    host.state = link::SocketState::Connected;
    engine.onSocketConnected();
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
            host.state =
                link::SocketState::Connected; // a refusal or release in the data ended the link; keep feeding
            engine.onSocketData(data.mid(from, to - from));
        }
        from = qMax(from, to);
    }
    if (linkEnd) {
        host.sent.resize(linkEnd->first);
        host.terminal.resize(linkEnd->second);
    }
    Outcome o{host.sent, host.terminal, {}, engine.droppedChunks()};
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
    const Outcome whole = feed(data, {}, detail);
    QList<qsizetype> everyByte;
    for (qsizetype i = 1; i < data.size(); ++i)
        everyByte.append(i);
    const Outcome bytes = feed(data, everyByte, detail);
    QList<qsizetype> pieces;
    for (qsizetype i = 3; i < data.size(); i += 7)
        pieces.append(i);
    const Outcome chunks = feed(data, pieces, detail);

    // Dropped data or a frame that could not be taken apart end a receive event early, so the
    // pieces may differ there; everything else must match.
    const bool comparable = whole.dropped == 0 && whole.boxes.filter(QStringLiteral("Error|")).isEmpty();
    if (!comparable)
        return true;
    return sameTraffic(whole, bytes) && sameTraffic(whole, chunks);
}

} // namespace zkn::fuzz
