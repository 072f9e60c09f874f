// SPDX-License-Identifier: GPL-3.0-or-later
// The serial line: no link layer, only the port opened and closed, its line events, and the
// records cut from what it receives.
#include "display/terminal_line.h"
#include "link/link_engine.h"
#include "link/status_texts.h"
#include "model/connection_options.h"
#include "settings/com_ports.h"

#include <QFile>

namespace zkn::link {

namespace {
using Panel = LinkOutput::PanelId;
using Out = LinkOutput::Type;
} // namespace

void LinkEngine::toggleSerialPort()
{
    m_serial.reset();
    m_context.ask({Out::TogglePort});
    m_context.then([this] {
        if (m_portToggle == PortToggle::Failed)
            m_context.setPanelText(Panel::Status, QStringLiteral("Status: ") + m_portFailure);
        // A COM port keeps the classic wording; a port named by its path is named.
        if (m_portToggle == PortToggle::NotFound)
            m_context.tell(m_portFailure.isEmpty()
                               ? QStringLiteral("The COMM port you have selected in Connection Properties\r\n"
                                                "does not exist on this machine!")
                               : settings::portNotPresent(m_portFailure),
                           Operator::Icon::Exclamation);
        m_context.then([this] { showPortToggled(); });
    });
}

void LinkEngine::reopenReturnedPort(const QString& path)
{
    m_context.then([this, path] {
        if (m_context.linkType() != ConnectionType::Serial || m_portOpen || m_releasingForExit)
            return;
        m_context.writeLine(display::marker::Local,
                            "Serial port " + QFile::encodeName(path) + " is back: opening it again");
        connectCommand();
    });
}

void LinkEngine::onPortToggled(quint64 ticket, PortToggle toggle, const QString& failure)
{
    m_portToggle = toggle;
    m_portFailure = failure;
    m_context.hold().acknowledge(ticket);
}

void LinkEngine::onSerialLine(bool open, bool dsr)
{
    m_portOpen = open;
    m_dsr = open && dsr;
}

bool LinkEngine::writeSerial(const QByteArray& bytes)
{
    if (!m_portOpen)
        return false;
    m_context.out({Out::SerialWrite, bytes});
    return true;
}

void LinkEngine::showPortToggled()
{
    const bool open = m_portOpen;
    m_context.out(Out::ConnectChecked, open);
    m_context.out(Out::SendTextEnabled, open);
    if (!open) {
        showLinkDown();
        m_load.lineLost();
        m_resync.lineLost();
        return;
    }
    if (m_dsr) {
        m_context.out(Out::Connected, true);
        m_context.out(Out::SettingsPanel);
        StartConnectTimer();
        m_context.out(Out::PropertiesEnabled, false);
        m_context.out(Out::SerialReceive, true);
        m_context.out(Out::LinkCameUp);
        return;
    }
    // The port stays open with receiving off; the next connect command closes it.
    m_context.tell(QStringLiteral("MODEM/PBX not connected, check COM port settings or cable!"),
                   Operator::Icon::Exclamation);
    m_context.then([this] {
        m_context.out(Out::ConnectChecked, false);
        m_context.out(Out::SendTextEnabled, false);
        m_context.out(Out::PropertiesEnabled, true);
    });
}

void LinkEngine::onSerialData(const QByteArray& bytes)
{
    m_context.then([this, bytes] { handleSerialEvent(SerialEvent::Receive, bytes); });
}

void LinkEngine::onSerialEvent(SerialEvent event)
{
    m_context.then([this, event] { handleSerialEvent(event, {}); });
}

void LinkEngine::handleSerialEvent(SerialEvent event, const QByteArray& received)
{
    m_context.out(Out::SerialBufferLevel);
    m_context.blink(Timer::RxLamp);
    if (event == SerialEvent::Receive) {
        m_serial.receive(received);
    } else if (event != SerialEvent::Send) {
        if (event == SerialEvent::CdChange)
            m_serial.reset(); // a carrier change drops a half-received record
        m_context.setPanelText(Panel::Status, QStringLiteral("Status: ") + lineEventText(event));
    }
    m_context.out(Out::SerialBufferLevel);
}

// The reason is written to the terminal (and so to the log) as well as to the status panel, which
// the next line event overwrites.
void LinkEngine::onSerialClosedByError(const QString& description)
{
    m_context.fault(description);
    m_context.then([this, description] {
        m_context.writeLine(display::marker::Released, description.toLocal8Bit());
        m_serial.reset();
        m_context.out(Out::SendTextEnabled, false);
        showLinkDown();
        m_context.setPanelText(Panel::Status, QStringLiteral("Status: ") + description);
        m_load.lineLost();
        m_resync.lineLost();
    });
}

void LinkEngine::typedOnTerminal(const QByteArray& characters)
{
    m_context.then([this, characters] {
        if (m_context.linkType() != ConnectionType::Serial)
            return;
        if (!writeSerial(characters)) {
            m_context.tell(QStringLiteral("Serial port NOT connected!"), Operator::Icon::Critical);
            return;
        }
        m_context.blink(Timer::TxLamp);
        if (m_context.connection().echo())
            m_context.writeTerminal(characters);
    });
}

} // namespace zkn::link
