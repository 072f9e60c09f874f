// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: the bytes the simulator receives, in any shape.
#include "frame_assembler_property.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!zkn::fuzz::checkFrameAssemblerInput(
            {reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)}))
        std::abort();
    return 0;
}
