// SPDX-License-Identifier: GPL-3.0-or-later
// The lamps of the ledger sent again: its commands, and the line it sends on.
#include "display/terminal_line.h"
#include "lamp/single_station_message.h"
#include "link/lamp_control.h"
#include "model/connection_options.h"
#include "model/expansion_option.h"
#include "model/load_test_options.h"

namespace zkn::link {

namespace {
using Out = LinkOutput::Type;
} // namespace

void LampControl::resynchroniseLamps()
{
    m_context.then([this] { startResync("Resynchronisation", lamp::resyncSteps(m_ledger.stations())); });
}

void LampControl::switchAllLampsOff()
{
    m_context.then([this] { startResync("Switch all off", lamp::switchOffSteps(m_ledger.stations())); });
}

void LampControl::stopResync()
{
    m_context.then([this] { m_resync.stop(); });
}

void LampControl::replaceLampLedger(const lamp::LampMap& stations)
{
    m_context.then([this, stations] {
        m_resync.stop();
        m_ledger.replace(stations);
        m_context.out(Out::LampLedgerChanged);
    });
}

// Paced as the load test is, with its delay; the two never run together, as they share the send
// clock and the one lamp answer awaited.
void LampControl::startResync(const QByteArray& name, QList<lamp::ResyncStep> steps)
{
    if (m_resync.running())
        return;
    if (loadTestRunning()) {
        m_context.tell(QStringLiteral("A load test is running: stop it first."), Operator::Icon::Exclamation);
        return;
    }
    if (!lampLineUp()) {
        m_context.tell(QStringLiteral("PBX NOT CONNECTED!"), Operator::Icon::Exclamation);
        return;
    }
    m_lampLink = m_context.linkType();
    m_resync.start(name, std::move(steps), m_context.loadTestOptions().delayMs());
}

// In the single-station dialog's form, which keeps a station's number as the ledger holds it.
lamp::LampSend LampControl::sendResyncMessage(const QByteArray& station, lamp::LampFunction function)
{
    const std::optional<QByteArray> message =
        lamp::singleStationMessage(m_lampLink, function, station, {}, m_context.expansion().isEnabled());
    if (!message) {
        m_context.writeLine(display::marker::Local,
                            "Station " + station + " skipped: too long for the serial line's field");
        return lamp::LampSend::NotSent;
    }
    if (m_lampLink == ConnectionType::Lan)
        m_pending.awaitNext(Request::Lamp);
    return sendLamp(m_lampLink, *message, {station}, function, LampSender::Resync);
}

void LampControl::resyncSays(const QByteArray& line)
{
    m_context.writeLine(display::marker::Local, line);
}

void LampControl::resyncProgressed()
{
    LinkOutput progress{Out::ResyncProgress};
    progress.on = m_resync.running();
    progress.text = m_resync.running()
                        ? QStringLiteral("%1 of %2 sent").arg(m_resync.done()).arg(m_resync.total())
                        : QString::fromLatin1(m_resync.summary());
    m_context.out(std::move(progress));
}

} // namespace zkn::link
