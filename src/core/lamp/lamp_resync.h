// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A resynchronisation: the lamps of the ledger sent again, one message per tick of the send clock,
// each after the answer, the time-out or the loss of the one before (where answers come), as the
// load test paces its messages. Switch all off is one too, with every lamp asked off.
//
//   idle     -- start (steps to send)                                   --> running
//   running  -- tick: nothing awaited, the line stands: the next sent   --> running
//            -- the last step answered, timed out or sent               --> idle (summary)
//            -- stop, or the line lost                                  --> idle (summary)
// It never waits without an end: an answer, the 10 s time-out, or the connection's end ends every
// wait, and the line's loss or a stop ends the run.

#include "lamp/lamp_function.h"
#include "lamp/lamp_ledger_file.h"
#include "lamp/load_test_engine.h"
#include "lamp/load_test_stats.h"

#include <QByteArray>
#include <QList>

namespace zkn::lamp {

struct ResyncStep
{
    QByteArray station;
    LampFunction function = LampFunction::MwOff;

    friend bool operator==(const ResyncStep&, const ResyncStep&) = default;
};

// Every lamp of the ledger in the state asked for, confirmed or not, in station order.
QList<ResyncStep> resyncSteps(const LampMap& stations);
// Both lamps of every station of the ledger off.
QList<ResyncStep> switchOffSteps(const LampMap& stations);

// The line a resynchronisation sends on; the send clock is the load test's.
class ResyncLine
{
public:
    virtual bool lampLineUp() const = 0;
    virtual bool lampAnswersCome() const = 0;
    virtual LampSend sendResyncMessage(const QByteArray& station, LampFunction function) = 0;
    virtual void tickAfter(int delayMs) = 0;
    virtual void stopTicks() = 0;
    virtual void resyncSays(const QByteArray& line) = 0;
    virtual void resyncProgressed() = 0;

protected:
    ~ResyncLine() = default;
};

class LampResync
{
public:
    explicit LampResync(ResyncLine& line) : m_line(line) {}

    bool running() const { return m_running; }
    qsizetype total() const { return m_steps.size(); }
    qsizetype done() const { return m_next; }
    const LoadTestStats& stats() const { return m_stats; }
    // "Resynchronisation" or "Switch all off", as the terminal names the run.
    const QByteArray& name() const { return m_name; }
    // The line the last run ended with, its figures in it.
    const QByteArray& summary() const { return m_summary; }

    // Starts over `steps`; the first goes at the first tick, `delayMs` from now.
    void start(const QByteArray& name, QList<ResyncStep> steps, int delayMs);
    void tick(int delayMs);
    void answered(int code, qint64 answerMs);
    void timedOut();
    void answerLost() { m_awaiting = false; }
    // As for the load test: the dialog's frame took the answer of the message awaited.
    void superseded();
    // The operator's stop, or the line gone: ends at once, with what was sent so far.
    void stop();
    void lineLost();

private:
    void waitEnded();
    void finish(bool stopped);

    ResyncLine& m_line;
    bool m_running = false;
    bool m_awaiting = false;
    bool m_awaitingOthers = false; // the answer awaited is the dialog's
    QByteArray m_name;
    QList<ResyncStep> m_steps;
    qsizetype m_next = 0;
    LoadTestStats m_stats;
    QByteArray m_summary;
};

} // namespace zkn::lamp
