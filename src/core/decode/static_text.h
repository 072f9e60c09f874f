// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

namespace zkn::decode {

// A QString over a text of the program's own, such as a label or a caption, without copying it:
// tables hold their texts as u"..." literals, so each decode allocates only the record's fields.
inline QString staticText(QStringView literal)
{
    return QString::fromRawData(literal.data(), literal.size());
}

} // namespace zkn::decode
