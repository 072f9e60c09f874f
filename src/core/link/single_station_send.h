// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/lamp_control.h"
#include "link/link_commands.h"
#include "link/link_context.h"
#include "link/link_state.h"
#include "link/pending_requests.h"
#include "link/serial_session.h"

namespace zkn::lamp {
struct SingleStationRequest;
} // namespace zkn::lamp

namespace zkn::link {

// The single-station dialog's Send: fixed fields on the serial line, tagged over TCP, through
// lamp control's one sender. Where the line is not there the dialog is told to do what its Quit
// does: over TCP when no connection stands, on the serial line when the port does not hear DSR
// (the port is then closed again once the operator has read why). A closed port is opened first.
class SingleStationSend
{
public:
    SingleStationSend(LinkContext& context, SerialSession& serial, PendingRequests& pending,
                      const LinkPhases& phases, LampControl& lamps, LinkCommands& link)
        : m_context(context), m_serial(serial), m_pending(pending), m_phases(phases), m_lamps(lamps),
          m_link(link)
    {
    }

    void sendSingleStation(const lamp::SingleStationRequest& request);

private:
    void run(const lamp::SingleStationRequest& request);
    void sendSerial(const lamp::SingleStationRequest& request);
    void sendOnOpenPort(const lamp::SingleStationRequest& request);
    bool CheckSerialPort();

    LinkContext& m_context;
    SerialSession& m_serial;
    PendingRequests& m_pending;
    const LinkPhases& m_phases;
    LampControl& m_lamps;
    LinkCommands& m_link;
};

} // namespace zkn::link
