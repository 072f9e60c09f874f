// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: one direction of a captured TCP stream, cut into segments of every shape and
// put back in order; and the same bytes as a packet of each link type.
#include "capture_stream_property.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!zkn::fuzz::checkCaptureStreamInput(
            {reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)}))
        std::abort();
    return 0;
}
