// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pbxsim/link_action.h"
#include "pbxsim/record_feed.h"

#include <QList>

#include <functional>
#include <optional>

namespace zkn::pbxsim {

class LampBoard;
struct SimStats;

// The PBX side of a serial line, without the line: no frames, no numbers, no answers. Records
// leave as bare STX ... ETX texts at the feed's pace; message texts from the tool are read as
// lamp-control messages and switch the shared lamps; characters outside a text are only traced.
class SerialSide
{
public:
    SerialSide(SimStats& stats, LampBoard& lamps);

    void setChangeHandler(std::function<void()> handler) { m_changed = std::move(handler); }

    void lineOpened();
    void lineClosed();
    bool isOpen() const { return m_open; }

    QList<FrameInfo> receive(const QByteArray& bytes);
    // Records due at `now`, each a Write; a Close (hang up) when the cue for it has come.
    QList<LinkAction> takeDue(qint64 now);
    std::optional<qint64> nextDue() const;

    void sendRecord(const QByteArray& text);
    void startRecords(const QList<QByteArray>& texts, int count, int intervalMs);
    // Hangs up once `n` more records have gone out; at once when `n` is 0.
    void hangUpAfterRecords(int n);

private:
    FrameInfo textIn(const QByteArray& text);
    void changed();

    SimStats& m_stats;
    LampBoard& m_lamps;
    std::function<void()> m_changed;
    RecordFeed m_feed;
    bool m_open = false;
    QByteArray m_text; // the message text being read, from its STX
    int m_unitsIn = 0;
    int m_unitsOut = 0;
    int m_recordsSent = 0;
    int m_hangUpAt = -1; // records sent when the line is hung up; -1 for never
};

} // namespace zkn::pbxsim
