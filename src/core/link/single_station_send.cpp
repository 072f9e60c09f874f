// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/single_station_send.h"

#include "lamp/single_station_message.h"
#include "lamp/single_station_request.h"
#include "model/expansion_option.h"

namespace zkn::link {

namespace {

using Out = LinkOutput::Type;

// The stations the dialog's Send switches, as the ledger keeps them: its second box holds one
// blank for a single station.
QList<QByteArray> requestedStations(const lamp::SingleStationRequest& request)
{
    return lamp::rangeStations(request.from, request.to == " " ? QByteArray() : request.to);
}

} // namespace

void SingleStationSend::sendSingleStation(const lamp::SingleStationRequest& request)
{
    m_context.then([this, request] { run(request); });
}

void SingleStationSend::run(const lamp::SingleStationRequest& request)
{
    const QList<lamp::LampFunction> functions = lamp::requestedFunctions(request);
    if (functions.isEmpty()) {
        m_context.tell(QStringLiteral("Please select an option."), Operator::Icon::Information);
        return;
    }
    if (m_context.linkType() == ConnectionType::Serial) {
        sendSerial(request);
        return;
    }

    // The number is taken before the socket is looked at, as the load test would see it.
    m_pending.awaitNext(Request::Lamp);
    if (!m_phases.connectionStands()) {
        m_context.tell(QStringLiteral("PBX does not respond, check Host Name or IP address!"),
                       Operator::Icon::Exclamation);
        m_context.then([this] { m_context.out(Out::QuitSingleStation); });
        return;
    }
    // The groups exclude each other, so one function is asked for.
    const QByteArray message = *lamp::singleStationMessage(
        ConnectionType::Lan, functions.first(), request.from, request.to, m_context.expansion().isEnabled());
    m_lamps.sendDialogMessage(ConnectionType::Lan, message, requestedStations(request), functions.first());
}

void SingleStationSend::sendSerial(const lamp::SingleStationRequest& request)
{
    if (m_serial.isOpen()) {
        sendOnOpenPort(request);
        return;
    }
    m_link.connectCommand();
    // A port that did not open has been reported by the connect command.
    m_context.then([this, request] {
        if (m_serial.isOpen())
            sendOnOpenPort(request);
    });
}

void SingleStationSend::sendOnOpenPort(const lamp::SingleStationRequest& request)
{
    if (!CheckSerialPort()) {
        m_context.then([this] { m_context.out(Out::QuitSingleStation); });
        return;
    }
    for (const lamp::LampFunction function : lamp::requestedFunctions(request)) {
        const std::optional<QByteArray> message = lamp::singleStationMessage(
            ConnectionType::Serial, function, request.from, request.to, m_context.expansion().isEnabled());
        if (!message) {
            const int field = m_context.expansion().isEnabled() ? 8 : 6;
            m_context.tell(
                QStringLiteral("A station number on the serial line has at most %1 characters.").arg(field),
                Operator::Icon::Exclamation);
            return;
        }
        m_lamps.sendDialogMessage(ConnectionType::Serial, *message, requestedStations(request), function);
    }
}

// The open port must hear the PBX or modem (DSR); without it the port is closed again once the
// operator has read why.
bool SingleStationSend::CheckSerialPort()
{
    if (m_serial.dsr())
        return true;
    m_context.tell(QStringLiteral("MODEM/PBX not connected, check cable!"), Operator::Icon::Exclamation);
    m_link.connectCommand();
    return false;
}

} // namespace zkn::link
