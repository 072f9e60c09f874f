// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/link_context.h"

#include <QDateTime>

namespace zkn::link {

// The "connect time" panel: how long the link, or a load test, has stood, counted each second by
// Timer1.
class ConnectTime
{
public:
    explicit ConnectTime(LinkContext& context) : m_context(context) {}

    void StartConnectTimer();
    // The timer stopped and the panel cleared.
    void StopConnectTimer();
    // Timer1's second.
    void tick();

private:
    LinkContext& m_context;
    QDateTime m_start;
};

} // namespace zkn::link
