// SPDX-License-Identifier: GPL-3.0-or-later
#include "lamp/lamp_message.h"

#include "link/frame_reader.h"

namespace zkn::lamp {

namespace {

constexpr char kPrefix[] = "0!A";

// A field's length is written with at least two digits.
QByteArray taggedField(const char* tag, const QByteArray& value)
{
    return tag + QByteArray::number(value.size()).rightJustified(2, '0') + value;
}

QByteArray enclosed(const QByteArray& text)
{
    return link::STX + text + link::ETX;
}

} // namespace

QByteArray fixedFieldMessage(LampFunction function, const QByteArray& stationArea)
{
    return enclosed(QByteArray(kPrefix) + static_cast<char>(function) + stationArea);
}

QByteArray taggedMessage(LampFunction function, const QByteArray& first, const QByteArray& second)
{
    QByteArray fields = taggedField("01", QByteArray(1, static_cast<char>(function)));
    fields += taggedField("02", first);
    if (!second.isEmpty())
        fields += taggedField("03", second);
    return enclosed(kPrefix + fields);
}

} // namespace zkn::lamp
