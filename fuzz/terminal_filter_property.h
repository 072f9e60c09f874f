// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The rule for the terminal's text: whatever is written, in whatever pieces, the text that is
// shown and logged holds no backspace, no CR ahead of its first CR LF pair but the pair's own,
// the shown text is what the edit says it is, and it stays within its capacity but for the last
// write.
#include "display/terminal_buffer.h"
#include "pieces.h"

namespace zkn::fuzz {

inline bool keepsTheFilterRule(const QByteArray& text)
{
    if (text.contains('\b'))
        return false;
    const qsizetype pair = text.indexOf("\r\n");
    const qsizetype firstCr = text.indexOf('\r');
    return firstCr < 0 || firstCr == pair;
}

// Returns false when the rule is broken. The input's pieces are written behind text just short
// of the capacity, so the cut comes among them; then the whole input once more.
inline bool checkTerminalFilterInput(QByteArrayView input)
{
    display::TerminalBuffer buffer;
    buffer.WriteTerminal(QByteArray(display::TerminalBuffer::kCapacity - 8, 'x'));
    QList<QByteArray> writes = cutInto(input, randomCuts(input.size(), seedOf(input)));
    writes.append(input.toByteArray());
    for (const QByteArray& write : std::as_const(writes)) {
        const QByteArray before = buffer.content();
        const display::TerminalEdit edit = buffer.WriteTerminal(write);
        if (!keepsTheFilterRule(edit.text) || edit.cutFront < 0 || edit.replaceLength < 0 ||
            edit.replaceFrom < 0 || edit.cutFront + edit.replaceFrom + edit.replaceLength != before.size())
            return false;
        const QByteArray& after = buffer.content();
        if (QByteArrayView(after).first(edit.replaceFrom) !=
                QByteArrayView(before).sliced(edit.cutFront, edit.replaceFrom) ||
            QByteArrayView(after).sliced(edit.replaceFrom) != edit.text ||
            after.size() > display::TerminalBuffer::kCapacity + edit.text.size())
            return false;
    }
    return true;
}

} // namespace zkn::fuzz
