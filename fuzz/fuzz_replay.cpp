// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: any capture given to the simulator's --replay.
#include "replay_property.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!zkn::fuzz::checkReplayInput({reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)}))
        std::abort();
    return 0;
}
