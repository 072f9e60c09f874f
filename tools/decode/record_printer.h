// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decode/record_parts.h"
#include "link_side.h"
#include "output_buffer.h"

#include <QByteArrayView>

#include <optional>

namespace zkn::decodetool {

// Decodes each record handed to it with the tool's decoder and appends the result to the
// output, as JSON lines or for people.
class RecordPrinter
{
public:
    RecordPrinter(decode::RecordFormat format, OutputStyle style, OutputBuffer& out);

    // `time`: when the packet that completed the record was captured; none from a log.
    void print(QByteArrayView record, std::optional<CaptureTime> time = std::nullopt);

    // Whether any record raised an operator message.
    bool anyMessage() const { return m_anyMessage; }
    int count() const { return m_count; }
    decode::RecordFormat format() const { return m_format; }

private:
    decode::RecordFormat m_format;
    OutputStyle m_style;
    OutputBuffer& m_out;
    int m_count = 0;
    bool m_anyMessage = false;
};

} // namespace zkn::decodetool
