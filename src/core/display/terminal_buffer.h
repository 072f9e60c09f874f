// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

namespace zkn::display {

// What one write did to the shown text, so a view can mirror it without copying the whole text:
// first `cutFront` characters were cut from the front, then the `replaceLength` characters from
// `replaceFrom` (a backspace's selection, else none) were replaced by `text`. `text` is also
// exactly what goes to the log.
struct TerminalEdit
{
    qsizetype cutFront = 0;
    qsizetype replaceFrom = 0;
    qsizetype replaceLength = 0;
    QByteArray text;
};

// The text of a terminal box: 8-bit characters, kept below about 16000 characters by cutting
// 4096 from the front, so appending stays cheap however long the tool runs.
class TerminalBuffer
{
public:
    static constexpr qsizetype kCapacity = 16000;
    static constexpr qsizetype kCut = 4096;

    // Appends `text` after the filtering of backspaces and lone carriage returns.
    TerminalEdit WriteTerminal(QByteArray text);

    const QByteArray& content() const { return m_content; }

private:
    QByteArray m_content;
};

} // namespace zkn::display
