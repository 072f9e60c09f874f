#pragma once

#include "lamp/load_test_stats.h"
#include "link/clock.h"
#include "link/link_host.h"
#include "link/link_transport.h"

#include <QList>
#include <QMap>

namespace zkn::test {

// A simulated clock: tests move it on by hand.
class FakeClock : public link::Clock
{
public:
    qint64 nowMs() const override { return m_ms; }
    QDateTime wallClock() const override { return m_start.addMSecs(m_ms); }
    void advance(qint64 ms) { m_ms += ms; }

private:
    qint64 m_ms = 0;
    QDateTime m_start{QDate(2026, 12, 6), QTime(14, 3, 59)};
};

// Plays the transports and the main window for the link engine and records what it is told.
class FakeLinkHost : public link::LinkTransport, public link::LinkHost
{
public:
    QString connectSocket(const QString& host) override;
    void closeSocket() override;
    link::SocketState socketState() const override { return state; }
    void IPSend(const QByteArray& frame) override
    {
        sent.append(frame);
        if (frameLeaves)
            frameLeaves(frame);
    }

    PortToggle toggleSerialPort(QString* failure) override;
    bool serialPortOpen() const override { return portOpen; }
    bool serialDsr() const override { return dsr; }
    void setSerialReceive(bool on) override { receiving = on; }
    QByteArray readSerialInput() override;
    QString writeSerial(const QByteArray& bytes) override
    {
        if (!portOpen)
            return QStringLiteral("closed");
        serialOutput.append(bytes);
        return {};
    }

    void WriteTerminal(const QByteArray& text) override
    {
        terminal += text;
        if (whileWriting)
            whileWriting(text);
    }
    void setPanelText(Panel panel, const QString& text) override
    {
        panels[panel] = text;
        panelHistory[panel].append(text);
    }
    void UpdateSettingsPanel() override { ++settingsPanelUpdates; }
    void showConnected(bool on) override { connected = on; }
    void linkCameUp() override { ++linkUps; }
    void setConnectChecked(bool checked) override { connectChecked = checked; }
    void setSendTextEnabled(bool enabled) override { sendTextEnabled = enabled; }
    void setPropertiesEnabled(bool enabled) override { propertiesEnabled = enabled; }
    void setDebugLanEnabled(bool enabled) override { debugLanEnabled = enabled; }
    void BlinkTx() override { ++txBlinks; }
    void setRxIndicator(bool) override {}
    void setDsrIndicator(bool on) override { dsrIndicator = on; }
    void showWaitWindow(bool shown) override { waitWindow = shown; }
    void showProperties() override { ++propertiesShown; }
    void DebugPacket(const QByteArray& data) override
    {
        if (whileTracing)
            whileTracing(data);
    }
    void traceSentFrame(const QByteArray&) override {}
    void showSerialBufferLevel() override {}
    void recordArrived(const QByteArray& record, bool parityGood, const QDateTime&) override
    {
        records.append({record, parityGood});
    }

    void showLoadTestPhase(link::LoadTestPhase phase) override { loadTestPhases.append(phase); }
    void showLoadTestFigures(const lamp::LoadTestStats& figures, bool answersExpected) override
    {
        loadTestFigures = figures.summary(answersExpected);
    }

    // Called as a frame leaves (at once unless a test holds frames back) and after each write to
    // the terminal (where a failing log would ask the operator).
    std::function<void(const QByteArray&)> frameLeaves;
    std::function<void(const QByteArray&)> whileWriting;
    // Called as a received chunk is traced (where a failing log would ask the operator).
    std::function<void(const QByteArray&)> whileTracing;
    // The socket: its state, and what connect does (fails at once with `connectFailure`).
    link::SocketState state = link::SocketState::Closed;
    QString connectFailure;
    QStringList connects;
    int closes = 0;
    // The serial port.
    bool portOpen = false;
    bool portExists = true;
    bool dsr = true;
    bool receiving = false;
    QByteArray serialInput;
    QList<QByteArray> serialOutput; // each write to the port

    QList<QByteArray> sent; // handed to IPSend
    QByteArray terminal;
    QMap<Panel, QString> panels;
    QMap<Panel, QStringList> panelHistory;
    int settingsPanelUpdates = 0;
    bool connected = false;
    int linkUps = 0;
    bool connectChecked = false;
    bool sendTextEnabled = false;
    bool propertiesEnabled = true;
    bool debugLanEnabled = false;
    int txBlinks = 0;
    bool dsrIndicator = false;
    bool waitWindow = false;
    int propertiesShown = 0;
    QList<std::pair<QByteArray, bool>> records;
    QList<link::LoadTestPhase> loadTestPhases;
    QByteArray loadTestFigures;
};

} // namespace zkn::test
