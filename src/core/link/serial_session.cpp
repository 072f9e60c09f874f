// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/serial_session.h"

#include "display/terminal_line.h"
#include "link/status_texts.h"
#include "model/connection_options.h"
#include "settings/com_ports.h"

namespace zkn::link {

namespace {
using Panel = LinkOutput::PanelId;
using Out = LinkOutput::Type;
} // namespace

SerialSession::SerialSession(LinkContext& context, LinkPhases& phases, Owner& owner)
    : m_context(context), m_phases(phases), m_owner(owner),
      m_receiver({[this](const QByteArray& text) { m_context.writeTerminal(text); },
                  [this](const QByteArray& record) {
                      m_context.writeLine(display::marker::Received, record);
                      LinkOutput arrived{Out::RecordArrived, record};
                      arrived.on = true;
                      arrived.when = m_context.wallClock();
                      m_context.out(std::move(arrived));
                  },
                  [this](const QByteArray& record) {
                      m_context.writeLine(display::marker::Received,
                                          record + " (cut: no ETX after " +
                                              QByteArray::number(SerialReceiver::kLongestRecord) + " bytes)");
                      m_context.fault(QStringLiteral("a serial record without ETX"));
                  }})
{
}

void SerialSession::toggle()
{
    m_receiver.reset();
    m_context.ask({Out::TogglePort});
    m_context.then([this] {
        if (m_phases.port() == PortPhase::OpenFailed)
            m_context.setPanelText(Panel::Status, QStringLiteral("Status: ") + m_failure);
        // A COM port keeps the classic wording; a port named by its path is named.
        if (m_phases.port() == PortPhase::NotFound)
            m_context.tell(m_failure.isEmpty()
                               ? QStringLiteral("The COMM port you have selected in Connection Properties\r\n"
                                                "does not exist on this machine!")
                               : settings::portNotPresent(m_failure),
                           Operator::Icon::Exclamation);
        m_context.then([this] { showToggled(); });
    });
}

void SerialSession::onToggled(quint64 ticket, PortToggle toggle, const QString& failure)
{
    // The port's state came just before: what it does not say is why it did not open.
    if (toggle == PortToggle::NotFound)
        m_phases.step(PortEvent::NotFound);
    else if (toggle == PortToggle::Failed)
        m_phases.step(PortEvent::OpenFailed);
    m_failure = failure;
    m_context.hold().acknowledge(ticket);
}

void SerialSession::onLine(bool open, bool dsr)
{
    m_phases.step(!open ? PortEvent::Closed : dsr ? PortEvent::OpenWithDsr : PortEvent::OpenWithoutDsr);
}

bool SerialSession::write(const QByteArray& bytes)
{
    if (!isOpen())
        return false;
    m_context.out({Out::SerialWrite, bytes});
    return true;
}

bool SerialSession::send(const QByteArray& message)
{
    if (!write(message))
        return false;
    m_context.writeLine(display::marker::Sent, display::DotBlanks(message));
    return true;
}

void SerialSession::showToggled()
{
    const bool open = isOpen();
    m_context.out(Out::ConnectChecked, open);
    m_context.out(Out::SendTextEnabled, open);
    if (!open) {
        m_owner.showSerialLineDown();
        m_owner.lampsLoseSerialLine();
        return;
    }
    if (dsr()) {
        m_context.out(Out::Connected, true);
        m_context.out(Out::SettingsPanel);
        m_owner.serialLineUp();
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

void SerialSession::onData(const QByteArray& bytes)
{
    m_context.then([this, bytes] { handleEvent(SerialEvent::Receive, bytes); });
}

void SerialSession::onEvent(SerialEvent event)
{
    m_context.then([this, event] { handleEvent(event, {}); });
}

void SerialSession::handleEvent(SerialEvent event, const QByteArray& received)
{
    m_context.out(Out::SerialBufferLevel);
    m_context.blink(Timer::RxLamp);
    if (event == SerialEvent::Receive) {
        m_receiver.receive(received);
    } else if (event != SerialEvent::Send) {
        if (event == SerialEvent::CdChange)
            m_receiver.reset(); // a carrier change drops a half-received record
        m_context.setPanelText(Panel::Status, QStringLiteral("Status: ") + lineEventText(event));
    }
    m_context.out(Out::SerialBufferLevel);
}

// The reason is written to the terminal (and so to the log) as well as to the status panel, which
// the next line event overwrites.
void SerialSession::onClosedByError(const QString& description)
{
    m_context.fault(description);
    m_context.then([this, description] {
        m_context.writeLine(display::marker::Released, description.toLocal8Bit());
        m_receiver.reset();
        m_context.out(Out::SendTextEnabled, false);
        m_owner.showSerialLineDown();
        m_context.setPanelText(Panel::Status, QStringLiteral("Status: ") + description);
        m_owner.lampsLoseSerialLine();
    });
}

void SerialSession::typed(const QByteArray& characters)
{
    m_context.then([this, characters] {
        if (m_context.linkType() != ConnectionType::Serial)
            return;
        if (!write(characters)) {
            m_context.tell(QStringLiteral("Serial port NOT connected!"), Operator::Icon::Critical);
            return;
        }
        m_context.blink(Timer::TxLamp);
        if (m_context.connection().echo())
            m_context.writeTerminal(characters);
    });
}

} // namespace zkn::link
