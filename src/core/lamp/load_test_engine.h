// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The lamp load test: VMM lamps switched on for every station of a range or of the extensions
// file, then off, and so on, one message per tick of the send clock; Stop switches every
// station's lamp off (the sweep) before the test ends.
//
//   idle      -- start (the line stands, the stations are known)           --> running
//   running   -- tick: the last message needs no more waiting, one more sent --> running
//             -- tick without the line: nothing is sent, the clock goes on  --> running
//             -- stop                                                        --> stopping
//   stopping  -- VMM off to every station of the sweep, one per tick, each
//                after the answer, time-out or loss of the one before        --> idle
//             -- the line lost                                               --> idle
// A message awaited always ends: its answer, its time-out or the loss of the line ends the wait,
// so the sweep, and whoever waits for the test to stop, always gets on.
//
// The test knows nothing of the link beneath it: it sends through a LampLine, which tells it back
// what became of each message.

#include "lamp/lamp_function.h"
#include "lamp/load_test_log.h"
#include "lamp/load_test_phase.h"
#include "lamp/load_test_plan.h"
#include "lamp/load_test_stats.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>

#include <functional>
#include <vector>

namespace zkn::lamp {

// What became of a message handed to the line.
enum class LampSend
{
    Awaited,    // it went out; its answer, time-out or the line's loss is told back
    Unanswered, // it went out; no answer comes on this line
    NotSent     // the line did not take it
};

// The line a load test runs on, and the window it shows in.
class LampLine
{
public:
    virtual bool lampLineUp() const = 0;
    virtual bool lampAnswersCome() const = 0;
    virtual LampSend sendLampMessage(qint32 station, LampFunction function) = 0;
    // The sequence number the last message sent over TCP carried.
    virtual int lampSequence() const = 0;
    // The link's monotonic clock and the wall clock, to date the messages.
    virtual qint64 lampNowUs() const = 0;
    virtual QDateTime lampWallClock() const = 0;
    // The send clock: its next tick `delayMs` from now, or none.
    virtual void tickAfter(int delayMs) = 0;
    virtual void stopTicks() = 0;
    // A line of the test for the terminal; its phase or its figures changed.
    virtual void loadTestSays(const QByteArray& line) = 0;
    virtual void loadTestPhaseChanged() = 0;
    virtual void loadTestFiguresChanged() = 0;

protected:
    ~LampLine() = default;
};

class LoadTestEngine
{
public:
    using Phase = link::LoadTestPhase;

    explicit LoadTestEngine(LampLine& line) : m_line(line) {}

    Phase phase() const { return m_phase; }
    bool running() const { return m_phase != Phase::Idle; }
    const LoadTestStats& stats() const { return m_stats; }
    // Every message of the last test, kept until the next starts.
    const LoadTestLog& log() const { return m_log; }
    // The plan is set by the caller before start(); its phase outlives a test.
    LoadTestPlan& plan() { return m_plan; }
    const LoadTestPlan& plan() const { return m_plan; }
    bool awaiting() const { return m_awaiting; }

    // Starts over the plan; the first message goes at the first tick, `delayMs` from now.
    void start(int delayMs);
    // A tick of the send clock; the next comes `delayMs` after it. Returns whether a pass over
    // the file's stations ended with it (the caller may replace them for the next pass).
    bool tick(int delayMs);

    // What became of the message awaited: its answer with `code` after `answerMs`, its time-out,
    // or no answer can come any more (its connection ended).
    void answered(int code, qint64 answerMs);
    void timedOut();
    void answerLost() { m_awaiting = false; }
    // The single-station dialog's frame took the place of the message awaited: that message is
    // counted superseded, and the answer or time-out that comes next, the dialog's, ends the wait.
    void superseded();

    // Stop: `stopped` runs once the test has ended, at once when none runs. Returns true when
    // this stop begins the sweep, whose stations the caller then gives with sweep().
    bool stop(std::function<void()> stopped);
    // The sweep over the file's stations, or over the range first..last.
    void sweep(const QList<qint32>& stations);
    void sweepRange(qint64 first, qint64 last);
    // The line went: a sweep cannot reach the PBX, so it ends.
    void lineLost();

private:
    void send(qint32 station, LampFunction function);
    void beginSweep();
    void sweepNext();
    void finish();

    LampLine& m_line;
    Phase m_phase = Phase::Idle;
    LoadTestPlan m_plan;
    LoadTestStats m_stats;
    LoadTestLog m_log;
    bool m_awaiting = false;
    bool m_awaitingOthers = false; // the answer awaited is the dialog's
    std::vector<std::function<void()>> m_whenStopped;
    // The sweep: the file's stations, or a range counted up.
    QList<qint32> m_sweepStations;
    bool m_sweepOverFile = false;
    qint64 m_sweepNext = 0;
    qint64 m_sweepLast = -1;
    bool m_sweepWaiting = false;
};

} // namespace zkn::lamp
