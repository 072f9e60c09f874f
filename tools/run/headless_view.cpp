// SPDX-License-Identifier: GPL-3.0-or-later
#include "headless_view.h"

// Each of the link's outputs is placed by name: a new one fails to compile until it is placed here.
#pragma GCC diagnostic error "-Wswitch-enum"

namespace zkn::run {

void HeadlessView::show(const link::LinkOutput& output)
{
    using Out = link::LinkOutput::Type;
    switch (output.type) {
    case Out::Terminal:
        terminalText(output.bytes);
        break;
    case Out::LinkCameUp:
        linkCameUp();
        break;
    case Out::Connected:
        connectionShown(output.on);
        break;
    case Out::ConnectFailed:
        connectFailed(output.text);
        break;
    case Out::Response:
        responded(output.request, output.code);
        break;
    case Out::LampTimedOut:
        lampTimedOut();
        break;
    case Out::LoadTestFigures:
        loadTestFiguresChanged(*output.figures);
        break;
    case Out::LoadTestPhase:
        loadTestPhaseChanged(output.phase);
        break;
    case Out::ResyncProgress:
        resyncRunning(output.on);
        break;
    case Out::RecordArrived:
        recordArrived(output.bytes);
        break;
    case Out::Panel:
    case Out::SettingsPanel:
    case Out::ConnectChecked:
    case Out::SendTextEnabled:
    case Out::PropertiesEnabled:
    case Out::DebugLanEnabled:
    case Out::TxLamp:
    case Out::RxLamp:
    case Out::Dsr:
    case Out::WaitWindow:
    case Out::ShowProperties:
    case Out::TraceReceived:
    case Out::TraceSent:
    case Out::SerialBufferLevel:
    case Out::QuitSingleStation:
        break; // what only a window shows
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

} // namespace zkn::run
