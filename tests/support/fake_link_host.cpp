// SPDX-License-Identifier: GPL-3.0-or-later
#include "fake_link_host.h"

#include "display/terminal_line.h"

// Each of the link's outputs is placed by name: a new one fails to compile until it is placed here.
#pragma GCC diagnostic error "-Wswitch-enum"

namespace zkn::test {

void FakeLinkHost::sync(link::LinkEngine& engine) const
{
    engine.onSocketStateChanged(state);
    engine.serial().onLine(portOpen, dsr);
}

void FakeLinkHost::drain(link::LinkEngine& engine, Operator& op)
{
    if (m_draining)
        return; // an input given while a box is shown: the loop below takes what it brings
    m_draining = true;
    while (const std::optional<link::LinkOutput> output = engine.poll()) {
        if (output->type != link::LinkOutput::Type::Notice) {
            apply(engine, *output);
            continue;
        }
        const quint64 id = output->notice.id;
        op.show(output->notice.message, [&engine, id](Operator::Answer) { engine.acknowledge(id); });
    }
    m_draining = false;
}

void FakeLinkHost::apply(link::LinkEngine& engine, const link::LinkOutput& output)
{
    using Out = link::LinkOutput::Type;
    switch (output.type) {
    case Out::OpenSocket:
        connects.append(output.text);
        if (connectFailure.isEmpty())
            state = link::SocketState::Connecting;
        sync(engine);
        engine.onSocketOpened(output.ticket, connectFailure, connectFailureSaid);
        break;
    case Out::TogglePort: {
        link::PortToggle toggle = link::PortToggle::Closed;
        if (!portOpen && !portExists)
            toggle = link::PortToggle::NotFound;
        else if (!portOpen && !portFailure.isEmpty())
            toggle = link::PortToggle::Failed;
        else if (!portOpen)
            toggle = link::PortToggle::Opened;
        portOpen = toggle == link::PortToggle::Opened;
        sync(engine);
        engine.serial().onToggled(output.ticket, toggle,
                                  toggle == link::PortToggle::Failed ? portFailure : QString());
        break;
    }
    case Out::SerialReceive:
        receiving = output.on;
        break;
    case Out::SerialWrite:
        serialOutput.append(output.bytes);
        break;
    case Out::ReadExtensions:
        engine.lamps().onExtensionsRead(output.ticket, extensions ? extensions() : lamp::ExtensionsRead{});
        break;
    case Out::Transmit:
        sent.append(output.bytes);
        if (frameLeaves)
            frameLeaves(output.bytes);
        break;
    case Out::CloseSocket:
        ++closes;
        lastCloseGraceful = output.on;
        state = link::SocketState::Closed;
        sync(engine);
        break;
    case Out::Terminal:
        terminal += output.bytes;
        log += output.bytes;
        if (whileWriting)
            whileWriting(output.bytes);
        break;
    case Out::Panel:
        panels[output.panel] = output.text;
        panelHistory[output.panel].append(output.text);
        break;
    case Out::Connected:
        connected = output.on;
        break;
    case Out::ConnectChecked:
        connectChecked = output.on;
        break;
    case Out::PropertiesEnabled:
        propertiesEnabled = output.on;
        break;
    case Out::DebugLanEnabled:
        debugLanEnabled = output.on;
        break;
    case Out::TxLamp:
        txBlinks += output.on && !txLamp;
        txLamp = output.on;
        break;
    case Out::WaitWindow:
        waitWindow = output.on;
        break;
    case Out::RecordArrived:
        records.append({output.bytes, output.on});
        break;
    case Out::LoadTestPhase:
        loadTestPhases.append(output.phase);
        break;
    case Out::LoadTestFigures:
        loadTestFigures = output.figures->summary(output.on);
        break;
    case Out::QuitSingleStation:
        ++singleStationQuits;
        break;
    case Out::ReleasedForExit:
        ++releasedForExit;
        if (whenReleasedForExit)
            whenReleasedForExit();
        break;
    case Out::LinkClosedForExit:
        ++closedForExit;
        break;
    case Out::Response:
        responses.append(QStringLiteral("%1:%2").arg(int(output.request)).arg(output.code));
        break;
    case Out::LampTimedOut:
        responses.append(QStringLiteral("lamp timed out"));
        break;
    case Out::Fault:
        faults.append(output.text);
        break;
    case Out::ConnectFailed:
        neverStood = output.text;
        break;
    case Out::ResyncProgress:
        resyncRunning = output.on;
        resyncProgress = output.text;
        break;
    case Out::SendTextEnabled:
        sendTextEnabled = output.on;
        break;
    case Out::ShowProperties:
        ++propertiesShown;
        break;
    case Out::TraceReceived:
        log += display::receivedHexTrace(output.bytes);
        break;
    case Out::TraceSent:
        log += display::sentHexTrace(output.bytes);
        break;
    case Out::SettingsPanel:
    case Out::LampLedgerChanged:
    case Out::LinkCameUp:
    case Out::Dsr:
    case Out::RxLamp:
    case Out::SerialBufferLevel:
    case Out::Notice:
        break;
    }
}

void FakeLinkHost::forgetHistory()
{
    serialOutput.clear();
    sent.clear();
    terminal.clear();
    log.clear();
    panelHistory.clear();
    records.clear();
    responses.clear();
    faults.clear();
}

} // namespace zkn::test
