#include "record_printer.h"

#include "decode/decode_record.h"
#include "json_line.h"
#include "readable_text.h"

namespace zkn::decodetool {

namespace {

constexpr qsizetype kFlushSize = 256 * 1024;

} // namespace

RecordPrinter::RecordPrinter(decode::RecordFormat format, Style style, std::FILE* out)
    : m_format(format), m_style(style), m_out(out)
{
    m_buffer.reserve(kFlushSize + kFlushSize / 4);
}

void RecordPrinter::print(QByteArrayView record)
{
    const decode::Breakdown breakdown = decode::DecodeRecord(record, m_format);
    m_anyMessage = m_anyMessage || !breakdown.messages.isEmpty();
    ++m_count;
    if (m_style == Style::JsonLines)
        appendJsonLine(m_buffer, record, breakdown);
    else
        appendReadable(m_buffer, m_count, breakdown);
    if (m_buffer.size() >= kFlushSize)
        flush();
}

bool RecordPrinter::flush()
{
    if (!m_buffer.isEmpty() && !m_writeFailed)
        m_writeFailed =
            std::fwrite(m_buffer.constData(), 1, size_t(m_buffer.size()), m_out) != size_t(m_buffer.size());
    m_buffer.resize(0); // keeps the capacity for the next records
    if (!m_writeFailed)
        m_writeFailed = std::fflush(m_out) != 0;
    return !m_writeFailed;
}

} // namespace zkn::decodetool
