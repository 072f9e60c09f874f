#pragma once

#include "link/link_host.h"

#include <QObject>
#include <QTimer>

namespace zkn {

class frmTerminal;
class SerialLine;
class TcpLink;

// Carries out what the link engine decides, on the real transports and the main window.
class LinkWiring : public QObject, public link::LinkHost
{
    Q_OBJECT

public:
    LinkWiring(frmTerminal& main, TcpLink& socket, SerialLine& serial);

    QString connectSocket(const QString& host) override;
    void closeSocket() override;
    int socketState() const override;
    void IPSend(const QByteArray& frame) override;

    PortToggle toggleSerialPort() override;
    bool serialPortOpen() const override;
    bool serialDsr() const override;
    void setSerialReceive(bool on) override;
    QByteArray readSerialInput() override;

    void WriteTerminal(const QByteArray& text) override;
    void setPanelText(Panel panel, const QString& text) override;
    void UpdateSettingsPanel() override;
    void showConnected(bool connected) override;
    void setConnectChecked(bool checked) override;
    void setSendTextEnabled(bool enabled) override;
    void setPropertiesEnabled(bool enabled) override;
    void setDebugLanEnabled(bool enabled) override;
    void BlinkTx() override;
    void setRxIndicator(bool on) override;
    void setDsrIndicator(bool on) override;
    void showWaitWindow(bool shown) override;
    void showProperties() override;
    void recordArrived(const QByteArray& record, bool parityGood, const QDateTime& when) override;

    bool loadTestRunning() const override;
    void stopLoadTest(std::function<void()> stopped) override;
    void stopLoadTestSending() override;

private:
    frmTerminal& m_main;
    TcpLink& m_socket;
    SerialLine& m_serial;
    QTimer m_txBlink;
};

} // namespace zkn
