// SPDX-License-Identifier: GPL-3.0-or-later
#include "decode/decode_record.h"

#include "decode/field_cut.h"
#include "decode/kra_record.h"
#include "decode/olv_record.h"

namespace zkn::decode {

namespace {

constexpr int kBodyStart = 5; // after STX and the three header characters
// A lamp-control answer, which is no call record.
constexpr char kLampAnswer[] = "\x02"
                               "0!A";

} // namespace

Breakdown DecodeRecord(QByteArrayView record, RecordFormat format)
{
    Breakdown window;
    if (record.startsWith(kLampAnswer)) {
        window.windowCleared = false;
        return window;
    }
    const QByteArrayView body = cutFrom(record, kBodyStart);
    if (format == RecordFormat::Kra)
        decodeKra(body, window);
    else
        decodeOlv(body, window);
    return window;
}

} // namespace zkn::decode
