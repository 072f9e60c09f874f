// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "monitor/answer_times.h"
#include "monitor/watched_frame.h"

#include <QByteArray>

#include <array>

namespace zkn::monitor {

// What one side sent and how the link ended for it.
struct SideFigures
{
    qint64 frames = 0; // frames over TCP, messages on the serial line
    qint64 records = 0;
    qint64 lampMessages = 0;
    qint64 badCheckBytes = 0;
    std::array<qint64, 10> negativeAnswers{}; // by code; [0] unused
    qint64 closes = 0;                        // connections this side closed
    qint64 resets = 0;
};

// The watch's figures, counted from the start; constant in size.
struct WatchFigures
{
    SideFigures pbx;
    SideFigures mc;
    // By request, in the order of kRequests.
    std::array<AnswerTimes, kRequestKinds> answerTimes;
    std::array<qint64, kRequestKinds> notAnsweredInTime{};
    qint64 connections = 0;
    qint64 responsesToNothing = 0;
    qint64 answersToNoRecord = 0;
    qint64 faults = 0;

    SideFigures& of(Side side) { return side == Side::Pbx ? pbx : mc; }
    const SideFigures& of(Side side) const { return side == Side::Pbx ? pbx : mc; }
};

// One line of figures: "pbx 120 frames (100 records), mc 121 frames (20 lamp messages);
// answers: lamp message 20 median 1.2 ms p95 3.4 ms max 5.0 ms, ...; 1 not in time; 2 faults".
QByteArray figuresLine(const WatchFigures& figures);

// The figures in full, one subject a line, for the summary at the end.
QByteArray figuresText(const WatchFigures& figures);

// "1.234 ms": microseconds as milliseconds to the microsecond.
QByteArray millisecondsText(qint64 us);

} // namespace zkn::monitor
