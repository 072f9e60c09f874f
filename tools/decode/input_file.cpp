// SPDX-License-Identifier: GPL-3.0-or-later
#include "input_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace zkn::decodetool {

std::optional<QString> InputFile::open(const QString& name)
{
    const bool isStdin = name == QLatin1String("-");
    if (!isStdin)
        m_file.setFileName(name);
    const bool opened = isStdin ? m_file.open(STDIN_FILENO, QIODevice::ReadOnly | QIODevice::Unbuffered)
                                : m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    if (!opened)
        return m_file.errorString();
    return std::nullopt;
}

std::optional<QString> InputFile::peek(qsizetype count)
{
    m_front.resize(count);
    qsizetype filled = 0;
    // A pipe may give fewer bytes a read than were asked for.
    while (filled < count) {
        const qint64 got = readFile(m_front.data() + filled, count - filled);
        if (got <= 0)
            break;
        filled += got;
    }
    m_front.truncate(filled);
    return m_error;
}

std::optional<QString> InputFile::readBlocks(const std::function<void(QByteArrayView)>& take)
{
    QByteArray block(kReadBlockSize, Qt::Uninitialized);
    for (;;) {
        const qint64 got = read(block.data(), block.size());
        if (got < 0)
            return m_error;
        if (got == 0)
            return std::nullopt;
        take(QByteArrayView(block.constData(), got));
    }
}

qint64 InputFile::read(char* to, qint64 most)
{
    if (m_frontRead == m_front.size()) {
        m_beforeRead();
        return readFile(to, most);
    }
    const qsizetype count = qMin(qsizetype(most), m_front.size() - m_frontRead);
    std::copy_n(m_front.constData() + m_frontRead, count, to);
    m_frontRead += count;
    return count;
}

qint64 InputFile::readFile(char* to, qint64 most)
{
    // One read of the system's, straight into the caller's room: from a pipe it gives what has
    // come so far, so a followed file is decoded as it grows.
    for (;;) {
        const ssize_t got = ::read(m_file.handle(), to, size_t(most));
        if (got >= 0)
            return got;
        if (errno != EINTR) {
            m_error = QString::fromLocal8Bit(std::strerror(errno));
            return -1;
        }
    }
}

ssize_t InputFile::readFromCookie(void* cookie, char* to, size_t most)
{
    return static_cast<InputFile*>(cookie)->read(to, qint64(most));
}

std::FILE* InputFile::stream()
{
    return fopencookie(this, "r", cookie_io_functions_t{readFromCookie, nullptr, nullptr, nullptr});
}

} // namespace zkn::decodetool
