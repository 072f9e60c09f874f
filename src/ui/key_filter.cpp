// SPDX-License-Identifier: GPL-3.0-or-later
#include "key_filter.h"

#include <QKeyEvent>

namespace zkn {

bool isRefusedKey(const QKeyEvent* key, QStringView allowed)
{
    const QString text = key->text();
    if (text.isEmpty() || !text.at(0).isPrint())
        return false;
    for (const QChar c : text)
        if (!allowed.contains(c))
            return true;
    return false;
}

} // namespace zkn
