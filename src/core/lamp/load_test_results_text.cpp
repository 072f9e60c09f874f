// SPDX-License-Identifier: GPL-3.0-or-later
#include "lamp/load_test_results_text.h"

#include "lamp/load_test_log.h"
#include "lamp/load_test_results.h"
#include "link/frame_reader.h"

namespace zkn::lamp {

namespace {

QString ms(qint64 value)
{
    return value < 0 ? QStringLiteral("-") : QString::number(value) + QStringLiteral(" ms");
}

// "0:01:05.3": long tests are read in hours and minutes, short ones to a tenth of a second.
QString duration(qint64 totalMs)
{
    const qint64 tenths = totalMs / 100;
    return QStringLiteral("%1:%2:%3.%4")
        .arg(tenths / 36000)
        .arg(tenths / 600 % 60, 2, 10, QLatin1Char('0'))
        .arg(tenths / 10 % 60, 2, 10, QLatin1Char('0'))
        .arg(tenths % 10);
}

QString codeMeaning(int code)
{
    return QStringLiteral("code %1 %2").arg(code).arg(QString::fromLatin1(link::responseText(code)));
}

} // namespace

std::vector<ResultLine> resultLines(const LoadTestResults& r, bool answersExpected)
{
    std::vector<ResultLine> lines{{QStringLiteral("Sent"), QString::number(r.sent)}};
    if (answersExpected) {
        lines.push_back({QStringLiteral("Answered ok"), QString::number(r.answeredOk)});
        lines.push_back({QStringLiteral("Refused"), QString::number(r.negative)});
        for (const NegativeAnswers& n : r.negativesByCode)
            lines.push_back({QStringLiteral("    ") + codeMeaning(n.code), QString::number(n.count)});
        lines.push_back({QStringLiteral("Unanswered"), QString::number(r.timedOut)});
        if (r.superseded > 0)
            lines.push_back({QStringLiteral("Superseded"), QString::number(r.superseded)});
        lines.push_back({QStringLiteral("Answer time min"), ms(r.minMs)});
        lines.push_back({QStringLiteral("Answer time median"), ms(r.medianMs)});
        lines.push_back({QStringLiteral("Answer time p95"), ms(r.p95Ms)});
        lines.push_back({QStringLiteral("Answer time p99"), ms(r.p99Ms)});
        lines.push_back({QStringLiteral("Answer time max"), ms(r.maxMs)});
    }
    lines.push_back({QStringLiteral("Messages per second"), QString::number(r.messagesPerSecond, 'f', 1)});
    lines.push_back({QStringLiteral("Duration"), duration(r.durationMs)});
    return lines;
}

QStringList faultRow(const StationFault& fault)
{
    return {QString::number(fault.station), QLatin1String(lampFunctionName(fault.function)),
            QString::number(fault.count),
            fault.code < 0 ? QStringLiteral("unanswered") : codeMeaning(fault.code),
            fault.last.toString(QStringLiteral("hh:mm:ss.zzz"))};
}

} // namespace zkn::lamp
