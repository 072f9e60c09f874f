// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace zkn::display {

// How terminal bytes are drawn: line breaks (CR LF, or a lone LF) break the line; every other
// control character gets a visible shape (STX as a dark smiley, ETX as a heart, SYN as a bar, a
// lone CR as a note); all other bytes are Latin-1.
QString visibleText(const QByteArray& bytes);
// The bytes of `content` that the shown characters `from` to `to` (positions in its visibleText)
// were drawn from. Taken from the content, not read back from the drawing: the shapes of 0x14
// and 0x15 are themselves Latin-1 characters.
QByteArray bytesShownAt(const QByteArray& content, qsizetype from, qsizetype to);

// How the shown text of `content` changes when its last `appended` bytes were just appended:
// `dropLast` shown characters go from the end, then `text` follows. A CR that ended the content
// was drawn as a symbol; an appended LF makes it part of a line break, so its symbol goes.
struct VisibleAppend
{
    qsizetype dropLast = 0;
    QString text;
};
VisibleAppend visibleAppend(const QByteArray& content, qsizetype appended);

} // namespace zkn::display
