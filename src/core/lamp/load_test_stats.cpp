// SPDX-License-Identifier: GPL-3.0-or-later
#include "lamp/load_test_stats.h"

#include <algorithm>

namespace zkn::lamp {

void LoadTestStats::answered(bool negative, qint64 answerMs)
{
    ++m_answered;
    if (negative)
        ++m_negative;
    answerMs = std::max<qint64>(answerMs, 0);
    m_maxAnswerMs = std::max(m_maxAnswerMs, answerMs);
    ++m_answerMsCounts[std::size_t(std::min(answerMs, kSlowest))];
}

qint64 LoadTestStats::answerMsAt(int percent) const
{
    const qint64 needed = (qint64(m_answered) * percent + 99) / 100;
    qint64 seen = 0;
    for (qint64 ms = 0; ms <= kSlowest; ++ms) {
        seen += m_answerMsCounts[std::size_t(ms)];
        if (seen >= needed && seen > 0)
            return ms;
    }
    return 0;
}

QByteArray LoadTestStats::summary(bool answersExpected) const
{
    QByteArray text = QByteArray::number(m_sent) + " sent";
    if (!answersExpected)
        return text;
    text += ", " + QByteArray::number(m_answered) +
            " answered: " + QByteArray::number(m_answered - m_negative) + " ok, " +
            QByteArray::number(m_negative) + " refused, " + QByteArray::number(m_timeouts) + " unanswered";
    if (m_superseded > 0)
        text += ", " + QByteArray::number(m_superseded) + " superseded";
    if (m_answered > 0)
        text += "; answer time median " + QByteArray::number(medianAnswerMs()) + " ms, p95 " +
                QByteArray::number(answerMsAt(95)) + " ms, max " + QByteArray::number(m_maxAnswerMs) + " ms";
    return text;
}

QByteArray LoadTestStats::panelText(bool answersExpected) const
{
    QByteArray text = QByteArray::number(m_sent) + " sent";
    if (!answersExpected)
        return text;
    text += ", " + QByteArray::number(m_answered - m_negative) + " ok, " + QByteArray::number(m_negative) +
            " ref., " + QByteArray::number(m_timeouts) + " unans.";
    if (m_superseded > 0)
        text += ", " + QByteArray::number(m_superseded) + " sup.";
    if (m_answered > 0)
        text += ", " + QByteArray::number(medianAnswerMs()) + "/" + QByteArray::number(m_maxAnswerMs) + " ms";
    return text;
}

} // namespace zkn::lamp
