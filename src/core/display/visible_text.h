#pragma once

#include <QByteArray>
#include <QString>

namespace zkn::display {

// How terminal bytes are drawn: line breaks (CR LF, or a lone LF) break the line; every other
// control character gets a visible shape (STX as a dark smiley, ETX as a heart, SYN as a bar, a
// lone CR as a note); all other bytes are Latin-1.
QString visibleText(const QByteArray& bytes);
// The bytes a shown text stands for: the shapes back to their control characters, everything
// else as Latin-1 (a character beyond it becomes "?").
QByteArray shownBytes(const QString& shown);

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
