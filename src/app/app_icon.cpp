// SPDX-License-Identifier: GPL-3.0-or-later
#include "app_icon.h"

namespace zkn {

QIcon applicationIcon()
{
    // The rendered PNGs rather than the SVG: Qt reads PNG without its SVG module.
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1x%1/zkn-tool.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace zkn
