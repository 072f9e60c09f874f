// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/link_output.h"
#include "link/link_timers.h"
#include "link/notice_hold.h"
#include "link/parity.h"
#include "model/connection_type.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <deque>
#include <functional>
#include <optional>

namespace zkn {
class ConnectionOptions;
class DebugOptions;
class ExpansionOption;
class LoadTestOptions;
} // namespace zkn

namespace zkn::link {

class Clock;

// What every part of the link shares: the clock, the options of the moment, the named deadlines,
// the outputs in the order they were made, and the holds under which work waits (see
// notice_hold.h). It decides nothing.
class LinkContext
{
public:
    LinkContext(const Clock& clock, const ConnectionOptions& connection, DebugOptions& debug,
                const ExpansionOption& expansion, const LoadTestOptions& loadTest)
        : m_clock(clock), m_connection(connection), m_debug(debug), m_expansion(expansion),
          m_loadTest(loadTest)
    {
    }

    qint64 now() const;
    QDateTime wallClock() const;
    // "yyyy-MM-dd hh:mm:ss", as boxes and the terminal give the time.
    QString timeStamp() const;
    const ConnectionOptions& connection() const { return m_connection; }
    // The link chosen in the properties, read only where a command or a tick starts; the lamp,
    // pacing and receive code are given what they need of it.
    ConnectionType linkType() const;
    Parity parity() const;
    QByteArray device() const;
    DebugOptions& debug() const { return m_debug; }
    const ExpansionOption& expansion() const { return m_expansion; }
    const LoadTestOptions& loadTestOptions() const { return m_loadTest; }
    LinkTimers& timers() { return m_timers; }
    NoticeHold& hold() { return m_hold; }

    // The oldest output not yet taken.
    std::optional<LinkOutput> poll();
    void out(LinkOutput output);
    void out(LinkOutput::Type type, bool on = false);
    void writeTerminal(const QByteArray& text) { out({LinkOutput::Type::Terminal, text}); }
    // A line of the terminal, marked and timed.
    void writeLine(const char* marker, const QByteArray& text);
    void setPanelText(LinkOutput::PanelId panel, const QString& text);
    // Something went wrong on the link (a snapshot is kept).
    void fault(const QString& what);
    // A box: the work that follows waits for the operator to close it; callers go on with then().
    void tell(const Operator::Message& message);
    void tell(const QString& text, Operator::Icon icon);
    // Asks the program for `request`, answered at once by its ticket; work after it waits.
    void ask(LinkOutput request);
    // Runs `work` at once, or after what holds the strand running now.
    void then(std::function<void()> work) { m_hold.then(std::move(work)); }
    // Lights the transmit or receive lamp, which goes out when its timer runs out after the last
    // blink; lampOut() is that timer's end.
    void blink(Timer lamp);
    void lampOut(Timer lamp);

private:
    const Clock& m_clock;
    const ConnectionOptions& m_connection;
    DebugOptions& m_debug;
    const ExpansionOption& m_expansion;
    const LoadTestOptions& m_loadTest;
    LinkTimers m_timers;
    std::deque<LinkOutput> m_outputs;
    NoticeHold m_hold;
};

} // namespace zkn::link
