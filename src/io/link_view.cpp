// SPDX-License-Identifier: GPL-3.0-or-later
#include "link_view.h"

// Each of the link's outputs is placed by name: a new one fails to compile until it is placed here.
#pragma GCC diagnostic error "-Wswitch-enum"

namespace zkn {

void LinkView::show(const link::LinkOutput& output)
{
    using Out = link::LinkOutput::Type;
    switch (output.type) {
    case Out::Terminal:
        terminalText(output.bytes);
        break;
    case Out::Panel:
        panelText(output.panel, output.text);
        break;
    case Out::SettingsPanel:
        connectionSettingsChanged();
        break;
    case Out::Connected:
        connectionShown(output.on);
        break;
    case Out::ConnectChecked:
        connectChecked(output.on);
        break;
    case Out::SendTextEnabled:
        sendTextOffered(output.on);
        break;
    case Out::PropertiesEnabled:
        propertiesOffered(output.on);
        break;
    case Out::DebugLanEnabled:
        debugLanOffered(output.on);
        break;
    case Out::LinkCameUp:
        linkCameUp();
        break;
    case Out::TxLamp:
        txLampLit(output.on);
        break;
    case Out::RxLamp:
        rxLampLit(output.on);
        break;
    case Out::Dsr:
        dsrLampLit(output.on);
        break;
    case Out::WaitWindow:
        waitWindowShown(output.on);
        break;
    case Out::ShowProperties:
        propertiesAsked();
        break;
    case Out::TraceReceived:
        chunkReceived(output.bytes);
        break;
    case Out::TraceSent:
        frameSent(output.bytes);
        break;
    case Out::SerialBufferLevel:
        serialBufferChanged();
        break;
    case Out::RecordArrived:
        recordArrived(output.bytes, output.on, output.when);
        break;
    case Out::Response:
        responded(output.request, output.code);
        break;
    case Out::LampTimedOut:
        lampTimedOut();
        break;
    case Out::ConnectFailed:
        connectFailed(output.text);
        break;
    case Out::ResyncProgress:
        resyncProgress(output.on, output.text);
        break;
    case Out::LoadTestPhase:
        loadTestPhaseChanged(output.phase);
        break;
    case Out::LoadTestFigures:
        loadTestFiguresChanged(*output.figures, output.on);
        break;
    case Out::QuitSingleStation:
        singleStationQuit();
        break;
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
