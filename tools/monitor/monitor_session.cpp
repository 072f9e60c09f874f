// SPDX-License-Identifier: GPL-3.0-or-later
#include "monitor_session.h"

#include "frame_lines.h"
#include "json_text.h"
#include "system_clock.h"

#include <QDateTime>
#include <QSaveFile>

namespace zkn::monitortool {

MonitorSession::MonitorSession(const MonitorOptions& options, std::FILE* out, std::FILE* summary)
    : m_options(options), m_out(out), m_summary(summary), m_watcher(options.parity)
{
    connect(&m_watcher, &LinkWatcher::frameSeen, this, &MonitorSession::frameSeen);
    connect(&m_watcher, &LinkWatcher::faultSeen, this,
            [this](const monitor::WatchFault& fault) { write(faultLine(fault, m_options.json)); });
    connect(&m_watcher, &LinkWatcher::connectionChanged, this, &MonitorSession::connectionChanged);
    connect(&m_watcher, &LinkWatcher::turnedAway, this, &MonitorSession::note);
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
    if (m_options.quiet || (m_options.noHealth && monitor::isHealthTraffic(frame)))
        return;
    write(frameLine(frame, m_options.json));
}

void MonitorSession::connectionChanged(qint64 timeUs, int connection, const QString& event)
{
    if (!m_options.quiet)
        write(connectionLine(timeUs, connection, event, m_options.json));
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
    const QByteArray figures = monitor::figuresLine(m_watcher.watch().figures());
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
    QByteArray summary = "zkn-monitor summary\n" + monitor::figuresText(m_watcher.watch().figures());
    if (m_out.leftOut() > 0)
        summary +=
            "lines left out while the output did not keep up: " + QByteArray::number(m_out.leftOut()) + '\n';
    for (const monitor::WatchFault& fault : m_watcher.watch().faults())
        summary += faultLine(fault, false);
    if (m_watcher.watch().faultsLeftOut() > 0)
        summary += "and " + QByteArray::number(m_watcher.watch().faultsLeftOut()) + " faults more\n";
    bool written = true;
    if (!m_options.lampsFile.isEmpty()) {
        QSaveFile file(m_options.lampsFile);
        written = file.open(QIODevice::WriteOnly) && file.write(m_watcher.watch().lamps().csv()) >= 0 &&
                  file.commit();
        if (!written)
            summary += "the lamps' table could not be written to " + m_options.lampsFile.toLocal8Bit() +
                       ": " + file.errorString().toLocal8Bit() + '\n';
    }
    std::fwrite(summary.constData(), 1, std::size_t(summary.size()), m_summary);
    std::fflush(m_summary);
    return m_watcher.watch().figures().faults > 0 || !written ? 1 : 0;
}

} // namespace zkn::monitortool
