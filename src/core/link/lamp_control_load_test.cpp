// SPDX-License-Identifier: GPL-3.0-or-later
// The lamp load test on the link: its Start and Stop commands, the checks before it starts, the
// stations it runs over, and the line it sends on.
#include "display/terminal_line.h"
#include "lamp/lamp_control_message.h"
#include "link/lamp_control.h"
#include "model/connection_options.h"
#include "model/expansion_option.h"
#include "model/load_test_options.h"

#include <utility>

namespace zkn::link {

namespace {

using Out = LinkOutput::Type;

// A range box's text as a station.
std::optional<qint32> boxStation(const QString& text)
{
    return lamp::stationNumber(text.toLatin1());
}

} // namespace

void LampControl::mnuStart_Click()
{
    m_context.then([this] {
        if (loadTestRunning())
            return;
        if (m_resync.running()) {
            m_context.tell(QStringLiteral("The lamps are being resynchronised: stop that first."),
                           Operator::Icon::Exclamation);
            return;
        }
        // A closed serial port is opened first; one that did not open has been reported.
        if (m_context.linkType() == ConnectionType::Serial && !m_serial.isOpen()) {
            m_link.connectCommand();
            m_context.then([this] {
                if (m_serial.isOpen())
                    startLoadTest();
            });
            return;
        }
        startLoadTest();
    });
}

void LampControl::mnuStop_Click()
{
    m_context.then([this] { stopLoadTest({}); });
}

// The stations of this test: the range of the configuration, or the extensions file, which must
// name at least one.
void LampControl::startLoadTest()
{
    if (loadTestRunning() || !loadTestConnected())
        return;
    if (!m_context.loadTestOptions().useFile()) {
        m_load.plan().useRange(m_context.loadTestOptions().startStation(),
                               m_context.loadTestOptions().endStation());
        beginLoadTest();
        return;
    }
    readExtensionStations(true, [this](std::optional<QList<qint32>> stations) {
        if (!stations)
            return;
        if (stations->isEmpty()) {
            m_context.tell(
                QStringLiteral("The extensions file names no station; one station number per line:\r\n") +
                    m_extensionsRead.source,
                Operator::Icon::Exclamation);
            return;
        }
        m_load.plan().useStations(*stations);
        beginLoadTest();
    });
}

// The connect time now counts the test's duration.
void LampControl::beginLoadTest()
{
    m_connectTime.StartConnectTimer();
    m_lampLink = m_context.linkType();
    m_load.start(m_context.loadTestOptions().delayMs());
}

// The PBX must be there when the test starts.
bool LampControl::loadTestConnected()
{
    const bool there =
        m_context.linkType() == ConnectionType::Serial ? m_serial.dsr() : m_phases.connectionStands();
    if (!there)
        m_context.tell(QStringLiteral("PBX NOT CONNECTED!"), Operator::Icon::Exclamation);
    return there;
}

void LampControl::readExtensionStations(bool reportSkipped,
                                        std::function<void(std::optional<QList<qint32>>)> use)
{
    m_context.ask({Out::ReadExtensions});
    m_context.then([this, reportSkipped, use = std::move(use)] {
        const lamp::ExtensionsRead& read = m_extensionsRead;
        if (!read.content) {
            if (reportSkipped)
                m_context.tell(QStringLiteral("The extensions file cannot be read:\r\n") + read.source +
                                   QStringLiteral("\r\n") + read.error,
                               Operator::Icon::Exclamation);
            use(std::nullopt);
            return;
        }
        const lamp::Extensions extensions = lamp::parseExtensions(*read.content);
        if (reportSkipped)
            for (const lamp::SkippedLine& line : extensions.skipped)
                m_context.writeLine(display::marker::Local,
                                    "Extensions file line " + QByteArray::number(line.number) +
                                        " skipped: \"" + line.text + "\" is no station number");
        use(extensions.stations);
    });
}

void LampControl::onExtensionsRead(quint64 ticket, const lamp::ExtensionsRead& read)
{
    m_extensionsRead = read;
    m_context.hold().acknowledge(ticket);
}

// The file is read afresh for every pass, so an edit shows in the next one.
void LampControl::sendTick()
{
    if (m_resync.running()) {
        m_resync.tick(m_context.loadTestOptions().delayMs());
        return;
    }
    if (m_load.tick(m_context.loadTestOptions().delayMs()))
        readExtensionStations(false, [this](std::optional<QList<qint32>> stations) {
            if (stations && !stations->isEmpty())
                m_load.plan().replaceStations(*stations);
        });
}

void LampControl::stopLoadTest(std::function<void()> stopped)
{
    if (m_load.stop(std::move(stopped)))
        planSweep();
}

// The sweep goes over the range boxes of the configuration when they hold a sound range, else
// over what the test ran with; in file mode over the file as it is now.
void LampControl::planSweep()
{
    const lamp::LoadTestPlan& plan = m_load.plan();
    if (plan.usesFile()) {
        readExtensionStations(false, [this](std::optional<QList<qint32>> stations) {
            m_load.sweep(stations.value_or(m_load.plan().stations()));
        });
        return;
    }
    const std::optional<qint32> first = boxStation(m_context.loadTestOptions().startText());
    const std::optional<qint32> last = boxStation(m_context.loadTestOptions().endText());
    if (first && last && *first <= *last)
        m_load.sweepRange(*first, *last);
    else
        m_load.sweepRange(plan.first(), std::max(plan.first(), plan.last()));
}

// The load test's messages: to an OLV PBX in fixed fields, to a KRA PBX tagged; over TCP in a
// text frame whose answer is awaited 10 s, on the serial line bare and only while DSR holds.
lamp::LampSend LampControl::sendLampMessage(qint32 station, lamp::LampFunction function)
{
    m_pending.awaitNext(Request::Lamp);
    m_context.blink(Timer::TxLamp);
    const QByteArray message = lamp::lampControlMessage(
        station, function, m_context.connection().kraSelected(), m_context.expansion().isEnabled());
    return sendLamp(m_lampLink, message, {QByteArray::number(station)}, function, LampSender::LoadTest);
}

bool LampControl::lampLineUp() const
{
    return m_serial.isOpen() || m_phases.connectionStands();
}

bool LampControl::lampAnswersCome() const
{
    return m_lampLink == ConnectionType::Lan;
}

void LampControl::tickAfter(int delayMs)
{
    m_context.timers().setInterval(Timer::Send, delayMs);
    m_context.timers().restart(Timer::Send, m_context.now());
}

void LampControl::stopTicks()
{
    m_context.timers().stop(Timer::Send);
}

void LampControl::loadTestSays(const QByteArray& line)
{
    m_context.writeLine(display::marker::Local, line);
}

void LampControl::loadTestFiguresChanged()
{
    LinkOutput figures{Out::LoadTestFigures};
    figures.figures = &m_load.stats();
    figures.on = lampAnswersCome();
    m_context.out(std::move(figures));
}

void LampControl::loadTestPhaseChanged()
{
    LinkOutput phase{Out::LoadTestPhase};
    phase.phase = m_load.phase();
    m_context.out(std::move(phase));
}

} // namespace zkn::link
