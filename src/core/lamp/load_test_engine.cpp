// SPDX-License-Identifier: GPL-3.0-or-later
#include "lamp/load_test_engine.h"

#include <utility>

namespace zkn::lamp {

void LoadTestEngine::start(int delayMs)
{
    m_phase = Phase::Running;
    m_line.loadTestPhaseChanged();
    m_stats = {};
    m_log.start(m_line.lampWallClock(), m_line.lampNowUs());
    m_line.loadTestFiguresChanged();
    m_awaiting = false;
    m_line.tickAfter(delayMs);
}

// One message when the last one needs no more waiting; the next tick comes one full delay after
// this one.
bool LoadTestEngine::tick(int delayMs)
{
    m_line.stopTicks();
    if (m_phase == Phase::Stopping) {
        sweepNext();
        return false;
    }
    bool passEnded = false;
    if (!m_awaiting && m_line.lampLineUp()) {
        const LoadTestPlan::Step step = m_plan.next();
        send(step.station, step.function);
        m_line.loadTestFiguresChanged();
        passEnded = step.passEnded;
    }
    if (m_phase == Phase::Running)
        m_line.tickAfter(delayMs);
    return passEnded;
}

void LoadTestEngine::send(qint32 station, LampFunction function)
{
    const LampSend sent = m_line.sendLampMessage(station, function);
    if (sent != LampSend::NotSent) {
        m_stats.messageSent();
        m_log.sent(m_line.lampNowUs(), station, function,
                   sent == LampSend::Awaited ? m_line.lampSequence() : -1);
    }
    m_awaiting = sent == LampSend::Awaited;
    m_awaitingOthers = false;
}

// An answer that comes after the timeout was counted, or to the dialog's frame, changes no figure.
void LoadTestEngine::answered(int code, qint64 answerMs)
{
    if (std::exchange(m_awaiting, false) && !std::exchange(m_awaitingOthers, false) && running()) {
        m_stats.answered(code != 0, answerMs);
        m_log.answered(code, answerMs);
        m_line.loadTestFiguresChanged();
    }
    if (m_sweepWaiting)
        sweepNext();
}

void LoadTestEngine::timedOut()
{
    const bool ours = std::exchange(m_awaiting, false) && !std::exchange(m_awaitingOthers, false);
    if (ours && running()) {
        m_stats.timedOut();
        m_log.timedOut();
        m_line.loadTestFiguresChanged();
    }
    if (m_sweepWaiting)
        sweepNext();
}

void LoadTestEngine::superseded()
{
    if (!m_awaiting || std::exchange(m_awaitingOthers, true) || !running())
        return;
    m_stats.messageSuperseded();
    m_log.superseded();
    m_line.loadTestFiguresChanged();
}

bool LoadTestEngine::stop(std::function<void()> stopped)
{
    if (m_phase == Phase::Idle) {
        if (stopped)
            stopped();
        return false;
    }
    if (stopped)
        m_whenStopped.push_back(std::move(stopped));
    if (m_phase == Phase::Stopping)
        return false;
    m_phase = Phase::Stopping;
    m_line.stopTicks();
    m_line.loadTestPhaseChanged();
    m_line.loadTestSays("Stopping Load Test...");
    return true;
}

void LoadTestEngine::sweep(const QList<qint32>& stations)
{
    m_sweepOverFile = true;
    m_sweepStations = stations;
    m_sweepNext = 0;
    m_sweepLast = stations.size() - 1;
    beginSweep();
}

void LoadTestEngine::sweepRange(qint64 first, qint64 last)
{
    m_sweepOverFile = false;
    m_sweepStations.clear();
    m_sweepNext = first;
    m_sweepLast = last;
    beginSweep();
}

// A message still awaited is waited for first.
void LoadTestEngine::beginSweep()
{
    m_sweepWaiting = m_awaiting && m_line.lampLineUp();
    if (!m_sweepWaiting)
        sweepNext();
}

// One station after the other: where answers come each waits for its answer or time-out, else
// the next follows at the next tick with no delay, so the window stays live through a long range.
// Without the line the sweep cannot reach the PBX and ends.
void LoadTestEngine::sweepNext()
{
    m_sweepWaiting = false;
    if (m_sweepNext > m_sweepLast || !m_line.lampLineUp()) {
        finish();
        return;
    }
    const qint32 station = m_sweepOverFile ? m_sweepStations[qsizetype(m_sweepNext)] : qint32(m_sweepNext);
    ++m_sweepNext;
    send(station, LampFunction::VmmOff);
    m_line.loadTestFiguresChanged();
    if (m_awaiting)
        m_sweepWaiting = true;
    else
        m_line.tickAfter(0);
}

void LoadTestEngine::lineLost()
{
    if (m_phase == Phase::Stopping && !m_line.lampLineUp())
        finish();
}

void LoadTestEngine::finish()
{
    m_sweepWaiting = false;
    m_line.stopTicks();
    m_line.loadTestSays("Load Test Stopped...");
    m_line.loadTestSays("Load test: " + m_stats.summary(m_line.lampAnswersCome()));
    m_phase = Phase::Idle;
    m_line.loadTestPhaseChanged();
    for (const std::function<void()>& stopped : std::exchange(m_whenStopped, {}))
        stopped();
}

} // namespace zkn::lamp
