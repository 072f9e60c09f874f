// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "headless_view.h"
#include "operator/operator.h"
#include "run_link.h"
#include "run_plan.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

namespace zkn::run {

struct ProbeOptions
{
    LanLink link;
    std::optional<int> warnMs; // an answer slower than this is a warning
    int timeoutMs = 5000;      // for each wait
};

// The monitoring systems' statuses and their exit codes.
enum class ProbeStatus
{
    Ok = 0,
    Warning = 1,
    Critical = 2,
    Unknown = 3
};

// What a probe measured: a time of -1 was not taken; a failure makes it critical.
struct ProbeFigures
{
    qint64 connectMs = -1;
    qint64 healthMs = -1;
    std::optional<int> warnMs;
    std::optional<QString> failure;
};

struct ProbeVerdict
{
    ProbeStatus status = ProbeStatus::Unknown;
    QString line;
};

// The status and the one line of the monitoring systems' convention for what was measured.
ProbeVerdict probeVerdict(const ProbeFigures& figures);

// Whether the link can be brought up: connect, a health check as soon as the connect request is
// answered, its answer, then the release. finished() comes with one line in the convention of
// monitoring systems, e.g. "ZKN OK - link up in 14 ms, health check answered in 3 ms | connect=14ms;;;
// health=3ms;;;".
class Probe : public QObject, private HeadlessView, private Operator
{
    Q_OBJECT

public:
    explicit Probe(const ProbeOptions& options, QObject* parent = nullptr);
    ~Probe() override;

    void start();
    ProbeStatus status() const { return m_verdict.status; }
    QString line() const { return m_verdict.line; }

Q_SIGNALS:
    void finished();

private:
    enum class Wait
    {
        Connect,
        Health,
        Release,
        Done
    };

    void responded(link::Request request, int code) override;
    void connectFailed(const QString& why) override;
    void connectionShown(bool connected) override;
    void show(const Message& message, std::function<void(Answer)> answered) override;
    void chooseFile(const FileChoice& choice, std::function<void(std::optional<QString>)> chosen) override;

    void waitFor(Wait wait);
    void critical(const QString& why);
    void release();
    void finish();

    ProbeOptions m_options;
    std::unique_ptr<RunLink> m_link;
    Wait m_wait = Wait::Connect;
    QElapsedTimer m_clock;
    QTimer m_limit;
    ProbeFigures m_figures;
    bool m_linkUp = false;
    QString m_lastBox;
    QString m_connectFailure;
    ProbeVerdict m_verdict;
};

} // namespace zkn::run
