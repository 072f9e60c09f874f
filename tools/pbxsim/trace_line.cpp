// SPDX-License-Identifier: GPL-3.0-or-later
#include "pbxsim/trace_line.h"

namespace zkn::pbxsim {

namespace {

QString stamp(const QTime& time)
{
    return time.toString(QStringLiteral("HH:mm:ss.zzz"));
}

// A header field as sent, unless it holds what a terminal would not show.
QString shown(const QByteArray& field)
{
    bool printable = !field.isEmpty();
    for (const char c : field)
        printable = printable && c >= ' ' && c <= '~';
    return printable ? QString::fromLatin1(field) : QStringLiteral("??");
}

QString unit(const FrameInfo& frame)
{
    switch (frame.kind) {
    case FrameInfo::kJunk:
        return QStringLiteral("junk");
    case FrameInfo::kText:
        return QStringLiteral("text");
    default:
        return QStringLiteral("kind %1 seq %2")
            .arg(shown(QByteArray(1, frame.kind)), shown(frame.sequenceField));
    }
}

} // namespace

QString traceLine(const FrameInfo& frame, const QTime& time)
{
    const QString number = frame.index > 0 ? QStringLiteral("#%1").arg(frame.index) : QStringLiteral("-");
    return QStringLiteral("%1 %2 %3 %4 | %5 | %6")
        .arg(stamp(time),
             frame.direction == FrameInfo::Direction::In ? QStringLiteral("in ") : QStringLiteral("out"),
             number.leftJustified(5), unit(frame).leftJustified(13),
             QString::fromLatin1(frame.bytes.toHex(' ').toUpper()), frame.note);
}

QString eventLine(const QString& text, const QTime& time)
{
    return stamp(time) + QStringLiteral(" --  ") + text;
}

} // namespace zkn::pbxsim
