// The lamp load test: start, the send clock's ticks, and stop with its switch-off sweep.
//
//   idle      -- Start (the line stands, the stations are known)          --> running
//   running   -- tick: the last message answered, one more message sent    --> running
//             -- tick over TCP without a connection: nothing is sent        --> stalled (running)
//             -- Stop                                                      --> stopping
//   stopping  -- VMM off to every station, each answered or timed out      --> idle
// The send clock is the inter-message delay, counted from the end of the previous tick. Callers
// that must wait for a test to end (the release, the connected picture, the exit) give Stop a
// continuation; a sweep in progress is waited for too.
#include "display/terminal_line.h"
#include "link/link_engine.h"
#include "model/connection_options.h"
#include "model/load_test_options.h"

#include <utility>

namespace zkn::link {

namespace {

using Phase = zkn::link::LoadTestPhase;
using Out = LinkOutput::Type;

// A range box's text as a station.
std::optional<qint32> boxStation(const QString& text)
{
    return lamp::stationNumber(text.toLatin1());
}

} // namespace

void LinkEngine::mnuStart_Click()
{
    then([this] {
        if (loadTestRunning())
            return;
        // A closed serial port is opened first; one that did not open has been reported.
        if (m_connection.connectionType() == ConnectionType::Serial && !m_portOpen) {
            connectCommand();
            then([this] {
                if (m_portOpen)
                    startLoadTest();
            });
            return;
        }
        startLoadTest();
    });
}

void LinkEngine::mnuStop_Click()
{
    then([this] { stopLoadTest({}); });
}

// The stations of this test: the range of the configuration, or the extensions file, which must
// name at least one.
void LinkEngine::startLoadTest()
{
    if (loadTestRunning() || !loadTestConnected())
        return;
    if (!m_loadTest.useFile()) {
        m_plan.useRange(m_loadTest.startStation(), m_loadTest.endStation());
        beginLoadTest();
        return;
    }
    readExtensionStations(true, [this](std::optional<QList<qint32>> stations) {
        if (!stations)
            return;
        if (stations->isEmpty()) {
            tell(QStringLiteral("The extensions file names no station; one station number per line:\r\n") +
                     m_extensionsRead.source,
                 Operator::Icon::Exclamation);
            return;
        }
        m_plan.useStations(*stations);
        beginLoadTest();
    });
}

void LinkEngine::beginLoadTest()
{
    m_loadTestPhase = Phase::Running;
    showLoadTestPhase();
    // The connect time now counts the test's duration.
    StartConnectTimer();
    m_loadTestStats = {};
    showLoadTestFigures();
    m_lampAnswered = true;
    startSendClock(m_loadTest.delayMs());
}

// The PBX must be there when the test starts.
bool LinkEngine::loadTestConnected()
{
    const bool there = m_connection.connectionType() == ConnectionType::Serial ? m_dsr : connectionStands();
    if (!there)
        tell(QStringLiteral("PBX NOT CONNECTED!"), Operator::Icon::Exclamation);
    return there;
}

void LinkEngine::readExtensionStations(bool reportSkipped,
                                       std::function<void(std::optional<QList<qint32>>)> use)
{
    ask({Out::ReadExtensions});
    then([this, reportSkipped, use = std::move(use)] {
        const lamp::ExtensionsRead& read = m_extensionsRead;
        if (!read.content) {
            if (reportSkipped)
                tell(QStringLiteral("The extensions file cannot be read:\r\n") + read.source +
                         QStringLiteral("\r\n") + read.error,
                     Operator::Icon::Exclamation);
            use(std::nullopt);
            return;
        }
        const lamp::Extensions extensions = lamp::parseExtensions(*read.content);
        if (reportSkipped)
            for (const lamp::SkippedLine& line : extensions.skipped)
                writeLine(display::marker::Local, "Extensions file line " + QByteArray::number(line.number) +
                                                      " skipped: \"" + line.text + "\" is no station number");
        use(extensions.stations);
    });
}

void LinkEngine::onExtensionsRead(quint64 ticket, const lamp::ExtensionsRead& read)
{
    m_extensionsRead = read;
    m_hold.acknowledge(ticket);
}

void LinkEngine::startSendClock(int delayMs)
{
    m_timers.setInterval(Timer::Send, delayMs);
    m_timers.restart(Timer::Send, now());
}

bool LinkEngine::loadTestLineUp() const
{
    return m_portOpen || connectionStands();
}

// One message when the last one needs no more waiting; the next tick comes one full delay after
// this one.
void LinkEngine::onSendTick()
{
    m_timers.stop(Timer::Send);
    if (m_loadTestPhase == Phase::Stopping) {
        sweepNext();
        return;
    }
    if (m_lampAnswered && loadTestLineUp()) {
        beginLampMessage();
        out(Out::TxBlink);
        const lamp::LoadTestPlan::Step step = m_plan.next();
        LampControl(step.station, step.function);
        showLoadTestFigures();
        // The file is read afresh for every pass, so an edit shows in the next one.
        if (step.passEnded)
            readExtensionStations(false, [this](std::optional<QList<qint32>> stations) {
                if (stations && !stations->isEmpty())
                    m_plan.replaceStations(*stations);
            });
    }
    if (m_loadTestPhase == Phase::Running)
        startSendClock(m_loadTest.delayMs());
}

void LinkEngine::stopLoadTest(std::function<void()> stopped)
{
    if (m_loadTestPhase == Phase::Idle) {
        if (stopped)
            stopped();
        return;
    }
    if (stopped)
        m_whenLoadTestStopped.push_back(std::move(stopped));
    if (m_loadTestPhase == Phase::Stopping)
        return;
    m_loadTestPhase = Phase::Stopping;
    m_timers.stop(Timer::Send);
    showLoadTestPhase();
    writeLine(display::marker::Local, "Stopping Load Test...");
    planSweep([this] {
        // A message still awaited is waited for first.
        m_sweepWaiting = !m_lampAnswered && connectionStands();
        if (!m_sweepWaiting)
            sweepNext();
    });
}

// The sweep goes over the range boxes of the configuration when they hold a sound range, else
// over what the test ran with; in file mode over the file as it is now.
void LinkEngine::planSweep(std::function<void()> planned)
{
    m_sweepStations.clear();
    m_sweepNext = 0;
    m_sweepLast = -1;
    if (m_plan.usesFile()) {
        readExtensionStations(false,
                              [this, planned = std::move(planned)](std::optional<QList<qint32>> stations) {
                                  m_sweepStations = stations.value_or(m_plan.stations());
                                  m_sweepLast = m_sweepStations.size() - 1;
                                  planned();
                              });
        return;
    }
    const std::optional<qint32> first = boxStation(m_loadTest.startText());
    const std::optional<qint32> last = boxStation(m_loadTest.endText());
    if (first && last && *first <= *last) {
        m_sweepNext = *first;
        m_sweepLast = *last;
    } else {
        m_sweepNext = m_plan.first();
        m_sweepLast = std::max(m_plan.first(), m_plan.last());
    }
    planned();
}

// One station after the other: over TCP each waits for its answer or timeout, on the serial line
// the next follows at the next turn of the event loop, so the window stays live through a long
// range. Without a line the sweep cannot reach the PBX and ends.
void LinkEngine::sweepNext()
{
    m_sweepWaiting = false;
    if (m_sweepNext > m_sweepLast || !loadTestLineUp()) {
        finishLoadTest();
        return;
    }
    const qint32 station = m_plan.usesFile() ? m_sweepStations[qsizetype(m_sweepNext)] : qint32(m_sweepNext);
    ++m_sweepNext;
    beginLampMessage();
    out(Out::TxBlink);
    LampControl(station, lamp::LampFunction::VmmOff);
    // The line may have gone while the message was handed over, and the sweep with it.
    if (m_loadTestPhase != Phase::Stopping)
        return;
    showLoadTestFigures();
    if (m_lampAnswered)
        startSendClock(0);
    else
        m_sweepWaiting = true;
}

void LinkEngine::endSweepWithTheLine()
{
    if (m_loadTestPhase == Phase::Stopping && !loadTestLineUp())
        finishLoadTest();
}

void LinkEngine::finishLoadTest()
{
    m_sweepWaiting = false;
    m_timers.stop(Timer::Send);
    writeLine(display::marker::Local, "Load Test Stopped...");
    writeLine(display::marker::Local,
              "Load test: " + m_loadTestStats.summary(m_connection.connectionType() == ConnectionType::Lan));
    m_loadTestPhase = Phase::Idle;
    showLoadTestPhase();
    for (const std::function<void()>& stopped : std::exchange(m_whenLoadTestStopped, {}))
        stopped();
}

void LinkEngine::showLoadTestFigures()
{
    LinkOutput figures{Out::LoadTestFigures};
    figures.figures = &m_loadTestStats;
    figures.on = m_connection.connectionType() == ConnectionType::Lan;
    out(std::move(figures));
}

void LinkEngine::showLoadTestPhase()
{
    LinkOutput phase{Out::LoadTestPhase};
    phase.phase = m_loadTestPhase;
    out(std::move(phase));
}

} // namespace zkn::link
