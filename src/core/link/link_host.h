#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <functional>

namespace zkn::link {

// What the link engine needs from the program around it: the two transports, the main window's
// look, and the load test. The engine decides; the host only carries out.
class LinkHost
{
public:
    enum class Panel
    {
        Status,
        Settings,
        HealthChk,
        ConnectTime
    };
    enum class PortToggle
    {
        Opened,
        Closed,
        NotFound,
        Failed
    };

    // The socket states the engine tells apart.
    static constexpr int kSocketClosed = 0;
    static constexpr int kSocketConnected = 7;

    virtual ~LinkHost() = default;

    // TCP. connectSocket returns the description of an immediate failure, else nothing.
    virtual QString connectSocket(const QString& host) = 0;
    virtual void closeSocket() = 0;
    virtual int socketState() const = 0;
    // Sends a frame: in order, spaced, and traced in the LAN debug window when it leaves.
    virtual void IPSend(const QByteArray& frame) = 0;

    // Serial.
    virtual PortToggle toggleSerialPort() = 0;
    virtual bool serialPortOpen() const = 0;
    virtual bool serialDsr() const = 0;
    virtual void setSerialReceive(bool on) = 0;
    virtual QByteArray readSerialInput() = 0;

    // The main window.
    virtual void WriteTerminal(const QByteArray& text) = 0;
    virtual void setPanelText(Panel panel, const QString& text) = 0;
    virtual void UpdateSettingsPanel() = 0;
    virtual void showConnected(bool connected) = 0;      // the connection picture
    virtual void setConnectChecked(bool checked) = 0;    // the connect menu item
    virtual void setSendTextEnabled(bool enabled) = 0;   // transmit text file, menu and button
    virtual void setPropertiesEnabled(bool enabled) = 0; // properties, menu and button
    virtual void setDebugLanEnabled(bool enabled) = 0;   // the LAN debug options item
    virtual void BlinkTx() = 0;
    virtual void setRxIndicator(bool on) = 0;
    virtual void setDsrIndicator(bool on) = 0;
    virtual void showWaitWindow(bool shown) = 0;
    virtual void showProperties() = 0;
    // A record the PBX sent, for the breakdown window's time and, when it wants it, decoding.
    virtual void recordArrived(const QByteArray& record, bool parityGood, const QDateTime& when) = 0;

    // The load test: whether it runs, stopping it (its switch-off sweep done, then `stopped`),
    // and stopping its send clock at once.
    virtual bool loadTestRunning() const = 0;
    virtual void stopLoadTest(std::function<void()> stopped) = 0;
    virtual void stopLoadTestSending() = 0;
};

} // namespace zkn::link
