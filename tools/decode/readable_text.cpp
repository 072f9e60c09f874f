#include "readable_text.h"

#include "printed_areas.h"

namespace zkn::decodetool {

namespace {

void appendLine(QByteArray& out, const QString& where, const QString& label, const QString& text)
{
    out += where.toUtf8();
    out += "  ";
    out += label.toUtf8();
    out += ": ";
    out += text.toUtf8();
    out += '\n';
}

} // namespace

void appendReadable(QByteArray& out, int number, const decode::Breakdown& breakdown)
{
    out += "Record " + QByteArray::number(number) + ": " + breakdown.caption.toUtf8() + '\n';
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
