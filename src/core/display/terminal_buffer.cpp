// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/terminal_buffer.h"

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

// Returns how many characters at the end of the content the text's leading backspaces delete.
qsizetype removeBackspaces(QByteArray& text, const QByteArray& content)
{
    qsizetype deleteShown = 0;
    for (qsizetype p = text.indexOf(BS); p >= 0; p = text.indexOf(BS)) {
        if (p == 0) {
            deleteShown = shownCharactersToDelete(content);
            text.remove(0, 1);
        } else if (text[p - 1] == LF || (p >= 2 && text[p - 2] == CR)) {
            // A line break goes as a whole; at the very start of the text only the LF is there.
            const qsizetype from = qMax<qsizetype>(0, p - 2);
            text.remove(from, p + 1 - from);
        } else {
            text.remove(p - 1, 2);
        }
    }
    return deleteShown;
}

// Every CR before the first CR LF pair that is not part of a pair goes; after the pair the text
// stays as it is.
void removeLoneCarriageReturns(QByteArray& text)
{
    for (qsizetype p = text.indexOf(CR); p >= 0; p = text.indexOf(CR)) {
        if (p + 1 < text.size() && text[p + 1] == LF)
            return;
        text.remove(p, 1);
    }
}

} // namespace

TerminalEdit TerminalBuffer::WriteTerminal(QByteArray text)
{
    TerminalEdit edit;
    if (m_content.size() > kCapacity) {
        edit.cutFront = kCut;
        m_content.remove(0, kCut);
    }
    const qsizetype deleteShown = removeBackspaces(text, m_content);
    removeLoneCarriageReturns(text);
    edit.replaceFrom = m_content.size() - deleteShown;
    edit.replaceLength = deleteShown;
    m_content.replace(edit.replaceFrom, edit.replaceLength, text);
    edit.text = std::move(text);
    return edit;
}

} // namespace zkn::display
