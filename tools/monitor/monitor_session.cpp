// SPDX-License-Identifier: GPL-3.0-or-later
#include "monitor_session.h"

#include "frame_lines.h"
#include "json_text.h"
#include "system_clock.h"

#include <QDateTime>
#include <QSaveFile>

namespace zkn::monitortool {

namespace {

bool isHealth(const monitor::WatchedFrame& frame)
{
    return frame.meaning == monitor::Meaning::HealthCheck ||
           (frame.answered && frame.answered->request == monitor::Meaning::HealthCheck);
}

const char* sideWords(monitor::Side side)
{
    return side == monitor::Side::Pbx ? "the PBX" : "the message centre";
}

} // namespace

MonitorSession::MonitorSession(const MonitorOptions& options, std::FILE* out, std::FILE* summary)
    : m_options(options), m_out(out), m_summary(summary),
      m_watch(options.parity, {[this](const monitor::WatchedFrame& frame) { frameSeen(frame); },
                               [this](const monitor::WatchFault& fault) { faultSeen(fault); }})
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        m_watch.advanceTo(epochNowUs());
        armDeadline();
    });
    if (options.figuresEveryMinutes > 0) {
        m_figuresEvery.setInterval(options.figuresEveryMinutes * 60 * 1000);
        connect(&m_figuresEvery, &QTimer::timeout, this, &MonitorSession::printFigures);
        m_figuresEvery.start();
    }
}

void MonitorSession::write(const QByteArray& line)
{
    m_out.write(line);
}

void MonitorSession::frameSeen(const monitor::WatchedFrame& frame)
{
    if (m_options.quiet || (m_options.noHealth && isHealth(frame)))
        return;
    write(frameLine(frame, m_options.json));
}

void MonitorSession::faultSeen(const monitor::WatchFault& fault)
{
    write(faultLine(fault, m_options.json));
}

void MonitorSession::armDeadline()
{
    if (const std::optional<qint64> due = m_watch.nextDeadline())
        m_deadline.start(int(std::clamp<qint64>((*due - epochNowUs() + 999) / 1000, 0, 60'000)));
    else
        m_deadline.stop();
}

void MonitorSession::began(int connection, qint64 timeUs, const QString& from)
{
    m_watch.began(connection, timeUs);
    if (!m_options.quiet)
        write(connectionLine(timeUs, connection, QStringLiteral("began from %1").arg(from), m_options.json));
}

void MonitorSession::passed(int connection, qint64 timeUs, monitor::Side from, const QByteArray& bytes)
{
    m_watch.received(connection, timeUs, from, bytes);
    armDeadline();
}

void MonitorSession::ending(int connection, qint64 timeUs, monitor::Side by, bool reset)
{
    // Named with the device of its connect request, which a reset takes with the connection.
    const QByteArray device = m_watch.deviceOf(connection);
    m_watch.ending(connection, timeUs, by, reset);
    if (!m_options.quiet)
        write(connectionLine(
            timeUs, connection,
            QStringLiteral("%1 by %2%3")
                .arg(reset ? QStringLiteral("reset") : QStringLiteral("closed"), QLatin1String(sideWords(by)),
                     device.isEmpty() ? QString()
                                      : QStringLiteral(" (device %1)").arg(QString::fromLatin1(device))),
            m_options.json));
    armDeadline();
}

void MonitorSession::fault(int connection, qint64 timeUs, const QString& what)
{
    m_watch.reportFault(connection, timeUs, what);
}

void MonitorSession::note(qint64 timeUs, const QString& what)
{
    std::fputs(("zkn-monitor: " + QDateTime::fromMSecsSinceEpoch(timeUs / 1000).toString(Qt::ISODateWithMs) +
                QLatin1Char(' ') + what + QLatin1Char('\n'))
                   .toLocal8Bit()
                   .constData(),
               m_summary);
}

void MonitorSession::printFigures()
{
    const QByteArray figures = monitor::figuresLine(m_watch.figures());
    if (!m_options.json) {
        write("figures: " + figures + '\n');
        return;
    }
    QByteArray line = "{";
    decodetool::appendJsonKey(line, "figures");
    decodetool::appendJsonString(line, QString::fromLatin1(figures));
    write(line + "}\n");
}

int MonitorSession::finish()
{
    m_out.flush();
    QByteArray summary = "zkn-monitor summary\n" + monitor::figuresText(m_watch.figures());
    if (m_out.leftOut() > 0)
        summary +=
            "lines left out while the output did not keep up: " + QByteArray::number(m_out.leftOut()) + '\n';
    for (const monitor::WatchFault& fault : m_watch.faults())
        summary += faultLine(fault, false);
    if (m_watch.faultsLeftOut() > 0)
        summary += "and " + QByteArray::number(m_watch.faultsLeftOut()) + " faults more\n";
    bool written = true;
    if (!m_options.lampsFile.isEmpty()) {
        QSaveFile file(m_options.lampsFile);
        written = file.open(QIODevice::WriteOnly) && file.write(m_watch.lamps().csv()) >= 0 && file.commit();
        if (!written)
            summary += "the lamps' table could not be written to " + m_options.lampsFile.toLocal8Bit() +
                       ": " + file.errorString().toLocal8Bit() + '\n';
    }
    std::fwrite(summary.constData(), 1, std::size_t(summary.size()), m_summary);
    std::fflush(m_summary);
    return m_watch.figures().faults > 0 || !written ? 1 : 0;
}

} // namespace zkn::monitortool
