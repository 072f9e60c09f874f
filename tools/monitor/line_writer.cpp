// SPDX-License-Identifier: GPL-3.0-or-later
#include "line_writer.h"

#include <unistd.h>

#include <cerrno>

namespace zkn::monitortool {

LineWriter::LineWriter(std::FILE* out) : m_fd(::fileno(out)), m_thread([this] { run(); }) {}

LineWriter::~LineWriter()
{
    std::unique_lock lock(m_mutex);
    m_stopping = true;
    m_changed.notify_all();
    const bool ended = !m_stalled && m_changed.wait_for(lock, kLastWait, [this] { return m_ended; });
    lock.unlock();
    if (ended)
        m_thread.join();
    else
        m_thread.detach(); // blocked on a reader that stopped; the exit ends it
}

void LineWriter::write(QByteArray line)
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_waitingBytes + line.size() > kMostWaiting) {
            ++m_leftOut;
            return;
        }
        m_waitingBytes += line.size();
        m_waiting.push_back(std::move(line));
    }
    m_changed.notify_all();
}

void LineWriter::flush()
{
    std::unique_lock lock(m_mutex);
    if (m_changed.wait_for(lock, kLastWait, [this] { return m_waiting.empty() && !m_writing; }))
        return;
    m_stalled = true;
    m_leftOut += qint64(m_waiting.size());
    m_waiting.clear();
    m_waitingBytes = 0;
}

void LineWriter::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return !m_waiting.empty() || m_stopping; });
        if (m_waiting.empty()) {
            m_ended = true; // stopping, and nothing left
            m_changed.notify_all();
            return;
        }
        const QByteArray line = std::move(m_waiting.front());
        m_waiting.pop_front();
        m_writing = true;
        lock.unlock();
        // Straight to the descriptor: a write held here holds no lock of stdio's that the
        // program's exit would wait for.
        for (qsizetype at = 0; at < line.size();) {
            const ssize_t n = ::write(m_fd, line.constData() + at, std::size_t(line.size() - at));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break; // the reader went away
            at += n;
        }
        lock.lock();
        m_waitingBytes -= line.size();
        m_writing = false;
        m_changed.notify_all();
    }
}

} // namespace zkn::monitortool
