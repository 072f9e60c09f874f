// SPDX-License-Identifier: GPL-3.0-or-later
#include "lamp/lamp_resync.h"

#include <utility>

namespace zkn::lamp {

QList<ResyncStep> resyncSteps(const LampMap& stations)
{
    QList<ResyncStep> steps;
    for (auto it = stations.begin(); it != stations.end(); ++it) {
        if (it->mw)
            steps.append({it.key(), it->mw->on ? LampFunction::MwOn : LampFunction::MwOff});
        if (it->vmm)
            steps.append({it.key(), it->vmm->on ? LampFunction::VmmOn : LampFunction::VmmOff});
    }
    return steps;
}

QList<ResyncStep> switchOffSteps(const LampMap& stations)
{
    QList<ResyncStep> steps;
    for (auto it = stations.begin(); it != stations.end(); ++it) {
        steps.append({it.key(), LampFunction::MwOff});
        steps.append({it.key(), LampFunction::VmmOff});
    }
    return steps;
}

void LampResync::start(const QByteArray& name, QList<ResyncStep> steps, int delayMs)
{
    m_name = name;
    m_steps = std::move(steps);
    m_next = 0;
    m_stats = {};
    m_awaiting = false;
    m_running = true;
    m_line.resyncSays(m_name + ": " + QByteArray::number(m_steps.size()) + " lamp messages to send");
    m_line.resyncProgressed();
    if (m_steps.isEmpty())
        finish(false);
    else
        m_line.tickAfter(delayMs);
}

void LampResync::tick(int delayMs)
{
    m_line.stopTicks();
    if (!m_running)
        return;
    if (!m_line.lampLineUp()) {
        lineLost();
        return;
    }
    if (!m_awaiting) {
        const ResyncStep& step = m_steps[m_next++];
        const LampSend sent = m_line.sendResyncMessage(step.station, step.function);
        if (sent != LampSend::NotSent)
            m_stats.messageSent();
        m_awaiting = sent == LampSend::Awaited;
        m_awaitingOthers = false;
        m_line.resyncProgressed();
        if (!m_awaiting && m_next == m_steps.size()) {
            finish(false);
            return;
        }
    }
    m_line.tickAfter(delayMs);
}

void LampResync::answered(int code, qint64 answerMs)
{
    if (!m_running || !m_awaiting)
        return;
    m_awaiting = false;
    if (!std::exchange(m_awaitingOthers, false))
        m_stats.answered(code != 0, answerMs);
    waitEnded();
}

void LampResync::timedOut()
{
    if (!m_running || !m_awaiting)
        return;
    m_awaiting = false;
    if (!std::exchange(m_awaitingOthers, false))
        m_stats.timedOut();
    waitEnded();
}

void LampResync::superseded()
{
    if (!m_running || !m_awaiting || std::exchange(m_awaitingOthers, true))
        return;
    m_stats.messageSuperseded();
    m_line.resyncProgressed();
}

void LampResync::waitEnded()
{
    m_line.resyncProgressed();
    if (m_next == m_steps.size())
        finish(false);
}

void LampResync::stop()
{
    if (m_running)
        finish(true);
}

void LampResync::lineLost()
{
    if (m_running && !m_line.lampLineUp())
        finish(true);
}

void LampResync::finish(bool stopped)
{
    m_running = false;
    m_awaiting = false;
    m_line.stopTicks();
    QByteArray line = m_name + ": " + m_stats.summary(m_line.lampAnswersCome());
    if (stopped)
        line += "; stopped after " + QByteArray::number(m_next) + " of " + QByteArray::number(m_steps.size());
    m_summary = line;
    m_line.resyncSays(line);
    m_line.resyncProgressed();
}

} // namespace zkn::lamp
