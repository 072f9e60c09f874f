// SPDX-License-Identifier: GPL-3.0-or-later
#include "json_line.h"

#include "capture_time_text.h"
#include "json_text.h"
#include "printed_areas.h"

namespace zkn::decodetool {

namespace {

void appendArea(QByteArray& out, const decode::AreaView& view, decode::Area area)
{
    if (view.plain) {
        out += "null";
        return;
    }
    out += '{';
    appendJsonKey(out, "frame");
    if (area == decode::Area::CallType)
        out += "\"FrmCallType\"";
    else
        out += QByteArray::number(view.subFrame);
    out += ',';
    appendJsonKey(out, "caption");
    appendJsonString(out, view.caption);
    out += ',';
    appendJsonKey(out, "boxes");
    out += '{';
    for (qsizetype i = 0; i < view.boxes.size(); ++i) {
        if (i > 0)
            out += ',';
        appendJsonString(out, view.boxes[i].label);
        out += ':';
        appendJsonString(out, view.boxes[i].text);
    }
    out += "}}";
}

void appendMessages(QByteArray& out, const QList<Operator::Message>& messages)
{
    out += '[';
    for (qsizetype i = 0; i < messages.size(); ++i) {
        if (i > 0)
            out += ',';
        out += '{';
        appendJsonKey(out, "title");
        appendJsonString(out, messageTitle(messages[i]));
        out += ',';
        appendJsonKey(out, "text");
        appendJsonString(out, messages[i].text);
        out += '}';
    }
    out += ']';
}

} // namespace

void appendJsonLine(QByteArray& out, QByteArrayView record, const decode::Breakdown& breakdown,
                    std::optional<CaptureTime> time)
{
    out += '{';
    if (time) {
        appendJsonKey(out, "time");
        out += jsonCaptureTime(*time) + ',';
    }
    appendJsonKey(out, "record");
    appendJsonString(out, QString::fromLatin1(record));
    out += ',';
    appendJsonKey(out, "caption");
    appendJsonString(out, breakdown.caption);
    out += ',';
    appendJsonKey(out, "areas");
    out += '{';
    for (const PrintedArea& printed : kPrintedAreas) {
        if (printed.area != kPrintedAreas[0].area)
            out += ',';
        appendJsonKey(out, printed.key);
        appendArea(out, breakdown.area(printed.area), printed.area);
    }
    out += "},";
    appendJsonKey(out, "messages");
    appendMessages(out, breakdown.messages);
    out += "}\n";
}

} // namespace zkn::decodetool
