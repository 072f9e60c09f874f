// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/link_engine.h"
#include "link_capture.h"
#include "link_pump.h"
#include "serial_line.h"
#include "system_clock.h"
#include "tcp_link.h"

#include <memory>

namespace zkn {

class LinkView;
class Operator;

// The link as a program runs it: the tool's engine over the real transports, with the capture
// watching them, and once there is a view to show it on, the pump that drives the engine. The
// window's application and zkn-run each own one, over options of their own.
class LinkStack
{
public:
    LinkStack(const ConnectionOptions& connection, DebugOptions& debug, const ExpansionOption& expansion,
              const LoadTestOptions& loadTest);
    // The pump starts, showing the link on `view`; until then the transports may be set up, and
    // nothing reaches the engine.
    void start(LinkView& view, Operator& op);

    link::LinkEngine& engine() { return m_engine; }
    const link::LinkEngine& engine() const { return m_engine; }
    // There once started.
    LinkPump& pump() { return *m_pump; }
    TcpLink& socket() { return m_socket; }
    SerialLine& serial() { return m_serial; }
    LinkCapture& capture() { return m_capture; }

private:
    SystemClock m_clock;
    TcpLink m_socket;
    SerialLine m_serial;
    LinkCapture m_capture;
    link::LinkEngine m_engine;
    std::unique_ptr<LinkPump> m_pump;
};

} // namespace zkn
