// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "command_line.h"
#include "line_writer.h"
#include "monitor/link_watch.h"

#include <QObject>
#include <QTimer>

#include <cstdio>

namespace zkn::monitortool {

// What zkn-monitor does with what it watches: each frame through the watch, a line for it as
// asked, the faults as they are found, the figures line when asked for, and at the end the
// summary and the lamps' table. Times are the wall clock's microseconds.
class MonitorSession : public QObject
{
    Q_OBJECT

public:
    MonitorSession(const MonitorOptions& options, std::FILE* out, std::FILE* summary);

    monitor::LinkWatch& watch() { return m_watch; }

    void began(int connection, qint64 timeUs, const QString& from);
    void passed(int connection, qint64 timeUs, monitor::Side from, const QByteArray& bytes);
    void ending(int connection, qint64 timeUs, monitor::Side by, bool reset);
    void finished(int connection) { m_watch.finished(connection); }
    // A fault the watch cannot see for itself: the relay's, a tap port's.
    void fault(int connection, qint64 timeUs, const QString& what);
    void note(qint64 timeUs, const QString& what);
    void printFigures();
    // The summary to its stream and the lamps' table to its file; the exit status: 1 when a fault
    // was seen, else 0.
    int finish();

private:
    void frameSeen(const monitor::WatchedFrame& frame);
    void faultSeen(const monitor::WatchFault& fault);
    void armDeadline();
    void write(const QByteArray& line);

    MonitorOptions m_options;
    LineWriter m_out;
    std::FILE* m_summary;
    monitor::LinkWatch m_watch;
    QTimer m_deadline;
    QTimer m_figuresEvery;
};

} // namespace zkn::monitortool
