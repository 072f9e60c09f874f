#include "link_wiring.h"

#include "frm_properties.h"
#include "frm_terminal.h"
#include "indicator.h"
#include "serial_line.h"
#include "tcp_link.h"

#include <QAction>

namespace zkn {

namespace {

const char* panelKey(link::LinkHost::Panel panel)
{
    switch (panel) {
    case link::LinkHost::Panel::Status:
        return "Status";
    case link::LinkHost::Panel::Settings:
        return "Settings";
    case link::LinkHost::Panel::HealthChk:
        return "HealthChk";
    case link::LinkHost::Panel::ConnectTime:
        return "ConnectTime";
    }
    return "";
}

} // namespace

LinkWiring::LinkWiring(frmTerminal& main, TcpLink& socket, SerialLine& serial)
    : QObject(&main), m_main(main), m_socket(socket), m_serial(serial)
{
    // The transmit lamp stays lit 50 ms after the last frame, without holding the window.
    m_txBlink.setSingleShot(true);
    m_txBlink.setInterval(50);
    connect(&m_txBlink, &QTimer::timeout, this,
            [this] { m_main.indicator(QStringLiteral("TxLED"))->setOn(false); });
}

QString LinkWiring::connectSocket(const QString& host)
{
    if (m_socket.state() != TcpLink::Closed)
        return QStringLiteral("Invalid operation at current state");
    return m_socket.connectToHost(host);
}

void LinkWiring::closeSocket()
{
    m_socket.close();
}

int LinkWiring::socketState() const
{
    return m_socket.state();
}

void LinkWiring::IPSend(const QByteArray& frame)
{
    m_socket.send(frame);
}

link::LinkHost::PortToggle LinkWiring::toggleSerialPort()
{
    if (m_serial.isOpen()) {
        m_serial.close();
        return PortToggle::Closed;
    }
    QString error;
    switch (m_serial.open(&error)) {
    case SerialLine::OpenResult::Opened:
        return PortToggle::Opened;
    case SerialLine::OpenResult::NotFound:
        return PortToggle::NotFound;
    case SerialLine::OpenResult::Failed:
        break;
    }
    m_main.setPanelText(QStringLiteral("Status"), QStringLiteral("Status: ") + error);
    return PortToggle::Failed;
}

bool LinkWiring::serialPortOpen() const
{
    return m_serial.isOpen();
}

bool LinkWiring::serialDsr() const
{
    return m_serial.dsrHolding();
}

void LinkWiring::setSerialReceive(bool on)
{
    m_serial.setReceiveEnabled(on);
}

QByteArray LinkWiring::readSerialInput()
{
    return m_serial.readAll();
}

void LinkWiring::WriteTerminal(const QByteArray& text)
{
    m_main.WriteTerminal(text);
}

void LinkWiring::setPanelText(Panel panel, const QString& text)
{
    m_main.setPanelText(QLatin1String(panelKey(panel)), text);
}

void LinkWiring::UpdateSettingsPanel()
{
    m_main.UpdateSettingsPanel();
}

void LinkWiring::showConnected(bool connected)
{
    m_main.indicator(QStringLiteral("connection"))->setOn(connected);
}

void LinkWiring::setConnectChecked(bool checked)
{
    m_main.action(QStringLiteral("mnuOpen"))->setChecked(checked);
}

void LinkWiring::setSendTextEnabled(bool enabled)
{
    m_main.action(QStringLiteral("mnuSendText"))->setEnabled(enabled);
    m_main.action(QStringLiteral("TransmitTextFile"))->setEnabled(enabled);
}

void LinkWiring::setPropertiesEnabled(bool enabled)
{
    m_main.action(QStringLiteral("mnuProperties"))->setEnabled(enabled);
    m_main.action(QStringLiteral("Properties"))->setEnabled(enabled);
}

void LinkWiring::setDebugLanEnabled(bool enabled)
{
    m_main.action(QStringLiteral("mnuDisplayProperties"))->setEnabled(enabled);
}

void LinkWiring::BlinkTx()
{
    m_main.indicator(QStringLiteral("TxLED"))->setOn(true);
    m_txBlink.start();
}

void LinkWiring::setRxIndicator(bool on)
{
    m_main.indicator(QStringLiteral("RxLED"))->setOn(on);
}

void LinkWiring::setDsrIndicator(bool on)
{
    m_main.indicator(QStringLiteral("DsrLED"))->setOn(on);
}

void LinkWiring::showWaitWindow(bool shown)
{
    m_main.showWaitWindow(shown);
}

void LinkWiring::showProperties()
{
    m_main.properties()->showDialog();
}

void LinkWiring::recordArrived(const QByteArray&, bool, const QDateTime&)
{
    // The breakdown window takes the record's time and decodes it once it exists.
}

bool LinkWiring::loadTestRunning() const
{
    return m_main.action(QStringLiteral("StopTest"))->isEnabled();
}

void LinkWiring::stopLoadTest(std::function<void()> stopped)
{
    // The load test comes with its own commands; until then nothing runs that needs stopping.
    stopped();
}

void LinkWiring::stopLoadTestSending() {}

} // namespace zkn
