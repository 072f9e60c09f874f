// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lamp/lamp_function.h"

#include <QByteArray>
#include <QDateTime>

#include <vector>

namespace zkn::lamp {

// One message of a load test, the switch-off sweep's among them, and what became of it.
struct LoadTestMessage
{
    qint64 sentUs = 0; // on the link's monotonic clock
    qint32 station = 0;
    LampFunction function = LampFunction::VmmOn;
    int sequence = -1;    // the frame's sequence number; none on the serial line
    int code = -1;        // the answer's code; none while unanswered
    qint64 answerMs = -1; // from the message leaving to its answer
    bool timedOut = false;
};

// Every message of the last load test, kept until the next one starts, so its figures can be
// looked at and written out after it stopped.
class LoadTestLog
{
public:
    // A new test: the wall clock and the link's clock at its start, to date its messages.
    void start(const QDateTime& wallClock, qint64 nowUs);
    void sent(qint64 nowUs, qint32 station, LampFunction function, int sequence);
    // What became of the last message sent.
    void answered(int code, qint64 answerMs);
    void timedOut();

    const std::vector<LoadTestMessage>& messages() const { return m_messages; }
    QDateTime sentAt(const LoadTestMessage& message) const;

    // A row per message: time sent, station, function (mw-on, mw-off, vmm-on, vmm-off), sequence
    // number, answer code or empty, answer time in ms or empty, timed out yes or no; RFC 4180,
    // lines ended by CR LF.
    static QByteArray csvHeader();
    QByteArray csvRows() const;

private:
    QDateTime m_startWall;
    qint64 m_startUs = 0;
    std::vector<LoadTestMessage> m_messages;
};

// "mw-on" for MwOn, as plans and the CSV name the functions.
const char* lampFunctionName(LampFunction function);

} // namespace zkn::lamp
