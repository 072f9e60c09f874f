// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: any bytes a PBX and a message centre send each other, as zkn-monitor watches them.
#include "link_watch_property.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!zkn::fuzz::checkLinkWatchInput({reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)}))
        std::abort();
    return 0;
}
