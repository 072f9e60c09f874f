// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lamp/lamp_function.h"

#include <QList>

namespace zkn::lamp {

// The order in which the load test visits its stations: a range from its first to its last
// station, or the stations of the extensions file. One pass switches every VMM lamp on, the next
// every one off, and so on. The phase outlives a test: the next one goes on with it.
//
// The two modes turn at different moments, and a test stopped and started again shows it: a range
// turns when the station after the last is due (so a test stopped at the end of a pass repeats
// it), the file as soon as its last line has been read (so the next test begins the other pass).
class LoadTestPlan
{
public:
    struct Step
    {
        qint32 station = 0;
        LampFunction function = LampFunction::VmmOn;
        bool passEnded = false; // file mode: the last line was read; the file is read afresh
    };

    void useRange(qint32 first, qint32 last);
    void useStations(const QList<qint32>& stations);
    // Replaces the stations for the next pass (the file read again), keeping the phase.
    void replaceStations(const QList<qint32>& stations) { m_stations = stations; }
    bool usesFile() const { return m_usesFile; }
    const QList<qint32>& stations() const { return m_stations; }
    qint32 first() const { return m_first; }
    qint32 last() const { return m_last; }

    // From the first station again, the phase kept.
    void restart();
    Step next();

    bool lampOnPhase() const { return m_lampOn; }

private:
    bool m_usesFile = false;
    qint32 m_first = 0;
    qint32 m_last = 0;
    qint64 m_current = 0; // the next station of the range; may pass the largest whole number
    QList<qint32> m_stations;
    qsizetype m_nextLine = 0;
    bool m_lampOn = true;
};

} // namespace zkn::lamp
