// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <cstdio>

namespace zkn::decodetool {

// How results are printed.
enum class OutputStyle
{
    Readable,
    JsonLines
};

// Output gathered in a buffer that goes out to a stream whenever it is large, so a big input
// never builds its whole output in memory.
class OutputBuffer
{
public:
    explicit OutputBuffer(std::FILE* stream);

    // Where the next result is appended.
    QByteArray& text() { return m_buffer; }
    // Called after each result: writes the buffer once it is large.
    void resultDone();
    // Writes what is gathered; false once the stream has refused anything.
    bool flush();

private:
    std::FILE* m_stream;
    QByteArray m_buffer;
    bool m_writeFailed = false;
};

} // namespace zkn::decodetool
