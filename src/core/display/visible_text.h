#pragma once

#include <QByteArray>
#include <QString>

namespace zkn::display {

// How terminal bytes are drawn: line breaks (CR LF, or a lone LF) break the line; every other
// control character gets a visible shape (STX as a dark smiley, ETX as a heart, SYN as a bar, a
// lone CR as a note); all other bytes are Latin-1.
QString visibleText(const QByteArray& bytes);

} // namespace zkn::display
