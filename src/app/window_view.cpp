// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_view.h"

#include "frm_single.h"
#include "frm_terminal.h"

// Each of the link's outputs is placed by name: a new one fails to compile until it is placed here.
#pragma GCC diagnostic error "-Wswitch-enum"

namespace zkn {

void WindowView::show(const link::LinkOutput& output)
{
    using Out = link::LinkOutput::Type;
    frmTerminal& w = m_window;
    switch (output.type) {
    case Out::Terminal:
        w.WriteTerminal(output.bytes);
        break;
    case Out::Panel:
        w.setPanelText(output.panel, output.text);
        break;
    case Out::SettingsPanel:
        w.UpdateSettingsPanel();
        break;
    case Out::Connected:
        w.showConnected(output.on);
        break;
    case Out::ConnectChecked:
        w.setConnectChecked(output.on);
        break;
    case Out::SendTextEnabled:
        w.setSendTextEnabled(output.on);
        break;
    case Out::PropertiesEnabled:
        w.setPropertiesEnabled(output.on);
        break;
    case Out::DebugLanEnabled:
        w.setDebugLanEnabled(output.on);
        break;
    case Out::LinkCameUp:
        Q_EMIT w.linkEstablished();
        break;
    case Out::TxLamp:
        w.setTxLamp(output.on);
        break;
    case Out::RxLamp:
        w.setRxLamp(output.on);
        break;
    case Out::Dsr:
        w.setDsrIndicator(output.on);
        break;
    case Out::WaitWindow:
        w.showWaitWindow(output.on);
        break;
    case Out::ShowProperties:
        w.showProperties();
        break;
    case Out::TraceReceived:
        w.DebugPacket(output.bytes);
        break;
    case Out::TraceSent:
        w.traceSentFrame(output.bytes);
        break;
    case Out::SerialBufferLevel:
        w.showSerialBufferLevel();
        break;
    case Out::RecordArrived:
        w.recordArrived(output.bytes, output.on, output.when);
        break;
    case Out::LoadTestPhase:
        w.showLoadTestPhase(output.phase);
        break;
    case Out::LoadTestFigures:
        w.showLoadTestFigures(*output.figures, output.on);
        break;
    case Out::ResyncProgress:
        w.showResyncProgress(output.on, output.text);
        break;
    case Out::QuitSingleStation:
        w.singleStationWindow()->cmdQuit_Click();
        break;
    case Out::Response:
    case Out::LampTimedOut:
    case Out::ConnectFailed:
        break; // the terminal and the boxes say these to the operator
    case Out::OpenSocket:
    case Out::Transmit:
    case Out::CloseSocket:
    case Out::TogglePort:
    case Out::SerialReceive:
    case Out::SerialWrite:
    case Out::ReadExtensions:
    case Out::Fault:
    case Out::LampLedgerChanged:
    case Out::Notice:
    case Out::ReleasedForExit:
    case Out::LinkClosedForExit:
        break; // the pump's
    }
}

} // namespace zkn
