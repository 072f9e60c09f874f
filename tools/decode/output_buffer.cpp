// SPDX-License-Identifier: GPL-3.0-or-later
#include "output_buffer.h"

namespace zkn::decodetool {

namespace {

constexpr qsizetype kFlushSize = 256 * 1024;

} // namespace

OutputBuffer::OutputBuffer(std::FILE* stream) : m_stream(stream)
{
    m_buffer.reserve(kFlushSize + kFlushSize / 4);
}

void OutputBuffer::resultDone()
{
    if (m_buffer.size() >= kFlushSize)
        flush();
}

bool OutputBuffer::flush()
{
    if (!m_buffer.isEmpty() && !m_writeFailed)
        m_writeFailed = std::fwrite(m_buffer.constData(), 1, size_t(m_buffer.size()), m_stream) !=
                        size_t(m_buffer.size());
    m_buffer.resize(0); // keeps the capacity for the next results
    if (!m_writeFailed)
        m_writeFailed = std::fflush(m_stream) != 0;
    return !m_writeFailed;
}

} // namespace zkn::decodetool
