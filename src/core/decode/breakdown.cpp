// SPDX-License-Identifier: GPL-3.0-or-later
#include "decode/breakdown.h"

#include "decode/static_text.h"

namespace zkn::decode {

AreaView plainFrame(Area area)
{
    // By frame number; the party frames' captions end in a blank.
    static constexpr QStringView kCaptions[kAreaCount] = {
        u"Source/Destination ",     u"Called Party ",         u"Calling Party ",
        u"Extended Calling Party ", u"Call Type/Loop Number", u"ANI "};
    return {true, 0, staticText(kCaptions[static_cast<int>(area)]), {}};
}

QString initialCaption()
{
    static const QString caption = QString::fromLatin1(kInitialCaption);
    return caption;
}

} // namespace zkn::decode
