// SPDX-License-Identifier: GPL-3.0-or-later
#include "record_printer.h"

#include "decode/decode_record.h"
#include "json_line.h"
#include "readable_text.h"

namespace zkn::decodetool {

RecordPrinter::RecordPrinter(decode::RecordFormat format, OutputStyle style, OutputBuffer& out)
    : m_format(format), m_style(style), m_out(out)
{
}

void RecordPrinter::print(QByteArrayView record, std::optional<CaptureTime> time)
{
    const decode::Breakdown breakdown = decode::DecodeRecord(record, m_format);
    m_anyMessage = m_anyMessage || !breakdown.messages.isEmpty();
    ++m_count;
    if (m_style == OutputStyle::JsonLines)
        appendJsonLine(m_out.text(), record, breakdown, time);
    else
        appendReadable(m_out.text(), m_count, breakdown, time);
    m_out.resultDone();
}

} // namespace zkn::decodetool
