// SPDX-License-Identifier: GPL-3.0-or-later
#include "answer_figures.h"

namespace zkn::run {

QList<std::pair<QString, qint64>> answerFigures(const lamp::LoadTestStats& stats)
{
    return {{QStringLiteral("sent"), stats.sent()},
            {QStringLiteral("answered"), stats.answers()},
            {QStringLiteral("ok"), stats.answers() - stats.negative()},
            {QStringLiteral("refused"), stats.negative()},
            {QStringLiteral("unanswered"), stats.timeouts()},
            {QStringLiteral("superseded"), stats.superseded()}};
}

QList<std::pair<QString, qint64>> loadTestFigures(const lamp::LoadTestStats& stats)
{
    return answerFigures(stats) << std::pair{QStringLiteral("min_answer_ms"), stats.answerMsAt(0)}
                                << std::pair{QStringLiteral("median_answer_ms"), stats.medianAnswerMs()}
                                << std::pair{QStringLiteral("p95_answer_ms"), stats.answerMsAt(95)}
                                << std::pair{QStringLiteral("max_answer_ms"), stats.maxAnswerMs()};
}

QStringList overLimits(const lamp::LoadTestStats& stats, std::optional<int> maxUnanswered,
                       std::optional<int> maxRefused)
{
    QStringList over;
    if (maxUnanswered && stats.timeouts() > *maxUnanswered)
        over.append(
            QStringLiteral("%1 unanswered, at most %2 allowed").arg(stats.timeouts()).arg(*maxUnanswered));
    if (maxRefused && stats.negative() > *maxRefused)
        over.append(QStringLiteral("%1 refused, at most %2 allowed").arg(stats.negative()).arg(*maxRefused));
    return over;
}

} // namespace zkn::run
