#pragma once

#include <QByteArray>
#include <QString>

namespace zkn::display {

// How terminal bytes are drawn: line breaks (CR LF, or a lone LF) break the line; every other
// control character gets its visible symbol (STX as U+2402, a lone CR as U+240D, DEL as U+2421);
// all other bytes are Latin-1.
QString visibleText(const QByteArray& bytes);

} // namespace zkn::display
