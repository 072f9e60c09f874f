// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: a long stream from the PBX at the link's real pace. The first three bytes
// choose the late operator and how many times the rest is repeated.
#include "paced_link_property.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!zkn::fuzz::checkPacedLinkInput({reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)}))
        std::abort();
    return 0;
}
