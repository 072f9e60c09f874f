#include "decode/breakdown.h"

namespace zkn::decode {

AreaView plainFrame(Area area)
{
    // By frame number; the party frames' captions end in a blank.
    static constexpr const char* kCaptions[kAreaCount] = {"Source/Destination ",   "Called Party ",
                                                          "Calling Party ",        "Extended Calling Party ",
                                                          "Call Type/Loop Number", "ANI "};
    return {true, 0, QString::fromLatin1(kCaptions[static_cast<int>(area)]), {}};
}

} // namespace zkn::decode
