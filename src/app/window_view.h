// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frm_single.h"
#include "frm_terminal.h"
#include "link_view.h"

namespace zkn {

// The link shown in the main window and the windows it opened.
class WindowView : public LinkView
{
public:
    explicit WindowView(frmTerminal& window) : m_window(window) {}

private:
    void terminalText(const QByteArray& text) override { m_window.WriteTerminal(text); }
    void panelText(PanelId panel, const QString& text) override { m_window.setPanelText(panel, text); }
    void connectionSettingsChanged() override { m_window.UpdateSettingsPanel(); }
    void connectionShown(bool connected) override { m_window.showConnected(connected); }
    void connectChecked(bool checked) override { m_window.setConnectChecked(checked); }
    void sendTextOffered(bool offered) override { m_window.setSendTextEnabled(offered); }
    void propertiesOffered(bool offered) override { m_window.setPropertiesEnabled(offered); }
    void debugLanOffered(bool offered) override { m_window.setDebugLanEnabled(offered); }
    void linkCameUp() override { Q_EMIT m_window.linkEstablished(); }
    void txLampLit(bool lit) override { m_window.setTxLamp(lit); }
    void rxLampLit(bool lit) override { m_window.setRxLamp(lit); }
    void dsrLampLit(bool lit) override { m_window.setDsrIndicator(lit); }
    void waitWindowShown(bool shown) override { m_window.showWaitWindow(shown); }
    void propertiesAsked() override { m_window.showProperties(); }
    void chunkReceived(const QByteArray& chunk) override { m_window.DebugPacket(chunk); }
    void frameSent(const QByteArray& frame) override { m_window.traceSentFrame(frame); }
    void serialBufferChanged() override { m_window.showSerialBufferLevel(); }
    void recordArrived(const QByteArray& record, bool checkGood, const QDateTime& when) override
    {
        m_window.recordArrived(record, checkGood, when);
    }
    // The terminal and the boxes say these to the operator.
    void responded(link::Request, int) override {}
    void lampTimedOut() override {}
    void connectFailed(const QString&) override {}
    void resyncProgress(bool running, const QString& progress) override
    {
        m_window.showResyncProgress(running, progress);
    }
    void loadTestPhaseChanged(link::LoadTestPhase phase) override { m_window.showLoadTestPhase(phase); }
    void loadTestFiguresChanged(const lamp::LoadTestStats& figures, bool answersExpected) override
    {
        m_window.showLoadTestFigures(figures, answersExpected);
    }
    void singleStationQuit() override { m_window.singleStationWindow()->cmdQuit_Click(); }

    frmTerminal& m_window;
};

} // namespace zkn
