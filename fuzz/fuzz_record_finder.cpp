// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: a log file's bytes for zkn-decode's record finder, in any shape.
#include "record_finder_property.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!zkn::fuzz::checkRecordFinderInput(
            {reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)}))
        std::abort();
    return 0;
}
