// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame_printer.h"

#include "capture_time_text.h"
#include "json_text.h"

namespace zkn::decodetool {

namespace {

// What each kind of frame is, as a reader of the link names it.
const char* kindName(char kind)
{
    switch (kind) {
    case '1':
        return "lamp";
    case '2':
        return "record";
    case '3':
        return "response";
    case '4':
        return "record answer";
    case '5':
        return "connect/health";
    case '6':
        return "release";
    default:
        return "unknown";
    }
}

const char* sideName(LinkSide side)
{
    return side == LinkSide::Pbx ? "pbx" : "tool";
}

void appendReadable(QByteArray& out, CaptureTime time, LinkSide from, const link::FrameHeader& frame)
{
    out += readableCaptureTime(time) + "  " + QByteArray(sideName(from)).leftJustified(4) + "  kind " +
           frame.kind + ' ' + QByteArray(kindName(frame.kind)).leftJustified(14) + "  device " +
           frame.deviceField + "  seq " + frame.sequenceField +
           (frame.parityGood ? "  check good  " : "  check BAD   ") + readableBytes(link::frameData(frame)) +
           '\n';
}

void appendJson(QByteArray& out, CaptureTime time, LinkSide from, const link::FrameHeader& frame)
{
    out += '{';
    appendJsonKey(out, "time");
    out += jsonCaptureTime(time) + ',';
    appendJsonKey(out, "from");
    out += QByteArray("\"") + sideName(from) + "\",";
    appendJsonKey(out, "kind");
    appendJsonString(out, QString(QLatin1Char(frame.kind)));
    out += ',';
    appendJsonKey(out, "kind_name");
    appendJsonString(out, QString::fromLatin1(kindName(frame.kind)));
    out += ',';
    appendJsonKey(out, "device");
    appendJsonString(out, QString::fromLatin1(frame.deviceField));
    out += ',';
    appendJsonKey(out, "seq");
    appendJsonString(out, QString::fromLatin1(frame.sequenceField));
    out += ',';
    appendJsonKey(out, "check_good");
    out += frame.parityGood ? "true," : "false,";
    appendJsonKey(out, "data");
    appendJsonString(out, QString::fromLatin1(link::frameData(frame)));
    out += "}\n";
}

} // namespace

QByteArray readableBytes(const QByteArray& bytes)
{
    QByteArray shown;
    for (const char c : bytes) {
        if (c >= ' ' && c <= '~')
            shown += c;
        else
            shown += '<' + QByteArray::number(quint8(c), 16).toUpper().rightJustified(2, '0') + '>';
    }
    return shown;
}

void FramePrinter::print(CaptureTime time, LinkSide from, const link::FrameHeader& frame)
{
    if (m_style == OutputStyle::JsonLines)
        appendJson(m_out.text(), time, from, frame);
    else
        appendReadable(m_out.text(), time, from, frame);
    m_out.resultDone();
}

} // namespace zkn::decodetool
