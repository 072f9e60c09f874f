// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The rule the record decoder must keep: any text, in either layout, decodes or is reported,
// never crashes or reads beyond the text, and the same text always gives the same result.
#include "decode/decode_record.h"

namespace zkn::fuzz {

inline bool sameBreakdown(const decode::Breakdown& a, const decode::Breakdown& b)
{
    if (a.windowCleared != b.windowCleared || a.caption != b.caption || a.expansion != b.expansion ||
        a.messages.size() != b.messages.size())
        return false;
    for (qsizetype i = 0; i < a.messages.size(); ++i)
        if (a.messages[i].title != b.messages[i].title || a.messages[i].text != b.messages[i].text)
            return false;
    for (int i = 0; i < decode::kAreaCount; ++i) {
        const decode::AreaView& x = a.areas[static_cast<std::size_t>(i)];
        const decode::AreaView& y = b.areas[static_cast<std::size_t>(i)];
        if (x.plain != y.plain || x.subFrame != y.subFrame || x.caption != y.caption || x.boxes != y.boxes)
            return false;
    }
    return true;
}

// Returns false when the rule is broken (a crash or an out-of-bounds read stops the process).
// The text is decoded where it lies: given the fuzzer's own buffer, a read past it is caught.
inline bool checkDecodeProperty(QByteArrayView text)
{
    for (const decode::RecordFormat format : {decode::RecordFormat::Kra, decode::RecordFormat::Olv})
        if (!sameBreakdown(decode::DecodeRecord(text, format), decode::DecodeRecord(text, format)))
            return false;
    return true;
}

} // namespace zkn::fuzz
