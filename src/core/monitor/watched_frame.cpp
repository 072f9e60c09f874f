// SPDX-License-Identifier: GPL-3.0-or-later
#include "monitor/watched_frame.h"

namespace zkn::monitor {

const char* sideName(Side side)
{
    return side == Side::Pbx ? "pbx" : "mc";
}

const char* meaningName(Meaning meaning)
{
    switch (meaning) {
    case Meaning::ConnectRequest:
        return "connect request";
    case Meaning::HealthCheck:
        return "health check";
    case Meaning::Lamp:
        return "lamp message";
    case Meaning::Release:
        return "release request";
    case Meaning::Record:
        return "record";
    case Meaning::Response:
        return "response";
    case Meaning::RecordAnswer:
        return "record answer";
    case Meaning::Other:
        break;
    }
    return "other";
}

int requestIndex(Meaning meaning)
{
    for (int index = 0; index < kRequestKinds; ++index)
        if (kRequests[index] == meaning)
            return index;
    return -1;
}

bool isHealthTraffic(const WatchedFrame& frame)
{
    return frame.meaning == Meaning::HealthCheck ||
           (frame.answered && frame.answered->request == Meaning::HealthCheck);
}

} // namespace zkn::monitor
