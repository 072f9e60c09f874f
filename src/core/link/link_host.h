#pragma once

#include "link/link_states.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace zkn::lamp {
class LoadTestStats;
}

namespace zkn::link {

// What the link engine needs from the program around it besides the transports: the main
// window's look, the traces of the LAN debug window and the serial buffer gauge, and the load
// test. The engine decides; the host only carries out.
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
    virtual ~LinkHost() = default;

    // The main window.
    virtual void WriteTerminal(const QByteArray& text) = 0;
    virtual void setPanelText(Panel panel, const QString& text) = 0;
    virtual void UpdateSettingsPanel() = 0;
    virtual void showConnected(bool connected) = 0;      // the connection picture
    virtual void setConnectChecked(bool checked) = 0;    // the connect menu item
    virtual void setSendTextEnabled(bool enabled) = 0;   // transmit text file, menu and button
    virtual void setPropertiesEnabled(bool enabled) = 0; // properties, menu and button
    virtual void setDebugLanEnabled(bool enabled) = 0;   // the LAN debug options item
    // The link stands: the PBX took the connect request, or the serial port is open with DSR.
    virtual void linkCameUp() = 0;
    virtual void BlinkTx() = 0;
    virtual void setRxIndicator(bool on) = 0;
    virtual void setDsrIndicator(bool on) = 0;
    virtual void showWaitWindow(bool shown) = 0;
    virtual void showProperties() = 0;
    // The LAN debug window's traces of a received chunk and of a frame that left, when it is shown.
    virtual void DebugPacket(const QByteArray& data) = 0;
    virtual void traceSentFrame(const QByteArray& frame) = 0;
    // The serial buffer window's gauge, when it is shown.
    virtual void showSerialBufferLevel() = 0;
    // A record the PBX sent, for the breakdown window's time and, when it wants it, decoding.
    virtual void recordArrived(const QByteArray& record, bool parityGood, const QDateTime& when) = 0;

    // The load test's commands (start, stop, configure) as it runs or stops, and its figures.
    virtual void showLoadTestPhase(LoadTestPhase phase) = 0;
    virtual void showLoadTestFigures(const lamp::LoadTestStats& figures, bool answersExpected) = 0;
};

} // namespace zkn::link
