// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: what the tool sends the simulator, over TCP or on a serial line. The first
// byte chooses the line and the parity.
#include "pbx_side_property.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!zkn::fuzz::checkPbxSideInput({reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)}))
        std::abort();
    return 0;
}
