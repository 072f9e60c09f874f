// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>

namespace zkn::monitortool {

// The monitor's lines go out from a thread of their own, so a reader that stops reading (a pager
// left unscrolled, a full pipe) never holds the relay and with it the site's link. While more
// than kMostWaiting bytes wait, further lines are left out and counted.
class LineWriter
{
public:
    explicit LineWriter(std::FILE* out);
    // Writes what waits, then ends; a writer still held after kLastWait is left to the
    // program's exit.
    ~LineWriter();
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;

    void write(QByteArray line);
    // Waits until every line handed over has been written, or kLastWait has passed: what a stalled
    // reader never took is counted as left out.
    void flush();
    qint64 leftOut() const { return m_leftOut; }

    static constexpr qsizetype kMostWaiting = 4 * 1024 * 1024;
    static constexpr std::chrono::seconds kLastWait{2};

private:
    void run();

    int m_fd;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<QByteArray> m_waiting;
    qsizetype m_waitingBytes = 0;
    bool m_writing = false;
    bool m_stopping = false;
    bool m_ended = false;
    bool m_stalled = false; // a flush gave up on the reader
    std::atomic<qint64> m_leftOut{0};
    std::thread m_thread;
};

} // namespace zkn::monitortool
