// SPDX-License-Identifier: GPL-3.0-or-later
#include "decode/ani_decoder.h"

#include "decode/decode_messages.h"
#include "decode/field_cut.h"
#include "text/rounded_number.h"

namespace zkn::decode {

namespace {

constexpr int kAniSubFrame = 61;

} // namespace

bool ProcessANI(QByteArrayView data, RecordFormat format, Breakdown& window)
{
    if (!data.startsWith('1')) {
        window.area(Area::Ani) = plainFrame(Area::Ani);
        return true;
    }
    Field number{2, 32};
    if (format == RecordFormat::Kra) {
        const int count = text::roundedNumber(cut(data, {2, 2}));
        if (count < 1) {
            window.messages.append(generalError(DecodeFault::AniCount));
            return false;
        }
        number = {4, count - 1};
    }
    window.area(Area::Ani) = {false,
                              kAniSubFrame,
                              QStringLiteral("ANI (Provided)"),
                              {{QStringLiteral("ANI"), shown(cut(data, number))}}};
    return true;
}

} // namespace zkn::decode
