// SPDX-License-Identifier: GPL-3.0-or-later
#include "monitor/watch_figures.h"

namespace zkn::monitor {

namespace {

QByteArray n(qint64 value)
{
    return QByteArray::number(value);
}

QByteArray sideLine(const char* name, const SideFigures& side)
{
    QByteArray line = QByteArray(name) + ": " + n(side.frames) + " frames, " + n(side.records) +
                      " records, " + n(side.lampMessages) + " lamp messages, " + n(side.badCheckBytes) +
                      " bad check bytes";
    QByteArray negative;
    for (std::size_t code = 1; code < side.negativeAnswers.size(); ++code)
        if (side.negativeAnswers[code] > 0)
            negative +=
                (negative.isEmpty() ? "" : ", ") + n(side.negativeAnswers[code]) + " code " + n(qint64(code));
    return line + ", negative answers: " + (negative.isEmpty() ? QByteArray("none") : negative);
}

QByteArray answersLine(Meaning request, const AnswerTimes& times, qint64 notInTime)
{
    QByteArray line = QByteArray(meaningName(request)) + ": " + n(times.count()) + " answered";
    if (times.count() > 0)
        line += ", median " + millisecondsText(times.percentileUs(50)) + ", p95 " +
                millisecondsText(times.percentileUs(95)) + ", max " + millisecondsText(times.maxUs());
    return line + ", " + n(notInTime) + " not in time";
}

} // namespace

QByteArray millisecondsText(qint64 us)
{
    return n(us / 1000) + '.' + n(us % 1000).rightJustified(3, '0') + " ms";
}

QByteArray figuresLine(const WatchFigures& figures)
{
    qint64 notInTime = 0;
    for (const qint64 count : figures.notAnsweredInTime)
        notInTime += count;
    QByteArray line = "pbx " + n(figures.pbx.frames) + " frames (" + n(figures.pbx.records) +
                      " records), mc " + n(figures.mc.frames) + " frames (" + n(figures.mc.lampMessages) +
                      " lamp messages); answers";
    for (int index = 0; index < kRequestKinds; ++index) {
        const AnswerTimes& times = figures.answerTimes[std::size_t(index)];
        if (times.count() > 0)
            line += QByteArray(" ") + meaningName(kRequests[index]) + ' ' + n(times.count()) + " median " +
                    millisecondsText(times.percentileUs(50)) + ',';
    }
    if (line.endsWith(','))
        line.chop(1);
    else
        line += " none";
    return line + "; " + n(notInTime) + " not in time; " + n(figures.faults) + " faults";
}

QByteArray figuresText(const WatchFigures& figures)
{
    QByteArray text = "connections: " + n(figures.connections) + ", closed by pbx " + n(figures.pbx.closes) +
                      ", by mc " + n(figures.mc.closes) + ", reset by pbx " + n(figures.pbx.resets) +
                      ", by mc " + n(figures.mc.resets) + '\n';
    text += sideLine("pbx", figures.pbx) + '\n';
    text += sideLine("mc", figures.mc) + '\n';
    for (int index = 0; index < kRequestKinds; ++index)
        text += answersLine(kRequests[index], figures.answerTimes[std::size_t(index)],
                            figures.notAnsweredInTime[std::size_t(index)]) +
                '\n';
    text += "responses to nothing: " + n(figures.responsesToNothing) +
            ", answers to records never sent: " + n(figures.answersToNoRecord) + '\n';
    text += "faults: " + n(figures.faults) + '\n';
    return text;
}

} // namespace zkn::monitor
