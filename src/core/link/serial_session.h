// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/link_context.h"
#include "link/link_state.h"
#include "link/serial_receiver.h"
#include "link/transport_states.h"

#include <QByteArray>
#include <QString>

namespace zkn::link {

// The serial line as the link sees it. There is no link layer: the connect command opens or
// closes the port, the far end's DSR says whether anyone is there, the records are cut from STX
// to ETX out of what arrives, and messages go out bare. The rest of the link is told when the
// line comes up and when it goes.
class SerialSession
{
public:
    struct Owner
    {
        virtual ~Owner() = default;
        // The port opened with DSR held.
        virtual void serialLineUp() = 0;
        // The port closed or went away: the not-connected look.
        virtual void showSerialLineDown() = 0;
        // What was being sent on the line (a load test, a resynchronisation) has lost it.
        virtual void lampsLoseSerialLine() = 0;
    };

    SerialSession(LinkContext& context, LinkPhases& phases, Owner& owner);

    // The port as the program found it: open or not, and whether its far end holds DSR. Taken as
    // it changes, also while a box is open.
    void onLine(bool open, bool dsr);
    // The answer to TogglePort.
    void onToggled(quint64 ticket, PortToggle toggle, const QString& failure);
    void onData(const QByteArray& bytes);
    void onEvent(SerialEvent event);
    void onClosedByError(const QString& description);
    // Keys typed on the terminal go to the line as they are, shown only with local echo. Over
    // TCP they are not sent.
    void typed(const QByteArray& characters);
    // A block of a text file for the port; false when the port is not open.
    bool writeTextBlock(const QByteArray& block) { return write(block); }
    // A block of a text file went out.
    void textBlockWritten() { m_context.blink(Timer::TxLamp); }

    // The connect command's work on the line: the port closed if open, else opened; what came of
    // it is shown.
    void toggle();
    bool isOpen() const { return m_phases.portOpen(); }
    bool dsr() const { return m_phases.port() == PortPhase::Up; }
    // A message to the line, shown as sent; one the line did not take is not shown (false).
    bool send(const QByteArray& message);

private:
    bool write(const QByteArray& bytes);
    void showToggled();
    void handleEvent(SerialEvent event, const QByteArray& received);

    LinkContext& m_context;
    LinkPhases& m_phases;
    Owner& m_owner;
    SerialReceiver m_receiver;
    QString m_failure; // why the port did not open, or the path of one not there
};

} // namespace zkn::link
