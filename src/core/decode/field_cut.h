// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <algorithm>

namespace zkn::decode {

// A field of a record: its first position, counting from 1, and its width. Width 0 is no field:
// the box it fills is set empty.
struct Field
{
    int from = 0;
    int width = 0;
};

// The field cut from the text; shorter or empty where the text ends first, never read beyond it.
inline QByteArrayView cut(QByteArrayView text, Field field)
{
    Q_ASSERT(field.width <= 0 || field.from >= 1);
    if (field.width <= 0 || field.from > text.size())
        return {};
    const qsizetype start = field.from - 1;
    return text.sliced(start, std::min<qsizetype>(field.width, text.size() - start));
}

// Everything from position `from` on; empty when the text ends before it.
inline QByteArrayView cutFrom(QByteArrayView text, int from)
{
    Q_ASSERT(from >= 1);
    return from > text.size() ? QByteArrayView() : text.sliced(from - 1);
}

// Record text as a box shows it.
inline QString shown(QByteArrayView field)
{
    return QString::fromLatin1(field);
}

} // namespace zkn::decode
