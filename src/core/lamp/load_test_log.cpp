// SPDX-License-Identifier: GPL-3.0-or-later
#include "lamp/load_test_log.h"

namespace zkn::lamp {

namespace {

QByteArray numberOrEmpty(qint64 value)
{
    return value < 0 ? QByteArray() : QByteArray::number(value);
}

} // namespace

const char* lampFunctionName(LampFunction function)
{
    switch (function) {
    case LampFunction::MwOn:
        return "mw-on";
    case LampFunction::MwOff:
        return "mw-off";
    case LampFunction::VmmOn:
        return "vmm-on";
    case LampFunction::VmmOff:
        return "vmm-off";
    }
    return "";
}

void LoadTestLog::start(const QDateTime& wallClock, qint64 nowUs)
{
    m_startWall = wallClock;
    m_startUs = nowUs;
    m_messages.clear();
}

void LoadTestLog::sent(qint64 nowUs, qint32 station, LampFunction function, int sequence)
{
    m_messages.push_back({nowUs, station, function, sequence});
}

void LoadTestLog::answered(int code, qint64 answerMs)
{
    if (m_messages.empty())
        return;
    m_messages.back().code = code;
    m_messages.back().answerMs = answerMs;
}

void LoadTestLog::timedOut()
{
    if (!m_messages.empty())
        m_messages.back().timedOut = true;
}

QDateTime LoadTestLog::sentAt(const LoadTestMessage& message) const
{
    return m_startWall.addMSecs((message.sentUs - m_startUs) / 1000);
}

QByteArray LoadTestLog::csvHeader()
{
    return "time_sent,station,function,sequence,code,answer_ms,timed_out\r\n";
}

QByteArray LoadTestLog::csvRows() const
{
    QByteArray rows;
    for (const LoadTestMessage& m : m_messages) {
        const QList<QByteArray> fields{sentAt(m).toString(Qt::ISODateWithMs).toLatin1(),
                                       QByteArray::number(m.station),
                                       lampFunctionName(m.function),
                                       numberOrEmpty(m.sequence),
                                       numberOrEmpty(m.code),
                                       numberOrEmpty(m.answerMs),
                                       m.timedOut ? "yes" : "no"};
        // No field can hold a comma, a quote or a line end, so none needs quoting.
        rows += fields.join(',') + "\r\n";
    }
    return rows;
}

} // namespace zkn::lamp
