#pragma once

#include "decode/record_parts.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstdio>

namespace zkn::decodetool {

// Decodes each record handed to it with the tool's decoder and writes the result to a stream,
// as JSON lines or for people. Output is gathered in a buffer that goes out whenever it is
// large, so a big input never builds its whole output in memory.
class RecordPrinter
{
public:
    enum class Style
    {
        Readable,
        JsonLines
    };

    RecordPrinter(decode::RecordFormat format, Style style, std::FILE* out);

    void print(QByteArrayView record);
    // Writes what is gathered; false when the stream refused it.
    bool flush();

    // Whether any record raised an operator message.
    bool anyMessage() const { return m_anyMessage; }

private:
    decode::RecordFormat m_format;
    Style m_style;
    std::FILE* m_out;
    QByteArray m_buffer;
    int m_count = 0;
    bool m_anyMessage = false;
    bool m_writeFailed = false;
};

} // namespace zkn::decodetool
