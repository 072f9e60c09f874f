// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: the serial line's bytes in any shape.
#include "serial_receiver_property.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!zkn::fuzz::checkSerialReceiverInput(
            {reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)}))
        std::abort();
    return 0;
}
