// The serial line: no link layer, only the port opened and closed, its line events, and the
// records cut from what it receives.
#include "display/terminal_line.h"
#include "link/link_engine.h"
#include "link/link_host.h"
#include "link/link_transport.h"
#include "link/status_texts.h"
#include "model/connection_options.h"
#include "operator/operator.h"

namespace zkn::link {

namespace {
using Panel = LinkHost::Panel;
} // namespace

void LinkEngine::toggleSerialPort()
{
    m_serial.reset();
    QString failure;
    const LinkTransport::PortToggle toggle = m_transport.toggleSerialPort(&failure);
    if (toggle == LinkTransport::PortToggle::Failed)
        m_host.setPanelText(Panel::Status, QStringLiteral("Status: ") + failure);
    if (toggle == LinkTransport::PortToggle::NotFound)
        m_operator.tell(QStringLiteral("The COMM port you have selected in Connection Properties\r\n"
                                       "does not exist on this machine!"),
                        Operator::Icon::Exclamation);
    const bool open = m_transport.serialPortOpen();
    m_host.setConnectChecked(open);
    m_host.setSendTextEnabled(open);
    if (!open) {
        showLinkDown();
        endSweepWithTheLine();
        return;
    }
    if (m_transport.serialDsr()) {
        m_host.showConnected(true);
        m_host.UpdateSettingsPanel();
        StartConnectTimer();
        m_host.setPropertiesEnabled(false);
        m_transport.setSerialReceive(true);
        m_host.linkCameUp();
        return;
    }
    // The port stays open with receiving off; the next connect command closes it.
    m_operator.tell(QStringLiteral("MODEM/PBX not connected, check COM port settings or cable!"),
                    Operator::Icon::Exclamation);
    m_host.setConnectChecked(false);
    m_host.setSendTextEnabled(false);
    m_host.setPropertiesEnabled(true);
}

void LinkEngine::onSerialEvent(SerialEvent event)
{
    m_host.showSerialBufferLevel();
    m_host.setRxIndicator(true);
    if (event == SerialEvent::Receive) {
        m_transport.setSerialReceive(false);
        m_serial.receive(m_transport.readSerialInput());
        m_transport.setSerialReceive(true);
    } else if (event != SerialEvent::Send) {
        if (event == SerialEvent::CdChange)
            m_serial.reset(); // a carrier change drops a half-received record
        const LineEventText text = lineEventText(event);
        (text.isError ? m_errorMessage : m_eventMessage) = text.text;
    }
    // An event wins over an error waiting at the same time; the error shows on a later event.
    QString& shown = m_eventMessage.isEmpty() ? m_errorMessage : m_eventMessage;
    if (!shown.isEmpty()) {
        m_host.setPanelText(Panel::Status, QStringLiteral("Status: ") + shown);
        shown.clear();
    }
    m_host.setRxIndicator(false);
    m_host.showSerialBufferLevel();
}

// The reason is written to the terminal (and so to the log) as well as to the status panel, which
// the next line event overwrites.
void LinkEngine::onSerialClosedByError(const QString& description)
{
    writeLine(display::marker::Released, description.toLocal8Bit());
    m_serial.reset();
    m_host.setSendTextEnabled(false);
    showLinkDown();
    m_host.setPanelText(Panel::Status, QStringLiteral("Status: ") + description);
    endSweepWithTheLine();
}

void LinkEngine::typedOnTerminal(const QByteArray& characters)
{
    if (m_connection.connectionType() != ConnectionType::Serial)
        return;
    if (!m_transport.serialPortOpen()) {
        m_operator.tell(QStringLiteral("Serial port NOT connected!"), Operator::Icon::Critical);
        return;
    }
    if (!m_transport.writeSerial(characters).isEmpty())
        return;
    m_host.BlinkTx();
    if (m_connection.echo())
        m_host.WriteTerminal(characters);
}

} // namespace zkn::link
