#pragma once

// How the decoder tests write what the breakdown window shows, so a reference value is one
// hand-written string per area and per message.
#include "decode/breakdown.h"

#include <QStringList>

namespace decode_test {

// "[caption]" for a plain frame; else "<sub-frame> caption" ("caption" alone for FrmCallType),
// then "|label=text" for each box in the order they stand.
inline QString describe(const zkn::decode::AreaView& view)
{
    QString text = view.plain      ? QLatin1Char('[') + view.caption + QLatin1Char(']')
                   : view.subFrame ? QString::number(view.subFrame) + QLatin1Char(' ') + view.caption
                                   : view.caption;
    for (const zkn::decode::BoxText& box : view.boxes)
        text += QLatin1Char('|') + box.label + QLatin1Char('=') + box.text;
    return text;
}

// The areas in record order: source, calling, called, extended calling party, call type, ANI.
inline QStringList describeAreas(const zkn::decode::Breakdown& breakdown)
{
    using zkn::decode::Area;
    QStringList areas;
    for (const Area area : {Area::SourceDestination, Area::CallingParty, Area::CalledParty,
                            Area::ExtendedCallingParty, Area::CallType, Area::Ani})
        areas.append(describe(breakdown.area(area)));
    return areas;
}

// "title: text" for each message, the text up to its first line break.
inline QStringList describeMessages(const zkn::decode::Breakdown& breakdown)
{
    QStringList messages;
    for (const zkn::Operator::Message& message : breakdown.messages)
        messages.append(message.title + QStringLiteral(": ") + message.text.section(QLatin1Char('\r'), 0, 0));
    return messages;
}

} // namespace decode_test
