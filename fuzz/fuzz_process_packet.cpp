// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: received TCP data in any shape. The first byte chooses the detail lines.
#include "packet_property.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!zkn::fuzz::checkPacketInput({reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)}))
        std::abort();
    return 0;
}
