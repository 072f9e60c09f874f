// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: stored and typed setting texts, one per line.
#include "setting_texts_property.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!zkn::fuzz::checkSettingTextsInput(
            {reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)}))
        std::abort();
    return 0;
}
