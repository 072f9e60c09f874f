// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/visible_text.h"

namespace zkn::display {

namespace {

// The shapes a PBX terminal font gives the control characters (the PC's code page 437), which
// common fixed-width fonts carry: STX is a dark smiley, ETX a heart, SYN a bar.
constexpr char16_t kControlShapes[32] = {
    u'\u2205', u'\u263A', u'\u263B', u'\u2665', u'\u2666', u'\u2663', u'\u2660', u'\u2022',
    u'\u25D8', u'\u25CB', u'\u25D9', u'\u2642', u'\u2640', u'\u266A', u'\u266B', u'\u263C',
    u'\u25BA', u'\u25C4', u'\u2195', u'\u203C', u'\u00B6', u'\u00A7', u'\u25AC', u'\u21A8',
    u'\u2191', u'\u2193', u'\u2192', u'\u2190', u'\u221F', u'\u2194', u'\u25B2', u'\u25BC'};

} // namespace

QString visibleText(const QByteArray& bytes)
{
    QString shown;
    shown.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<uchar>(bytes[i]);
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            continue; // the LF that follows breaks the line
        if (c == '\n')
            shown.append(QLatin1Char('\n'));
        else if (c < 0x20)
            shown.append(QChar(kControlShapes[c]));
        else if (c == 0x7F)
            shown.append(QChar(u'\u2302'));
        else
            shown.append(QChar(c));
    }
    return shown;
}

QByteArray bytesShownAt(const QByteArray& content, qsizetype from, qsizetype to)
{
    qsizetype shown = 0;
    qsizetype begin = -1;
    for (qsizetype i = 0; i < content.size(); ++i) {
        if (shown == to)
            return begin < 0 ? QByteArray() : content.sliced(begin, i - begin);
        if (content[i] == '\r' && i + 1 < content.size() && content[i + 1] == '\n')
            continue; // drawn as part of the line break
        if (shown == from)
            begin = i;
        ++shown;
    }
    return begin < 0 ? QByteArray() : content.sliced(begin);
}

VisibleAppend visibleAppend(const QByteArray& content, qsizetype appended)
{
    const qsizetype from = content.size() - appended;
    const bool joinsCrLf = from > 0 && appended > 0 && content[from - 1] == '\r' && content[from] == '\n';
    return {joinsCrLf ? 1 : 0, visibleText(content.sliced(from))};
}

} // namespace zkn::display
