// SPDX-License-Identifier: GPL-3.0-or-later
#include "probe.h"

#include "link/frame_reader.h"
#include "link/link_engine.h"
#include "reports.h"

namespace zkn::run {

Probe::Probe(const ProbeOptions& options, QObject* parent) : QObject(parent), m_options(options)
{
    LinkView& view = *this;
    Operator& op = *this;
    m_link = std::make_unique<RunLink>(LinkChoice(m_options.link), view, op);
    m_figures.warnMs = m_options.warnMs;
    m_limit.setSingleShot(true);
    connect(&m_limit, &QTimer::timeout, this, [this] {
        static const char* const waits[] = {"the connect request", "the health check", "the release request"};
        const QString what = QLatin1String(waits[int(m_wait)]);
        if (m_wait == Wait::Release)
            finish(); // the link's own limit ends the connection
        else
            critical(QStringLiteral("no answer to %1 within %2 ms").arg(what).arg(m_options.timeoutMs));
    });
}

Probe::~Probe() = default;

void Probe::start()
{
    waitFor(Wait::Connect);
    m_link->feed([](link::LinkEngine& engine) { engine.connectCommand(); });
}

void Probe::waitFor(Wait wait)
{
    m_wait = wait;
    m_clock.start();
    m_limit.start(m_options.timeoutMs);
}

void Probe::responded(link::Request request, int code)
{
    if (request == link::Request::Connect && m_wait == Wait::Connect) {
        if (code != 0) {
            critical(QStringLiteral("refused with code %1: %2")
                         .arg(code)
                         .arg(QString::fromLatin1(link::responseText(code))));
            return;
        }
        m_linkUp = true;
        m_figures.connectMs = m_clock.elapsed();
        waitFor(Wait::Health);
        // From the event loop: the engine is still giving its outputs.
        QTimer::singleShot(
            0, this, [this] { m_link->feed([](link::LinkEngine& engine) { engine.healthCheckNow(); }); });
    } else if (request == link::Request::Health && m_wait == Wait::Health) {
        m_figures.healthMs = m_clock.elapsed();
        if (code != 0)
            m_figures.failure = QStringLiteral("health check answered with code %1: %2")
                                    .arg(code)
                                    .arg(QString::fromLatin1(link::responseText(code)));
        QTimer::singleShot(0, this, &Probe::release);
    }
}

void Probe::connectFailed(const QString& why)
{
    m_connectFailure = why;
}

void Probe::connectionShown(bool connected)
{
    if (connected)
        return;
    m_linkUp = false;
    if (m_wait == Wait::Release) {
        finish();
    } else if (m_wait != Wait::Done) {
        // Once the box that may follow has been taken, it says why: where and why in words, a
        // line that monitoring sees the same from one failure to the next.
        QTimer::singleShot(0, this, [this] {
            critical(!m_connectFailure.isEmpty() ? m_connectFailure
                     : m_lastBox.isEmpty()       ? QStringLiteral("the link ended")
                                                 : m_lastBox);
        });
    }
}

void Probe::show(const Message& message, std::function<void(Answer)> answered)
{
    m_lastBox = message.text;
    m_lastBox.replace(QLatin1String("\r\n"), QLatin1String(" "));
    if (answered)
        answered(Answer::Ok);
}

void Probe::chooseFile(const FileChoice&, std::function<void(std::optional<QString>)> chosen)
{
    chosen(std::nullopt);
}

void Probe::critical(const QString& why)
{
    if (m_wait == Wait::Done || m_figures.failure)
        return;
    m_figures.failure = why;
    release();
}

// The link is released as the tool releases it; one that never stood is only closed.
void Probe::release()
{
    if (m_wait == Wait::Release || m_wait == Wait::Done)
        return;
    if (!m_linkUp) {
        finish();
        return;
    }
    waitFor(Wait::Release);
    m_link->feed([](link::LinkEngine& engine) { engine.connectCommand(); });
}

void Probe::finish()
{
    if (m_wait == Wait::Done)
        return;
    m_wait = Wait::Done;
    m_limit.stop();
    m_verdict = probeVerdict(m_figures);
    QTimer::singleShot(0, this, &Probe::finished);
}

ProbeVerdict probeVerdict(const ProbeFigures& f)
{
    const QString warn = f.warnMs ? QString::number(*f.warnMs) : QString();
    QString figures;
    if (f.connectMs >= 0)
        figures += QStringLiteral(" connect=%1ms;%2;;").arg(f.connectMs).arg(warn);
    if (f.healthMs >= 0)
        figures += QStringLiteral(" health=%1ms;%2;;").arg(f.healthMs).arg(warn);
    ProbeVerdict v;
    if (f.failure) {
        v.status = ProbeStatus::Critical;
        // Monitoring takes what follows a "|" as figures.
        v.line = QStringLiteral("ZKN CRITICAL - ") +
                 readableLine(*f.failure).replace(QLatin1Char('|'), QLatin1Char('/'));
    } else {
        const bool slow = f.warnMs && std::max(f.connectMs, f.healthMs) > *f.warnMs;
        v.status = slow ? ProbeStatus::Warning : ProbeStatus::Ok;
        v.line = QStringLiteral("ZKN %1 - link up in %2 ms, health check answered in %3 ms")
                     .arg(slow ? QLatin1String("WARNING") : QLatin1String("OK"))
                     .arg(f.connectMs)
                     .arg(f.healthMs);
    }
    if (!figures.isEmpty())
        v.line += QStringLiteral(" |") + figures;
    return v;
}

} // namespace zkn::run
