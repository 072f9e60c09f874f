// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "headless_view.h"
#include "lamp_tally.h"
#include "operator/operator.h"
#include "run_link.h"
#include "run_plan.h"
#include "step_result.h"

#include <QElapsedTimer>
#include <QIODevice>
#include <QObject>
#include <QTemporaryFile>
#include <QTimer>

#include <memory>

namespace zkn::run {

// Runs a plan's steps one after the other on the tool's own link engine, driven by the same pump
// as the tool's window, over the real transports. The boxes the tool would show become events
// of the running step and are closed at once; nothing waits for anyone. After the last step (or
// a failure that leaves no link) the link is released as the tool releases it, then finished()
// comes with the results.
class PlanRunner : public QObject, private HeadlessView, private Operator
{
    Q_OBJECT

public:
    explicit PlanRunner(const Plan& plan, QObject* parent = nullptr);
    ~PlanRunner() override;

    void start();
    // What goes over the link, captured from the start.
    LinkCapture& capture() { return m_link->capture(); }
    QString startCapture(const QString& path) { return m_link->startCapture(path); }
    // The lamp ledger read from `path` and kept there; what the operator is to read about it.
    QString keepLedgerIn(const QString& path) { return m_link->keepLedgerIn(path); }
    // Ctrl-C or SIGTERM: the running step ends as failed, and the run ends as after a last step.
    void interrupt();
    bool interrupted() const { return m_interrupted; }
    const QList<StepResult>& results() const { return m_results; }
    // Every message of the plan's load tests, a CSV row each, under its header; false when they
    // could not all be written.
    bool writeLoadTestCsv(QIODevice& to) const;
    // While a load test runs, its figures so far, for a live line; else empty.
    QString liveText() const;
    // The link never came up: nothing could be tested.
    bool nothingTested() const { return !m_everUp; }

Q_SIGNALS:
    void stepEnded(const zkn::run::StepResult& result);
    void finished();

private:
    void terminalText(const QByteArray& text) override;
    void linkCameUp() override;
    void connectionShown(bool connected) override;
    void connectFailed(const QString& why) override;
    void responded(link::Request request, int code) override;
    void lampTimedOut() override;
    void loadTestFiguresChanged(const lamp::LoadTestStats& figures, bool answersExpected) override;
    void loadTestPhaseChanged(link::LoadTestPhase phase) override;
    void resyncProgress(bool running, const QString& progress) override;
    void recordArrived(const QByteArray& record, bool checkGood, const QDateTime& when) override;
    void show(const Message& message, std::function<void(Answer)> answered) override;
    void chooseFile(const FileChoice& choice, std::function<void(std::optional<QString>)> chosen) override;

    void beginStep();
    void sendNextLamp();
    void beginLoadTest(const Step& step);
    void loadTestEnded();
    void beginResync(const Step& step);
    void resyncEnded();
    void lampAnswered(std::optional<int> code);
    void linkWentDown();
    void endStep(bool passed, const QString& message);
    void finishRun();
    void feedConnectCommand();

    Plan m_plan;
    std::unique_ptr<RunLink> m_link;

    QList<StepResult> m_results;
    int m_step = -1;
    StepResult m_current;
    QElapsedTimer m_stepClock;
    QTimer m_stepLimit;
    bool m_stepRunning = false;
    bool m_linkUp = false;
    bool m_everUp = false;
    bool m_releaseAnswered = false;
    bool m_finishing = false;
    bool m_interrupted = false;
    QString m_refusal;        // the PBX's answer to the connect request, when it was no
    QString m_connectFailure; // where and why the connection never stood
    QString m_lastLine;       // the terminal's last line, the reason when the link ends without a box
    // Lamps: the messages still to send, the answers so far.
    QList<std::pair<QByteArray, QByteArray>> m_lampsToSend;
    LampTally m_lamps;
    // Load test: Stop asked for (by the messages sent or the time).
    bool m_loadTestStopping = false;
    // Resync: it ended, and whether the step's time ran out first.
    bool m_resyncEnded = false;
    bool m_resyncLate = false;
    // The rows of the load tests ended so far, on disk, as a test may have millions.
    std::unique_ptr<QTemporaryFile> m_loadTestRows;
    bool m_loadTestRowsLost = false;
};

} // namespace zkn::run
