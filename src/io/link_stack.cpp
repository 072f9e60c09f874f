// SPDX-License-Identifier: GPL-3.0-or-later
#include "link_stack.h"

namespace zkn {

LinkStack::LinkStack(const ConnectionOptions& connection, DebugOptions& debug,
                     const ExpansionOption& expansion, const LoadTestOptions& loadTest)
    : m_engine(m_clock, connection, debug, expansion, loadTest)
{
    // Before the pump: what the transports report is captured before the engine acts on it.
    m_capture.watch(m_socket);
    m_capture.watch(m_serial);
}

void LinkStack::start(LinkView& view, Operator& op)
{
    Q_ASSERT(!m_pump);
    m_pump = std::make_unique<LinkPump>(m_engine, m_socket, m_serial, view, op, m_clock);
}

} // namespace zkn
