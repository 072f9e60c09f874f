// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/terminal_buffer.h"

#include <utility>

namespace zkn::display {

namespace {

constexpr char BS = 0x08;
constexpr char CR = 0x0D;
constexpr char LF = 0x0A;

// A backspace at the start of a write deletes shown text: the CR LF pair (or the lone CR or LF)
// the content ends in, else its last character. Several of them still delete only that much,
// since the content does not change until the text is appended.
qsizetype shownCharactersToDelete(const QByteArray& content)
{
    if (content.isEmpty())
        return 0;
    const char last = content.back();
    return qMin<qsizetype>(content.size(), (last == LF || last == CR) ? 2 : 1);
}

// Returns how many characters at the end of the content the text's leading backspaces delete; a
// backspace after other text deletes what it follows. One pass over the text.
qsizetype removeBackspaces(QByteArray& text, const QByteArray& content)
{
    if (!text.contains(BS))
        return 0;
    qsizetype deleteShown = 0;
    QByteArray kept;
    kept.reserve(text.size());
    for (const char c : std::as_const(text)) {
        if (c != BS) {
            kept.append(c);
        } else if (kept.isEmpty()) {
            deleteShown = shownCharactersToDelete(content);
        } else if (kept.back() == LF || (kept.size() >= 2 && kept[kept.size() - 2] == CR)) {
            // A line break goes as a whole; at the very start of the text only the LF is there.
            kept.chop(qMin<qsizetype>(2, kept.size()));
        } else {
            kept.chop(1);
        }
    }
    text = std::move(kept);
    return deleteShown;
}

// Every CR before the first CR LF pair that is not part of a pair goes; after the pair the text
// stays as it is. One pass over the text.
void removeLoneCarriageReturns(QByteArray& text)
{
    const qsizetype pair = text.indexOf("\r\n");
    const qsizetype end = pair < 0 ? text.size() : pair;
    qsizetype to = 0;
    for (qsizetype from = 0; from < end; ++from)
        if (text[from] != CR)
            text[to++] = text[from];
    text.remove(to, end - to);
}

} // namespace

TerminalEdit TerminalBuffer::WriteTerminal(QByteArray text)
{
    TerminalEdit edit;
    // Cut as often as it takes, so a long write before this one does not stay for good.
    while (m_content.size() - edit.cutFront > kCapacity)
        edit.cutFront += kCut;
    m_content.remove(0, edit.cutFront);
    const qsizetype deleteShown = removeBackspaces(text, m_content);
    removeLoneCarriageReturns(text);
    edit.replaceFrom = m_content.size() - deleteShown;
    edit.replaceLength = deleteShown;
    m_content.replace(edit.replaceFrom, edit.replaceLength, text);
    edit.text = std::move(text);
    return edit;
}

} // namespace zkn::display
