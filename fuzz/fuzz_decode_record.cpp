// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: any record text, in both layouts.
#include "decode_property.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (!zkn::fuzz::checkDecodeProperty(text))
        std::abort();
    return 0;
}
