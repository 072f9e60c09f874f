// libFuzzer target: received TCP data in any shape. The first byte chooses the detail lines.
#include "packet_property.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data) + 1, static_cast<qsizetype>(size - 1));
    if (!zkn::fuzz::checkPacketProperty(bytes, data[0] & 1))
        std::abort();
    return 0;
}
