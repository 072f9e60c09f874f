// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "command_line.h"
#include "line_writer.h"
#include "link_watcher.h"

#include <QObject>
#include <QTimer>

#include <cstdio>

namespace zkn::monitortool {

// What zkn-monitor does with what it watches: a line for each frame as asked, the faults as they
// are found, the figures line when asked for, and at the end the summary and the lamps' table.
// Times are the wall clock's microseconds.
class MonitorSession : public QObject
{
    Q_OBJECT

public:
    MonitorSession(const MonitorOptions& options, std::FILE* out, std::FILE* summary);

    // What is watched: the relay, the tap or a capture's reader feed it.
    LinkWatcher& watcher() { return m_watcher; }
    // Said on the summary's stream, with its time: what the relay turned away, how it began.
    void note(qint64 timeUs, const QString& what);
    void printFigures();
    // The summary to its stream and the lamps' table to its file; the exit status: 1 when a fault
    // was seen, else 0.
    int finish();

private:
    void frameSeen(const monitor::WatchedFrame& frame);
    void connectionChanged(qint64 timeUs, int connection, const QString& event);
    void write(const QByteArray& line);

    MonitorOptions m_options;
    LineWriter m_out;
    std::FILE* m_summary;
    LinkWatcher m_watcher;
    QTimer m_figuresEvery;
};

} // namespace zkn::monitortool
