// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lamp/lamp_message_reader.h"

#include <QByteArray>

#include <map>
#include <optional>

namespace zkn::monitor {

// The lamps the message centre set, each station (or range) with the last function it asked for
// and the PBX's answer to it. Bounded: stations past the limit are counted, not kept.
class LampTable
{
public:
    struct Row
    {
        lamp::LampFunction function = lamp::LampFunction::MwOn;
        qint64 setUs = 0;
        std::optional<int> code; // the PBX's response code
        bool timeUp = false;     // no answer in time
    };

    void set(const lamp::LampCommand& command, qint64 timeUs);
    // The answer to the message that set `command` last; one for a station set again since is
    // not its answer.
    void answered(const lamp::LampCommand& command, qint64 setUs, int code);
    void timeUp(const lamp::LampCommand& command, qint64 setUs);

    const std::map<QByteArray, Row>& rows() const { return m_rows; }
    qint64 leftOut() const { return m_leftOut; }
    // Grows with every change, so a view redraws only when there is something new.
    qint64 changes() const { return m_changes; }
    // "station,function,set_at,answer" and a row for each (`troubleOnly`: each refused or not
    // answered in time), in the order of the stations; the time in seconds since the epoch.
    QByteArray csv(bool troubleOnly = false) const;

    // The PBX's answer: "ok", "code N TEXT", "no answer" or "awaited".
    static QByteArray answerWords(const Row& row);
    // Refused by the PBX, or not answered in time.
    static bool isTrouble(const Row& row) { return row.timeUp || (row.code && *row.code != 0); }

    static constexpr std::size_t kMostStations = 100000;

private:
    static QByteArray stationsOf(const lamp::LampCommand& command);
    Row* rowSetAt(const lamp::LampCommand& command, qint64 setUs);

    std::map<QByteArray, Row> m_rows;
    qint64 m_leftOut = 0;
    qint64 m_changes = 0;
};

} // namespace zkn::monitor
