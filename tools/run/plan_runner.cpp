// SPDX-License-Identifier: GPL-3.0-or-later
#include "plan_runner.h"

#include "answer_figures.h"
#include "decode/decode_record.h"
#include "lamp/load_test_stats.h"
#include "lamp/single_station_request.h"
#include "link/frame_reader.h"
#include "link/link_engine.h"
#include "reports.h"

#include <utility>

namespace zkn::run {

namespace {

using Kind = Step::Kind;

QString recordsText(int count)
{
    return count == 1 ? QStringLiteral("1 record") : QStringLiteral("%1 records").arg(count);
}

lamp::SingleStationRequest lampRequest(lamp::LampFunction function, const QByteArray& from,
                                       const QByteArray& to)
{
    using lamp::LampAction;
    using F = lamp::LampFunction;
    lamp::SingleStationRequest request{from, to, LampAction::NoChange, LampAction::NoChange};
    if (function == F::MwOn || function == F::MwOff)
        request.mw = function == F::MwOn ? LampAction::On : LampAction::Off;
    else
        request.vmm = function == F::VmmOn ? LampAction::On : LampAction::Off;
    return request;
}

} // namespace

PlanRunner::PlanRunner(const Plan& plan, QObject* parent) : QObject(parent), m_plan(plan)
{
    LinkView& view = *this;
    Operator& op = *this;
    m_link = std::make_unique<RunLink>(m_plan.link, view, op);
    m_stepLimit.setSingleShot(true);
    connect(&m_stepLimit, &QTimer::timeout, this, [this] {
        const Step& step = m_plan.steps[m_step];
        if (step.kind == Kind::LoadTest) {
            m_loadTestStopping = true;
            m_link->feed([](link::LinkEngine& engine) { engine.lamps().mnuStop_Click(); });
            return;
        }
        if (step.kind == Kind::Resync) {
            m_resyncLate = true;
            m_link->feed([](link::LinkEngine& engine) { engine.lamps().stopResync(); });
            return;
        }
        if (step.kind == Kind::Records) {
            const bool enough = m_current.records >= step.atLeast;
            endStep(enough, QStringLiteral("%1 in %2 ms, %3 expected")
                                .arg(recordsText(m_current.records))
                                .arg(step.forMs)
                                .arg(step.atLeast));
            return;
        }
        endStep(false, QStringLiteral("no answer within %1 ms").arg(step.withinMs));
    });
}

PlanRunner::~PlanRunner() = default;

void PlanRunner::start()
{
    m_step = -1;
    endStep(true, {}); // to the first step
}

void PlanRunner::interrupt()
{
    if (std::exchange(m_interrupted, true) || m_finishing)
        return;
    if (m_stepRunning)
        endStep(false, QStringLiteral("interrupted"));
    else
        QTimer::singleShot(0, this, &PlanRunner::finishRun);
}

bool PlanRunner::writeLoadTestCsv(QIODevice& to) const
{
    const QByteArray header = lamp::LoadTestLog::csvHeader();
    if (m_loadTestRowsLost || to.write(header) != header.size())
        return false;
    if (!m_loadTestRows)
        return true;
    if (!m_loadTestRows->seek(0))
        return false;
    while (!m_loadTestRows->atEnd()) {
        const QByteArray rows = m_loadTestRows->read(1 << 16);
        if (rows.isEmpty() || to.write(rows) != rows.size())
            return false;
    }
    return true;
}

QString PlanRunner::liveText() const
{
    if (!m_stepRunning || m_plan.steps[m_step].kind != Kind::LoadTest ||
        !m_link->engine().lamps().loadTestRunning())
        return {};
    return QStringLiteral("load_test: ") +
           QString::fromLatin1(m_link->engine().lamps().loadTestStats().summary(m_link->answersCome()));
}

void PlanRunner::feedConnectCommand()
{
    m_link->feed([](link::LinkEngine& engine) { engine.connectCommand(); });
}

void PlanRunner::beginStep()
{
    if (m_interrupted)
        return;
    const Step& step = m_plan.steps[m_step];
    m_current = {};
    m_current.name = stepName(step.kind);
    m_current.started = QDateTime::currentDateTime();
    m_stepRunning = true;
    m_stepClock.start();
    switch (step.kind) {
    case Kind::Connect:
        if (m_linkUp) {
            endStep(true, QStringLiteral("the link stands already"));
            return;
        }
        m_refusal.clear();
        m_connectFailure.clear();
        m_stepLimit.start(step.withinMs);
        feedConnectCommand();
        return;
    case Kind::Release:
        if (!m_linkUp) {
            endStep(false, QStringLiteral("no link to release"));
            return;
        }
        m_releaseAnswered = false;
        m_stepLimit.start(step.withinMs);
        feedConnectCommand();
        return;
    case Kind::Records:
        m_stepLimit.start(step.forMs);
        return;
    case Kind::LoadTest:
        beginLoadTest(step);
        return;
    case Kind::Resync:
        beginResync(step);
        return;
    case Kind::Lamps:
        m_lampsToSend.clear();
        m_lamps = {};
        if (step.range)
            m_lampsToSend.append(
                {QByteArray::number(step.range->first), QByteArray::number(step.range->second)});
        for (const qint32 station : step.stations)
            m_lampsToSend.append({QByteArray::number(station), QByteArray()});
        sendNextLamp();
        return;
    }
}

// The tool's own load test, its switch-off sweep going over the same range or file.
void PlanRunner::beginLoadTest(const Step& step)
{
    LoadTestOptions& options = m_link->loadTestOptions();
    options.setUseFile(!step.range);
    if (step.range) {
        options.setRange(step.range->first, step.range->second);
        options.setStartText(QString::number(step.range->first));
        options.setEndText(QString::number(step.range->second));
    } else {
        m_link->setStationsFile(step.stationsFile);
    }
    options.setDelayMs(step.delayMs);
    m_loadTestStopping = false;
    m_link->feed([](link::LinkEngine& engine) { engine.lamps().mnuStart_Click(); });
    if (!m_link->engine().lamps().loadTestRunning()) {
        endStep(false, m_current.events.isEmpty() ? QStringLiteral("the load test did not start")
                                                  : m_current.events.last().text);
        return;
    }
    if (step.forMs > 0)
        m_stepLimit.start(step.forMs);
}

void PlanRunner::beginResync(const Step& step)
{
    m_resyncLate = false;
    m_resyncEnded = false;
    if (step.allOff)
        m_link->feed([](link::LinkEngine& engine) { engine.lamps().switchAllLampsOff(); });
    else
        m_link->feed([](link::LinkEngine& engine) { engine.lamps().resynchroniseLamps(); });
    // An empty ledger has ended already; a refusal was said as a box.
    if (!m_link->engine().lamps().resync().running() && !m_resyncEnded) {
        endStep(false, m_current.events.isEmpty() ? QStringLiteral("the resynchronisation did not start")
                                                  : m_current.events.last().text);
        return;
    }
    m_stepLimit.start(step.withinMs);
}

void PlanRunner::resyncEnded()
{
    const Step& step = m_plan.steps[m_step];
    const lamp::LampResync& resync = m_link->engine().lamps().resync();
    const lamp::LoadTestStats& stats = resync.stats();
    m_current.figures = {{QStringLiteral("lamps"), int(resync.total())}};
    m_current.figures.append(answerFigures(stats));
    QStringList over;
    if (resync.done() < resync.total())
        over.append(m_resyncLate
                        ? QStringLiteral("not done within %1 ms").arg(step.withinMs)
                        : QStringLiteral("ended after %1 of %2").arg(resync.done()).arg(resync.total()));
    over.append(overLimits(stats, step.maxUnanswered.value_or(0), step.maxRefused.value_or(0)));
    const QString summary = QString::fromLatin1(resync.summary());
    endStep(over.isEmpty(), over.isEmpty()
                                ? summary
                                : over.join(QStringLiteral("; ")) + QStringLiteral(" (") + summary + ')');
}

// The figures of the whole test, its sweep's messages among them, against the plan's limits.
void PlanRunner::loadTestEnded()
{
    const Step& step = m_plan.steps[m_step];
    const lamp::LoadTestStats& stats = m_link->engine().lamps().loadTestStats();
    if (!m_loadTestRows) {
        m_loadTestRows = std::make_unique<QTemporaryFile>();
        m_loadTestRowsLost = !m_loadTestRows->open();
    }
    m_loadTestRowsLost =
        m_loadTestRowsLost || !m_link->engine().lamps().loadTestLog().writeCsvRows(*m_loadTestRows);
    m_current.figures = loadTestFigures(stats);
    QStringList over;
    over.append(overLimits(stats, step.maxUnanswered, step.maxRefused));
    if (step.maxAnswerMs && stats.maxAnswerMs() > *step.maxAnswerMs)
        over.append(QStringLiteral("answer time %1 ms, at most %2 allowed")
                        .arg(stats.maxAnswerMs())
                        .arg(*step.maxAnswerMs));
    const QString summary = QString::fromLatin1(stats.summary(m_link->answersCome()));
    endStep(over.isEmpty(), over.isEmpty()
                                ? summary
                                : over.join(QStringLiteral("; ")) + QStringLiteral(" (") + summary + ')');
}

// Each message waits for its answer or its time-out before the next goes.
void PlanRunner::sendNextLamp()
{
    if (m_lampsToSend.isEmpty()) {
        m_current.figures = m_lamps.figures(m_link->answersCome());
        endStep(m_lamps.allWell(), m_lamps.text(m_link->answersCome()));
        return;
    }
    if (!m_linkUp) {
        endStep(false, QStringLiteral("the link is down"));
        return;
    }
    const auto [from, to] = m_lampsToSend.takeFirst();
    m_lamps.sending(QString::fromLatin1(to.isEmpty() ? from : from + '-' + to));
    const lamp::SingleStationRequest request = lampRequest(m_plan.steps[m_step].function, from, to);
    const qsizetype eventsBefore = m_current.events.size();
    m_link->feed([&request](link::LinkEngine& engine) { engine.singleStation().sendSingleStation(request); });
    if (m_link->answersCome())
        return;
    // On the serial line no answer comes: a message went out when the tool had nothing to say.
    if (m_current.events.size() == eventsBefore)
        m_lamps.wentOut();
    else
        m_lamps.notSent(m_current.events.last().text);
    QTimer::singleShot(0, this, [this, step = m_step] {
        if (step == m_step)
            sendNextLamp();
    });
}

void PlanRunner::lampAnswered(std::optional<int> code)
{
    if (m_step < 0 || m_finishing || m_plan.steps[m_step].kind != Kind::Lamps)
        return;
    if (code)
        m_lamps.answered(*code);
    else
        m_lamps.unanswered();
    // From the event loop, and only while the step that sent it still runs.
    QTimer::singleShot(0, this, [this, step = m_step] {
        if (step == m_step)
            sendNextLamp();
    });
}

void PlanRunner::terminalText(const QByteArray& text)
{
    for (const QByteArray& line : text.split('\n'))
        if (!line.trimmed().isEmpty())
            m_lastLine = QString::fromLatin1(line.trimmed());
}

void PlanRunner::linkCameUp()
{
    m_linkUp = m_everUp = true;
    if (m_step >= 0 && !m_finishing && m_plan.steps[m_step].kind == Kind::Connect)
        endStep(true, {});
}

void PlanRunner::connectionShown(bool connected)
{
    if (connected)
        return;
    if (m_linkUp) {
        m_linkUp = false;
        linkWentDown();
    } else if (m_step >= 0 && !m_finishing && m_plan.steps[m_step].kind == Kind::Connect) {
        // Once the box that may follow has been taken, it says why.
        QTimer::singleShot(0, this, [this, step = m_step] {
            if (step != m_step)
                return;
            endStep(false, !m_refusal.isEmpty()          ? m_refusal
                           : !m_connectFailure.isEmpty() ? m_connectFailure
                           : !m_current.events.isEmpty() ? m_current.events.last().text
                                                         : m_lastLine);
        });
    }
}

void PlanRunner::connectFailed(const QString& why)
{
    m_connectFailure = why;
}

void PlanRunner::responded(link::Request request, int code)
{
    if (request == link::Request::Connect && code != 0)
        m_refusal = QStringLiteral("refused: ") + QString::fromLatin1(link::responseText(code));
    if (request == link::Request::Release)
        m_releaseAnswered = true;
    if (request == link::Request::Lamp)
        lampAnswered(code);
}

void PlanRunner::lampTimedOut()
{
    lampAnswered(std::nullopt);
}

void PlanRunner::loadTestFiguresChanged(const lamp::LoadTestStats& figures, bool /*answersExpected*/)
{
    if (m_stepRunning && m_plan.steps[m_step].kind == Kind::LoadTest && !m_loadTestStopping &&
        m_plan.steps[m_step].messages > 0 && figures.sent() >= m_plan.steps[m_step].messages) {
        m_loadTestStopping = true;
        // From the event loop: the engine is still giving its outputs.
        QTimer::singleShot(0, this, [this] {
            m_link->feed([](link::LinkEngine& engine) { engine.lamps().mnuStop_Click(); });
        });
    }
}

void PlanRunner::loadTestPhaseChanged(link::LoadTestPhase phase)
{
    if (phase == link::LoadTestPhase::Idle && m_stepRunning && m_plan.steps[m_step].kind == Kind::LoadTest)
        QTimer::singleShot(0, this, [this, step = m_step] {
            if (step == m_step && m_stepRunning)
                loadTestEnded();
        });
}

void PlanRunner::resyncProgress(bool running, const QString& /*progress*/)
{
    if (!running && m_stepRunning && m_plan.steps[m_step].kind == Kind::Resync &&
        !std::exchange(m_resyncEnded, true))
        QTimer::singleShot(0, this, [this, step = m_step] {
            if (step == m_step && m_stepRunning)
                resyncEnded();
        });
}

// Every record is decoded as the breakdown window decodes it; what the decoder finds wrong becomes
// an event, and fails a records step.
void PlanRunner::recordArrived(const QByteArray& record, bool /*checkGood*/, const QDateTime& /*when*/)
{
    ++m_current.records;
    m_current.recordTexts.append(QString::fromLatin1(record));
    const decode::Breakdown decoded = decode::DecodeRecord(
        record, m_link->recordsKra() ? decode::RecordFormat::Kra : decode::RecordFormat::Olv);
    for (const Operator::Message& message : decoded.messages)
        show(message, {});
    if (!decoded.messages.isEmpty())
        ++m_current.undecoded;
    if (!m_stepRunning || m_plan.steps[m_step].kind != Kind::Records)
        return;
    if (m_current.undecoded > 0)
        endStep(false, QStringLiteral("a record could not be decoded: ") + m_current.events.last().text);
    else if (m_plan.steps[m_step].atLeast > 0 && m_current.records >= m_plan.steps[m_step].atLeast)
        endStep(true, recordsText(m_current.records));
}

void PlanRunner::linkWentDown()
{
    if (m_finishing) {
        QTimer::singleShot(0, this, &PlanRunner::finished);
        return;
    }
    if (m_step < 0 || m_step >= m_plan.steps.size())
        return;
    if (m_plan.steps[m_step].kind == Kind::Release) {
        // The serial line has no release request: the port closed is the release.
        const bool released = m_releaseAnswered || !m_link->answersCome();
        endStep(released, released ? QString() : QStringLiteral("closed without an answer"));
        return;
    }
    // A lost link fails the running step with what the tool said about it.
    endStep(false, m_current.events.isEmpty() ? m_lastLine : m_current.events.last().text);
}

// The boxes the tool would show are the running step's events; each is closed at once.
void PlanRunner::show(const Message& message, std::function<void(Answer)> answered)
{
    m_current.events.append(
        {QDateTime::currentDateTime(),
         message.title.isEmpty() ? message.text : message.title + QStringLiteral(": ") + message.text});
    if (answered)
        answered(Answer::Ok);
}

void PlanRunner::chooseFile(const FileChoice&, std::function<void(std::optional<QString>)> chosen)
{
    chosen(std::nullopt);
}

void PlanRunner::endStep(bool passed, const QString& message)
{
    if (m_step >= 0 && !std::exchange(m_stepRunning, false))
        return; // the step has ended already
    m_stepLimit.stop();
    if (m_step >= 0) {
        m_current.passed = passed;
        m_current.ms = m_stepClock.elapsed();
        m_current.message = message;
        m_results.append(m_current);
        Q_EMIT stepEnded(m_current);
    }
    const bool neverUp = m_step >= 0 && !m_everUp;
    const bool stop = (!passed && m_plan.stopOnFailure) || neverUp || m_interrupted;
    // Nothing can be tested without the link: the steps after are listed, as skipped.
    if (neverUp && !m_interrupted)
        for (qsizetype i = m_step + 1; i < m_plan.steps.size(); ++i) {
            StepResult skipped;
            skipped.name = stepName(m_plan.steps[i].kind);
            skipped.skipped = true;
            skipped.message = QStringLiteral("the link never came up");
            m_results.append(skipped);
            Q_EMIT stepEnded(skipped);
        }
    // Later steps begin from the event loop, never inside the engine's outputs.
    if (stop || ++m_step >= m_plan.steps.size())
        QTimer::singleShot(0, this, &PlanRunner::finishRun);
    else
        QTimer::singleShot(0, this, &PlanRunner::beginStep);
}

// The link is released as the tool releases it, and the run ends once it is down.
void PlanRunner::finishRun()
{
    m_finishing = true;
    if (!m_linkUp) {
        Q_EMIT finished();
        return;
    }
    feedConnectCommand();
}

} // namespace zkn::run
