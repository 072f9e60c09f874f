// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lamp/lamp_message_reader.h"
#include "link/frame_reader.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace zkn::monitor {

// The two ends of a watched link.
enum class Side
{
    Pbx,
    Mc // the message centre
};

const char* sideName(Side side); // "pbx", "mc"

// What a frame is on the link, from who sent it and what came before it on its connection.
enum class Meaning
{
    ConnectRequest, // the message centre's first status frame of a connection
    HealthCheck,    // its later status frames
    Lamp,           // the message centre's text frame: a lamp-control message
    Release,        // a release request, from either side
    Record,         // the PBX's record frame
    Response,       // the PBX's answer to a connect request, health check, lamp message or release
    RecordAnswer,   // the message centre's answer to a record
    Other           // a kind that means nothing from its side
};

const char* meaningName(Meaning meaning); // "connect request", "health check", ...

// The requests that await an answer, as the figures count them.
inline constexpr Meaning kRequests[] = {Meaning::ConnectRequest, Meaning::HealthCheck, Meaning::Lamp,
                                        Meaning::Release, Meaning::Record};
inline constexpr int kRequestKinds = 5;
// The request's place in kRequests; -1 for what awaits no answer.
int requestIndex(Meaning meaning);

// One frame as it passed, and what the watch made of it. On a serial link a message from STX to
// ETX, without a frame around it: no kind, device, sequence, check byte or answer.
struct WatchedFrame
{
    qint64 timeUs = 0; // since the epoch
    int connection = 0;
    Side from = Side::Pbx;
    bool serial = false;
    link::FrameHeader frame;
    QByteArray message; // serial: the message from STX to ETX, blanks shown as dots
    Meaning meaning = Meaning::Other;
    std::optional<lamp::LampCommand> lamp; // a lamp message as the PBX reads it
    QByteArray record;                     // a record frame's record text
    // An answer: the request it answers, and how long after it.
    struct Answered
    {
        Meaning request = Meaning::Other;
        qint64 afterUs = 0;
        bool late = false; // after the request's time was up
        std::optional<lamp::LampCommand> lamp;
    };
    std::optional<Answered> answered;
};

// A health check or its answer: what a view may leave out.
bool isHealthTraffic(const WatchedFrame& frame);

// Something the watch found wrong, with when and on which connection.
struct WatchFault
{
    qint64 timeUs = 0;
    int connection = 0;
    QByteArray device; // of the connection's connect request; empty before it
    QString what;
};

} // namespace zkn::monitor
