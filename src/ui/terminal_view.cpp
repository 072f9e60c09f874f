// SPDX-License-Identifier: GPL-3.0-or-later
#include "terminal_view.h"

#include "display/visible_text.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>

#include <algorithm>

namespace zkn {

TerminalView::TerminalView(QWidget* parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setUndoRedoEnabled(false);
    // Tab leaves the box, so the window can be worked from the keyboard.
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Lines break between words; only a word longer than the line (a record, whose blanks show
    // as dots) is broken inside.
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_paintLater.setSingleShot(true);
    connect(&m_paintLater, &QTimer::timeout, this, [this] {
        viewport()->setUpdatesEnabled(true);
        m_lastPaint.start();
    });
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setBold(false);
    setFont(font);
}

// The view follows the newest line only while it is at the bottom: an operator reading higher up
// keeps the text he reads in view, or the top when that text was cut away. The insertion point
// always goes to the end, for what is typed and echoed.
void TerminalView::WriteTerminal(const QByteArray& text)
{
    QScrollBar* bar = verticalScrollBar();
    const bool following = bar->value() == bar->maximum();
    const int scrolledTo = bar->value();
    const int topShown = following ? 0 : cursorForPosition(QPoint(0, 0)).position();
    const int lengthBefore = document()->characterCount();
    const display::TerminalEdit edit = m_buffer.WriteTerminal(text);
    if (edit.cutFront > 0 || edit.replaceLength > 0) {
        // A cut or a backspace changes shown text: redraw the (at most ~16000 characters) whole.
        setPlainText(display::visibleText(m_buffer.content()));
    } else if (!edit.text.isEmpty()) {
        // Only the end changes: a write may complete a CR LF pair whose CR the last one drew.
        const display::VisibleAppend shown = display::visibleAppend(m_buffer.content(), edit.text.size());
        QTextCursor end(document());
        end.movePosition(QTextCursor::End);
        end.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor, shown.dropLast);
        end.insertText(shown.text);
    }
    moveCursor(QTextCursor::End);
    if (following) {
        bar->setValue(bar->maximum());
    } else if (edit.cutFront > 0) {
        // What was shown at the top moved up by what the cut took from the front.
        const int cut =
            lengthBefore - (document()->characterCount() - int(display::visibleText(edit.text).size()));
        const QTextBlock top = document()->findBlock(std::max(0, topShown - cut));
        bar->setValue(topShown - cut < 0 ? 0 : top.firstLineNumber());
    } else {
        bar->setValue(scrolledTo);
    }
    paintAtMostEvery(40);
    if (!edit.text.isEmpty())
        Q_EMIT textWritten(edit.text);
}

void TerminalView::paintAtMostEvery(int ms)
{
    if (m_paintLater.isActive())
        return;
    if (!m_lastPaint.isValid() || m_lastPaint.elapsed() >= ms) {
        m_lastPaint.start();
        return;
    }
    viewport()->setUpdatesEnabled(false);
    m_paintLater.start(int(ms - m_lastPaint.elapsed()));
}

void TerminalView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QPlainTextEdit::mouseDoubleClickEvent(event);
    const QTextCursor at = cursorForPosition(event->position().toPoint());
    const QString line = at.block().text();
    qsizetype from = at.positionInBlock();
    qsizetype to = from;
    while (from > 0 && line[from - 1] != QLatin1Char(' '))
        --from;
    while (to < line.size() && line[to] != QLatin1Char(' '))
        ++to;
    const qsizetype lineStart = at.block().position();
    Q_EMIT wordDoubleClicked(display::bytesShownAt(m_buffer.content(), lineStart + from, lineStart + to));
}

// Keys with a character are typed to the line, control characters included; copying a selection
// stays a copy, and keys without a character (arrows, pages) move through the text.
void TerminalView::keyPressEvent(QKeyEvent* event)
{
    const QString text = event->text();
    const bool focusKey = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
    if (text.isEmpty() || focusKey || (event->matches(QKeySequence::Copy) && textCursor().hasSelection())) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    Q_EMIT keysTyped(text.toLatin1());
}

void TerminalView::setPointSize(int points)
{
    QFont f = font();
    f.setPointSize(points);
    f.setBold(false);
    setFont(f);
}

} // namespace zkn
