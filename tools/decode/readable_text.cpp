// SPDX-License-Identifier: GPL-3.0-or-later
#include "readable_text.h"

#include "capture_time_text.h"
#include "printed_areas.h"

namespace zkn::decodetool {

namespace {

// The texts are nearly always ASCII: copied in place they need no temporary array, which was
// most of the time spent on a large log.
void appendText(QByteArray& out, QStringView text)
{
    const qsizetype at = out.size();
    out.resize(at + text.size());
    char* to = out.data() + at;
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) {
            out.truncate(at);
            out += text.toUtf8();
            return;
        }
        *to++ = char(c.unicode());
    }
}

void appendLine(QByteArray& out, const QString& where, const QString& label, const QString& text)
{
    appendText(out, where);
    out += "  ";
    appendText(out, label);
    out += ": ";
    appendText(out, text);
    out += '\n';
}

} // namespace

void appendReadable(QByteArray& out, int number, const decode::Breakdown& breakdown,
                    std::optional<CaptureTime> time)
{
    out += "Record ";
    out += QByteArray::number(number);
    if (time)
        out += " at " + readableCaptureTime(*time);
    out += ": ";
    appendText(out, breakdown.caption);
    out += '\n';
    for (const PrintedArea& printed : kPrintedAreas) {
        const decode::AreaView& view = breakdown.area(printed.area);
        for (const decode::BoxText& box : view.boxes) {
            if (!box.text.isEmpty())
                appendLine(out, view.caption, box.label, box.text);
        }
    }
    // The general error box breaks its text into lines with CR; here each message is one line.
    for (const Operator::Message& message : breakdown.messages)
        appendLine(out, QStringLiteral("Message"), messageTitle(message),
                   QString(message.text).replace(QLatin1Char('\r'), QLatin1Char(' ')));
    out += '\n';
}

} // namespace zkn::decodetool
