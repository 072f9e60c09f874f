// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame_lines.h"

#include "capture_time_text.h"
#include "frame_printer.h"
#include "json_text.h"
#include "link/frame_reader.h"
#include "monitor/frame_text.h"

#include <QDateTime>

namespace zkn::monitortool {

namespace {

using monitor::Meaning;
using monitor::Side;

using decodetool::appendJsonKey;
using decodetool::appendJsonString;
using decodetool::readableBytes;

QByteArray localTime(qint64 timeUs)
{
    return QDateTime::fromMSecsSinceEpoch(timeUs / 1000)
        .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"))
        .toLatin1();
}

void appendString(QByteArray& out, const char* key, const QString& value)
{
    appendJsonKey(out, key);
    appendJsonString(out, value);
    out += ',';
}

void appendLatin1(QByteArray& out, const char* key, const QByteArray& value)
{
    appendString(out, key, QString::fromLatin1(value));
}

QByteArray jsonFrame(const monitor::WatchedFrame& seen)
{
    QByteArray out = "{";
    appendJsonKey(out, "time");
    out += decodetool::jsonCaptureTime(seen.timeUs) + ',';
    if (seen.serial) {
        appendLatin1(out, "from", monitor::sideName(seen.from));
        appendLatin1(out, "kind_name", monitor::meaningName(seen.meaning));
        appendLatin1(out, "data", seen.message);
    } else {
        appendJsonKey(out, "connection");
        out += QByteArray::number(seen.connection) + ',';
        appendLatin1(out, "from", monitor::sideName(seen.from));
        appendLatin1(out, "kind", QByteArray(1, seen.frame.kind));
        appendLatin1(out, "kind_name", monitor::meaningName(seen.meaning));
        appendLatin1(out, "device", seen.frame.deviceField);
        appendLatin1(out, "seq", seen.frame.sequenceField);
        appendJsonKey(out, "check_good");
        out += seen.frame.parityGood ? "true," : "false,";
        appendLatin1(out, "data", link::frameData(seen.frame));
    }
    if (seen.lamp) {
        appendJsonKey(out, "lamp");
        out += '{';
        appendString(out, "function", lamp::functionWords(seen.lamp->function));
        appendLatin1(out, "first", seen.lamp->firstStation);
        appendLatin1(out, "second", seen.lamp->secondStation);
        out.back() = '}';
        out += ',';
    }
    if (seen.meaning == Meaning::Record)
        appendLatin1(out, "record", seen.record);
    if (seen.meaning == Meaning::Response || seen.meaning == Meaning::RecordAnswer) {
        appendJsonKey(out, "code");
        out += QByteArray::number(seen.frame.responseCode) + ',';
    }
    if (seen.answered) {
        appendLatin1(out, "answers", monitor::meaningName(seen.answered->request));
        appendJsonKey(out, "answer_ms");
        out += QByteArray::number(seen.answered->afterUs / 1000) + '.' +
               QByteArray::number(seen.answered->afterUs % 1000).rightJustified(3, '0') + ',';
        appendJsonKey(out, "late");
        out += seen.answered->late ? "true," : "false,";
    }
    out.back() = '}';
    return out + '\n';
}

} // namespace

QByteArray frameLine(const monitor::WatchedFrame& seen, bool json)
{
    if (json)
        return jsonFrame(seen);
    // A serial line has no connections to number.
    const QByteArray connection = seen.serial ? QByteArray() : " #" + QByteArray::number(seen.connection);
    return localTime(seen.timeUs) + connection + (seen.from == Side::Pbx ? "  ->: " : " <- : ") +
           monitor::frameText(seen, readableBytes) + '\n';
}

QByteArray faultLine(const monitor::WatchFault& fault, bool json)
{
    if (!json)
        return localTime(fault.timeUs) + " #" + QByteArray::number(fault.connection) +
               (fault.device.isEmpty() ? QByteArray() : " dev " + readableBytes(fault.device)) + " FAULT " +
               fault.what.toUtf8() + '\n';
    QByteArray out = "{";
    appendJsonKey(out, "time");
    out += decodetool::jsonCaptureTime(fault.timeUs) + ',';
    appendJsonKey(out, "connection");
    out += QByteArray::number(fault.connection) + ',';
    if (!fault.device.isEmpty())
        appendLatin1(out, "device", fault.device);
    appendJsonKey(out, "fault");
    appendJsonString(out, fault.what);
    return out + "}\n";
}

QByteArray connectionLine(qint64 timeUs, int connection, const QString& event, bool json)
{
    if (!json)
        return localTime(timeUs) + " #" + QByteArray::number(connection) + " <->: " + event.toUtf8() + '\n';
    QByteArray out = "{";
    appendJsonKey(out, "time");
    out += decodetool::jsonCaptureTime(timeUs) + ',';
    appendJsonKey(out, "connection");
    out += QByteArray::number(connection) + ',';
    appendJsonKey(out, "event");
    appendJsonString(out, event);
    return out + "}\n";
}

} // namespace zkn::monitortool
